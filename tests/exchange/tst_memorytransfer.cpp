#include "configurationsnapshot.h"
#include "fakepanellink.h"
#include "recordingnotifier.h"
#include "restrictedfiles.h"
#include "unexpectedwarnings.h"

#include <exchange/devicesearch.h>
#include <exchange/memorytransfer.h>
#include <exchange/transferprogress.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <model/configuration.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTime>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <algorithm>

using namespace Frames;

namespace {

class RecordingProgress : public TransferProgress
{
public:
    void start(const QString &text, int maximum) override
    {
        if (onStart)
            onStart(text);
        texts << text;
        events << text;
        this->maximum = maximum;
        position = 0;
        shown = true;
    }
    void advance() override
    {
        ++position;
        if (onAdvance)
            onAdvance(position);
    }
    void finish() override
    {
        shown = false;
        events << "closed";
    }

    std::function<void(const QString &)> onStart;
    std::function<void(int)> onAdvance;
    QStringList texts;
    QStringList events; // texts shown, and "closed"
    int maximum = 0;
    int position = 0;
    bool shown = false;
};

// What a panel holding a configuration of its own would return.
QByteArray panelImage()
{
    Configuration config;
    config.mtArea().setRecNo(12);
    config.mtArea().setValue("name", "склад");
    config.changeSettings([&](SystemSettings &s) { s.edNumReg1 = "4321"; });
    ImageBuilder::build(config);
    return config.image().Bytes();
}

// What the status bar says once the exchange is over, at 10:42.
QString statusAfter(const MemoryTransfer &transfer)
{
    return transfer.outcome().statusText(QTime(10, 42));
}

struct Rig
{
    Rig()
    {
        transfer.setProgress(&progress);
        transfer.setTransferFile(dir.filePath("temp.tab"));
        transfer.setReplyTimeout(300);
    }

    bool waitFinished(QSignalSpy &spy) { return spy.size() > 0 || spy.wait(5000); }

    QTemporaryDir dir;
    FakePanelLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    RecordingProgress progress;
    MemoryTransfer transfer { channel, config, notifier };
    PortSettings settings;
};

} // namespace

class TestMemoryTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void read_fillsTablesFromThePanel_data();
    void read_fillsTablesFromThePanel();
    void write_sendsTheBuiltImage();
    void cancel_atBlock500_data();
    void cancel_atBlock500();
    void verifiedWrite_data();
    void verifiedWrite();
    void compare_data();
    void compare();
    void compareFault_endsWithOneMessage_data();
    void compareFault_endsWithOneMessage();
    void readFault_endsWithOneMessage_changesNothing_data();
    void readFault_endsWithOneMessage_changesNothing();
    void writeFault_endsAtTheBlock_data();
    void writeFault_endsAtTheBlock();
    void cutReply_doesNotSwallowTheNextEcho_data();
    void cutReply_doesNotSwallowTheNextEcho();
    void transferFileFault_endsRead_portStillDelivers_data();
    void transferFileFault_endsRead_portStillDelivers();
    void transferFile_namedInFull_data();
    void transferFile_namedInFull();
    void transferFile_inTheDataFolderWhenTheCurrentIsReadOnly_data();
    void transferFile_inTheDataFolderWhenTheCurrentIsReadOnly();
    void workingModeAfterATransfer_unconfirmed_data();
    void workingModeAfterATransfer_unconfirmed();
    void panelImageThatCannotBeShown_isRefusedWhole();
    void portCannotBeOpened_commandDoesNotStart();
    void workingMode_data();
    void workingMode();
    void workingMode_stopsATransfer();
    void workingMode_afterAnotherHandler_awaitsItsEcho();
    void idleReplies_areOnlyCompared();
    void newExchange_endsTheRunningOneQuietly_data();
    void newExchange_endsTheRunningOneQuietly();
    void transfer_afterASearchThatIsGone();
};

void TestMemoryTransfer::read_fillsTablesFromThePanel_data()
{
    QTest::addColumn<bool>("byteByByte");
    QTest::newRow("whole replies") << false;
    QTest::newRow("replies byte by byte") << true;
}

void TestMemoryTransfer::read_fillsTablesFromThePanel()
{
    QFETCH(bool, byteByByte);
    Rig rig;
    rig.link.memory = panelImage();
    rig.link.byteByByte = byteByByte;
    QSignalSpy loaded(&rig.transfer, &MemoryTransfer::configurationLoaded);
    QSignalSpy replaced(&rig.config.notices(), &ConfigurationNotices::replaced);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);

    QVERIFY(rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(replaced.size(), 1);
    QVERIFY2(rig.notifier.messages.isEmpty(), qPrintable(rig.notifier.messages.join('\n')));

    QCOMPARE(rig.link.sent.size(), 1 + 1600 + 1);
    QCOMPARE(rig.link.sent.first(), SetAddress(SettingsAddress));
    QCOMPARE(rig.link.sentWithCommand(CommandReadMemory, 7), 1600);
    QCOMPARE(rig.link.sent.last(), WriteModeWork());

    QFile temp(rig.transfer.transferFile());
    QVERIFY(temp.open(QIODevice::ReadOnly));
    QCOMPARE(temp.readAll(), rig.link.memory);
    QVERIFY(rig.config.mtArea().locate("id", 12));
    QCOMPARE(rig.config.mtArea().asString("name").trimmed(), QStringLiteral("СКЛАД"));
    QCOMPARE(rig.config.settings().edNumReg1, QStringLiteral("4321"));

    QCOMPARE(rig.progress.texts, QStringList { "Идет чтение из прибора" });
    QCOMPARE(statusAfter(rig.transfer), " Прочитано из прибора 10:42");
    QCOMPARE(rig.progress.maximum, 1600);
    QCOMPARE(rig.progress.position, 1599);
    QVERIFY(!rig.progress.shown);
    QCOMPARE(rig.transfer.mode(), MemoryTransfer::Mode::Idle);
}

void TestMemoryTransfer::write_sendsTheBuiltImage()
{
    Rig rig;
    rig.config.mtArea().setRecNo(3);
    rig.config.mtArea().setValue("name", "офис");
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);

    QVERIFY(rig.transfer.writeToPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY2(rig.notifier.messages.isEmpty(), qPrintable(rig.notifier.messages.join('\n')));

    QCOMPARE(rig.link.sent.size(), 1 + 1600 + 1);
    QCOMPARE(rig.link.sent.first(), SetAddress(SettingsAddress));
    QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), 1600);
    QCOMPARE(rig.link.sent.last(), WriteModeWork());
    QCOMPARE(rig.link.memory, rig.config.image().Bytes());
    QCOMPARE(rig.progress.texts, QStringList { "Идет запись в прибор" });
    QCOMPARE(rig.progress.position, 1599);
    QVERIFY(!rig.progress.shown);
    QCOMPARE(statusAfter(rig.transfer), " Записано в прибор 10:42");
}

void TestMemoryTransfer::cancel_atBlock500_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("at"); // the bar's position when Esc comes
    QTest::addColumn<QString>("message"); // empty: the transfer ends well
    QTest::addColumn<QString>("status");

    QTest::newRow("write") << "write" << 500
                           << "Запись отменена: с блока 502 из 1600 память прибора не содержит новую конфигурацию."
                           << " Запись прервана на блоке 502, 10:42";
    QTest::newRow("read") << "read" << 500 << "Чтение отменено. Настройки в программе не изменены."
                          << " Чтение прервано на блоке 501, 10:42";
    QTest::newRow("compare") << "compare" << 500 << "Сравнение с прибором отменено."
                             << " Сравнение с прибором прервано на блоке 501, 10:42";
    // The last block is on its way: the write is whole once it is acknowledged.
    QTest::newRow("write, last block") << "write" << 1599 << QString() << " Записано в прибор 10:42";
}

void TestMemoryTransfer::cancel_atBlock500()
{
    QFETCH(QString, command);
    QFETCH(int, at);
    QFETCH(QString, message);
    QFETCH(QString, status);

    const bool writing = command == "write";
    Rig rig;
    rig.link.memory = panelImage();
    rig.config.mtArea().setRecNo(3);
    rig.config.mtArea().setValue("name", "офис");
    // Asked for while the reply to block 501 is on its way.
    rig.progress.onAdvance = [&](int position) {
        if (position == at)
            rig.transfer.cancel();
    };
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QSignalSpy compared(&rig.transfer, &MemoryTransfer::compared);
    QVERIFY(writing                ? rig.transfer.writeToPanel(rig.settings)
            : command == "compare" ? rig.transfer.compareWithPanel(rig.settings)
                                   : rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(compared.size(), 0);

    QCOMPARE(finished.first().first().toBool(), message.isEmpty());
    QCOMPARE(rig.notifier.warnings, message.isEmpty() ? QStringList() : QStringList { message });
    QCOMPARE(statusAfter(rig.transfer), status);
    QCOMPARE(rig.link.sent.last(), WriteModeWork()); // the panel goes back to work
    QVERIFY(!rig.progress.shown);
    if (writing) {
        QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), at + 1);
    } else {
        QCOMPARE(rig.config.mtArea().asString("name"), QStringLiteral("ОФИС")); // nothing read replaced it
        QVERIFY(!QFileInfo::exists(rig.dir.filePath("temp.tab")) || rig.config.image().Bytes() != rig.link.memory);
    }
    QTest::qWait(50);
    QCOMPARE(rig.notifier.messages.size(), message.isEmpty() ? 0 : 1); // nothing late, no wrong-packet report
}

void TestMemoryTransfer::verifiedWrite_data()
{
    QTest::addColumn<int>("changedOffset"); // the byte the panel changes once written; -1 none
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");

    QTest::newRow("the panel holds what was sent") << -1 << QString() << " Записано в прибор и проверено 10:42";
    QTest::newRow("the panel changed a byte") << 100000
                                              << "Проверка записи: прибор хранит не то, что было записано. "
                                                 "Отличаются блоки 782 из 1600."
                                              << " Записано в прибор, но проверка нашла отличия 10:42";
}

void TestMemoryTransfer::verifiedWrite()
{
    QFETCH(int, changedOffset);
    QFETCH(QString, message);
    QFETCH(QString, status);

    Rig rig;
    rig.transfer.setVerifyAfterWrite(true);
    rig.progress.onStart = [&](const QString &text) {
        if (text == "Идет проверка записи" && changedOffset >= 0)
            rig.link.memory[changedOffset] = char(rig.link.memory.at(changedOffset) ^ 0x5A);
    };
    rig.config.mtArea().setRecNo(3);
    rig.config.mtArea().setValue("name", "офис");
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);

    QVERIFY(rig.transfer.writeToPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), message.isEmpty());
    QCOMPARE(rig.progress.texts, (QStringList { "Идет запись в прибор", "Идет проверка записи" }));
    QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), 1600);
    QCOMPARE(rig.link.sent.count(SetAddress(SettingsAddress)), 2);
    QCOMPARE(rig.link.sent.last(), WriteModeWork()); // the panel goes back to work either way
    QCOMPARE(statusAfter(rig.transfer), status);
    if (message.isEmpty())
        QVERIFY2(rig.notifier.messages.isEmpty(), qPrintable(rig.notifier.messages.join('\n')));
    else
        QVERIFY2(rig.notifier.warnings.size() == 1 && rig.notifier.warnings.first().startsWith(message),
                 qPrintable(rig.notifier.messages.join('\n')));
    // What the program holds is what it wrote, whatever the panel made of it.
    QCOMPARE(rig.config.mtArea().asString("name"), QStringLiteral("ОФИС"));
}

void TestMemoryTransfer::compare_data()
{
    QTest::addColumn<QString>("program"); // "panel": what the panel holds; "other": another configuration;
                                          // "added": the panel's with a module and an output added
    QTest::addColumn<int>("damagedOffset"); // a byte of the panel's spoiled so the memory loads no more; -1 none
    QTest::addColumn<QStringList>("differences");

    QTest::newRow("the panel holds the configuration") << "panel" << -1 << QStringList();
    QTest::newRow("the panel holds another")
            << "other" << -1
            << QStringList { "Зона 3: имя пусто → «ОФИС-2»", "Зона 12: имя «СКЛАД» → пусто",
                             "Первый регистрационный номер: «4321» → пусто" };
    QTest::newRow("module and output named as the lists name them")
            << "added" << -1
            << QStringList { "Модуль 2: тип нет → «КЛМ»", "Модуль 2: цепь «кольцевая цепь» → «радиальная цепь»",
                             "Модуль 2: название пусто → «КЛМ № 2»", "Модуль 2: состояние «Откл.» → «Подкл.»",
                             "Выход 1.8: добавлен" };
    QTest::newRow("the panel's memory is not settings")
            << "panel" << 203 << QStringList { "Память прибора не читается как настройки. Отличаются блоки 2 из 1600." };
}

// What the program would write is compared; nothing of it changes.
void TestMemoryTransfer::compare()
{
    QFETCH(QString, program);
    QFETCH(int, damagedOffset);
    QFETCH(QStringList, differences);

    Rig rig;
    BackupStore backups(rig.dir.filePath("backups"));
    rig.transfer.setBackups(&backups);
    rig.link.memory = panelImage();
    if (program != "other")
        QVERIFY(FileCommands(rig.config, rig.notifier).openImage(*SettingsImage::fromBytes(rig.link.memory), "panel"));
    if (program == "added") {
        rig.config.mtDev().setRecNo(2);
        rig.config.mtDev().setValue("id_being", 0);
        MemTable &outputs = rig.config.mtReturn();
        outputs.append();
        outputs.setValue("id_dev", 1);
        outputs.setValue("offset", 7);
        outputs.setValue("id_chan", 193);
        outputs.setValue("id_mode", 0);
        outputs.post();
    } else if (program == "other") {
        rig.config.mtArea().setRecNo(3);
        rig.config.mtArea().setValue("name", "офис");
        ImageBuilder::build(rig.config);
        rig.config.mtArea().setValue("name", "офис-2"); // after the last build: the comparison builds its own
    }
    if (damagedOffset >= 0)
        rig.link.memory[damagedOffset] = char(200);
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(rig.config);
    QSignalSpy compared(&rig.transfer, &MemoryTransfer::compared);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);

    QVERIFY(rig.transfer.compareWithPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(compared.size(), 1);
    QCOMPARE(compared.first().first().toStringList(), differences);
    QVERIFY2(rig.notifier.messages.isEmpty(), qPrintable(rig.notifier.messages.join('\n')));
    QVERIFY(ConfigurationSnapshot::of(rig.config) == before);
    QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), 0);
    QCOMPARE(rig.link.sentWithCommand(CommandReadMemory, 7), 1600);
    QCOMPARE(rig.link.sent.last(), WriteModeWork());
    QCOMPARE(rig.progress.texts, QStringList { "Идет сравнение с прибором" });
    QCOMPARE(rig.progress.position, 1599);
    QVERIFY(!rig.progress.shown);
    // What was read is kept like any read.
    QCOMPARE(backups.entries().size(), 1);
    QCOMPARE(backups.entries().first().direction, BackupStore::Direction::Read);
}

void TestMemoryTransfer::compareFault_endsWithOneMessage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("at"); // reply number; reply 1 is the address echo
    QTest::addColumn<QString>("message");

    QTest::addColumn<QString>("status");

    QTest::newRow("silent midway") << "silent" << 800
                                   << "Прибор не отвечает. Сравнение с прибором прервано на блоке 799 из 1600."
                                   << " Сравнение с прибором прервано на блоке 799, 10:42";
    QTest::newRow("damaged reply") << "corrupt" << 5 << "Пришел неверный пакет! Сравнение с прибором прервано на блоке 4 из 1600."
                                   << " Сравнение с прибором прервано на блоке 4, 10:42";
    QTest::newRow("cable pulled") << "line" << 300 << "Связь с прибором потеряна: cable pulled. Сравнение с прибором прервано."
                                  << " Сравнение с прибором прервано на блоке 299, 10:42";
}

void TestMemoryTransfer::compareFault_endsWithOneMessage()
{
    QFETCH(QString, fault);
    QFETCH(int, at);
    QFETCH(QString, message);
    QFETCH(QString, status);

    Rig rig;
    rig.link.memory = panelImage();
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(rig.config);
    (fault == "silent" ? rig.link.silentAt : fault == "corrupt" ? rig.link.corruptAt : rig.link.lineFailsAt) = at;
    QSignalSpy compared(&rig.transfer, &MemoryTransfer::compared);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.compareWithPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(compared.size(), 0);
    QCOMPARE(rig.notifier.messages, QStringList { message });
    QCOMPARE(statusAfter(rig.transfer), status);
    QVERIFY(ConfigurationSnapshot::of(rig.config) == before);
    QVERIFY(!rig.progress.shown);
    QCOMPARE(rig.transfer.mode(), MemoryTransfer::Mode::Idle);
}

void TestMemoryTransfer::readFault_endsWithOneMessage_changesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("at"); // reply number; reply 1 is the address echo
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("workingModeSent");
    QTest::addColumn<QString>("status");

    QTest::newRow("silent from the start") << "silent" << 1 << "Прибор не отвечает. Чтение прервано на блоке 1 из 1600." << false
                                           << " Чтение не начато 10:42";
    QTest::newRow("silent midway") << "silent" << 800 << "Прибор не отвечает. Чтение прервано на блоке 799 из 1600." << false
                                   << " Чтение прервано на блоке 799, 10:42";
    QTest::newRow("damaged reply") << "corrupt" << 5 << "Пришел неверный пакет! Чтение прервано на блоке 4 из 1600." << true
                                   << " Чтение прервано на блоке 4, 10:42";
    QTest::newRow("damaged last block") << "corrupt" << 1601 << "Пришел неверный пакет! Чтение прервано на блоке 1600 из 1600." << true
                                        << " Чтение прервано на блоке 1600, 10:42";
    QTest::newRow("cable pulled") << "line" << 300 << "Связь с прибором потеряна: cable pulled. Чтение прервано." << false
                                  << " Чтение прервано на блоке 299, 10:42";
    QTest::newRow("write to the port fails") << "write" << 10 << "Не удалось передать данные в порт: write failed" << false
                                             << " Чтение прервано на блоке 9, 10:42";
}

void TestMemoryTransfer::readFault_endsWithOneMessage_changesNothing()
{
    QFETCH(QString, fault);
    QFETCH(int, at);
    QFETCH(QString, message);
    QFETCH(bool, workingModeSent);
    QFETCH(QString, status);

    Rig rig;
    rig.link.memory = panelImage();
    rig.config.mtArea().setRecNo(2);
    rig.config.mtArea().setValue("name", "своё");
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(rig.config);
    (fault == "silent" ? rig.link.silentAt : fault == "corrupt" ? rig.link.corruptAt
                     : fault == "line"                        ? rig.link.lineFailsAt
                                                              : rig.link.writeFailsAt) = at;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QSignalSpy loaded(&rig.transfer, &MemoryTransfer::configurationLoaded);
    QSignalSpy replaced(&rig.config.notices(), &ConfigurationNotices::replaced);

    rig.transfer.readFromPanel(rig.settings);
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(replaced.size(), 0);
    QCOMPARE(rig.notifier.messages.size(), 1);
    QVERIFY2(rig.notifier.messages.first().startsWith(message), qPrintable(rig.notifier.messages.first()));
    QCOMPARE(rig.link.sent.last() == WriteModeWork(), workingModeSent);
    QCOMPARE(statusAfter(rig.transfer), status);
    QCOMPARE(loaded.size(), 0);
    QVERIFY(ConfigurationSnapshot::of(rig.config) == before);
    QVERIFY(!rig.progress.shown);
    QCOMPARE(rig.transfer.mode(), MemoryTransfer::Mode::Idle);
}

void TestMemoryTransfer::writeFault_endsAtTheBlock_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("blocksSent");
    QTest::addColumn<bool>("workingModeSent");

    QTest::addColumn<QString>("status");

    QTest::newRow("address not echoed") << "corrupt" << 1 << "Пришел неверный пакет! Прибор не принял адрес" << 0 << true
                                        << " Запись не начата 10:42";
    QTest::newRow("wrong acknowledgement") << "corrupt" << 11 << "Пришел неверный пакет! Запись прервана: прибор не подтвердил блок 10 из 1600." << 10 << true
                                           << " Запись прервана на блоке 10, 10:42";
    QTest::newRow("last block not acknowledged") << "corrupt" << 1601 << "Пришел неверный пакет! Запись прервана: прибор не подтвердил блок 1600 из 1600." << 1600 << true
                                                 << " Запись прервана на блоке 1600, 10:42";
    QTest::newRow("silent") << "silent" << 100 << "Прибор не отвечает. Запись прервана на блоке 99 из 1600." << 99 << false
                            << " Запись прервана на блоке 99, 10:42";
    QTest::newRow("cable pulled") << "line" << 2 << "Связь с прибором потеряна: cable pulled. Запись прервана." << 1 << false
                                  << " Запись прервана на блоке 1, 10:42";
}

void TestMemoryTransfer::writeFault_endsAtTheBlock()
{
    QFETCH(QString, fault);
    QFETCH(int, at);
    QFETCH(QString, message);
    QFETCH(int, blocksSent);
    QFETCH(bool, workingModeSent);
    QFETCH(QString, status);

    Rig rig;
    (fault == "silent" ? rig.link.silentAt : fault == "corrupt" ? rig.link.corruptAt : rig.link.lineFailsAt) = at;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.writeToPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(rig.notifier.messages.size(), 1);
    QVERIFY2(rig.notifier.messages.first().startsWith(message), qPrintable(rig.notifier.messages.first()));
    QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), blocksSent);
    QCOMPARE(rig.link.sent.last() == WriteModeWork(), workingModeSent);
    QVERIFY(!rig.progress.shown);
    QCOMPARE(statusAfter(rig.transfer), status);
}

void TestMemoryTransfer::cutReply_doesNotSwallowTheNextEcho_data()
{
    QTest::addColumn<bool>("write"); // else a read
    QTest::addColumn<int>("at"); // reply number; reply 1 is the address echo
    QTest::addColumn<QString>("message");

    const QString unchanged = " Настройки в программе не изменены.";
    QTest::newRow("read, address echo") << false << 1 << "Прибор не отвечает. Чтение прервано на блоке 1 из 1600." + unchanged;
    QTest::newRow("read, data block") << false << 5 << "Прибор не отвечает. Чтение прервано на блоке 4 из 1600." + unchanged;
    QTest::newRow("write, acknowledgement") << true << 3 << "Прибор не отвечает. Запись прервана на блоке 2 из 1600.";
}

void TestMemoryTransfer::cutReply_doesNotSwallowTheNextEcho()
{
    QFETCH(bool, write);
    QFETCH(int, at);
    QFETCH(QString, message);

    Rig rig;
    rig.link.cutAt = at;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(write ? rig.transfer.writeToPanel(rig.settings) : rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(rig.notifier.messages, QStringList { message });

    // The panel did answer the command; what was left of the cut reply must not eat the echo.
    finished.clear();
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(rig.notifier.messages, QStringList { message });
}

void TestMemoryTransfer::transferFileFault_endsRead_portStillDelivers_data()
{
    QTest::addColumn<QString>("transferFile"); // "{dir}" stands for the test folder
    QTest::addColumn<QString>("message");

    QTest::newRow("folder missing")
            << "{dir}/missing/folder/temp.tab"
            << "Не удалось создать файл «{dir}/missing/folder/temp.tab»: Файл не найден. Чтение не начато.";
#ifdef Q_OS_LINUX
    QTest::newRow("disk full")
            << "/dev/full"
            << "Не удалось записать файл «/dev/full»: Нет места на диске. Чтение прервано. "
               "Настройки в программе не изменены.";
#endif
}

void TestMemoryTransfer::transferFileFault_endsRead_portStillDelivers()
{
    QFETCH(QString, transferFile);
    QFETCH(QString, message);

    Rig rig;
    rig.transfer.setTransferFile(transferFile.replace("{dir}", rig.dir.path()));
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(rig.config);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    rig.transfer.readFromPanel(rig.settings);
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(rig.notifier.messages, QStringList { message.replace("{dir}", rig.dir.path()) });
    QVERIFY(ConfigurationSnapshot::of(rig.config) == before);
    QVERIFY(!rig.progress.shown);

    finished.clear();
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
}

void TestMemoryTransfer::transferFile_namedInFull_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("message"); // "{dir}" stands for the current folder

    QTest::newRow("write") << true << "Не удалось записать файл «{dir}/missing/temp.tab»: Файл не найден";
    QTest::newRow("read") << false << "Не удалось создать файл «{dir}/missing/temp.tab»: Файл не найден. Чтение не начато.";
}

// The bare name would not say which folder the program was started in.
void TestMemoryTransfer::transferFile_namedInFull()
{
    QFETCH(bool, write);
    QFETCH(QString, message);

    Rig rig;
    const QString savedCurrent = QDir::currentPath();
    const auto restore = qScopeGuard([&] { QDir::setCurrent(savedCurrent); });
    QVERIFY(QDir::setCurrent(rig.dir.path()));
    rig.transfer.setTransferFile("missing/temp.tab");
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    if (write) {
        QVERIFY(!rig.transfer.writeToPanel(rig.settings));
    } else {
        QVERIFY(rig.transfer.readFromPanel(rig.settings));
        QVERIFY(rig.waitFinished(finished));
    }
    QCOMPARE(rig.notifier.messages, QStringList { message.replace("{dir}", QDir::currentPath()) });
}

void TestMemoryTransfer::transferFile_inTheDataFolderWhenTheCurrentIsReadOnly_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("current folder writable") << false;
    QTest::newRow("current folder read-only") << true;
}

// A program started from a menu may work in a folder the user cannot write to.
void TestMemoryTransfer::transferFile_inTheDataFolderWhenTheCurrentIsReadOnly()
{
    QFETCH(bool, readOnly);
    Rig rig;
    rig.transfer.setTransferFile(QString());
    rig.link.memory = panelImage();
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(rig.dir.path(), everyone)); // the ordinary user gets through
    const QString current = rig.dir.filePath("current");
    QVERIFY(QDir().mkpath(current));
    QVERIFY(QFile::setPermissions(current, readOnly ? everyone & ~(QFile::WriteOwner | QFile::WriteOther) : everyone));

    const QString savedCurrent = QDir::currentPath();
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(savedCurrent);
        qputenv("XDG_DATA_HOME", savedData);
    });
    QVERIFY(QDir::setCurrent(current));
    qputenv("XDG_DATA_HOME", rig.dir.filePath("data").toLocal8Bit());
    const QString expected = readOnly ? rig.dir.filePath("data/Mirvane/temp.tab") : current + "/temp.tab";

    const OrdinaryUserFileAccess access;
    if (!access.isEffective())
        QSKIP("root could not give up its rights over files");
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY2(rig.notifier.messages.isEmpty(), qPrintable(rig.notifier.messages.join('\n')));
    QCOMPARE(rig.transfer.transferFile(), expected);
    QFile temp(expected);
    QVERIFY(temp.open(QIODevice::ReadOnly));
    QCOMPARE(temp.readAll(), rig.link.memory);
    QCOMPARE(QDir(current).entryList(QDir::Files | QDir::Hidden), readOnly ? QStringList() : QStringList { "temp.tab" });

    finished.clear();
    rig.link.memory.fill('\0');
    QVERIFY(rig.transfer.writeToPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(rig.link.memory, rig.config.image().Bytes());
}

void TestMemoryTransfer::workingModeAfterATransfer_unconfirmed_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("status");

    // Replies: the address echo, 1600 blocks, then the working-mode echo.
    QTest::newRow("write") << "write" << " Записано в прибор, но прибор не подтвердил переход в рабочий режим 10:42";
    QTest::newRow("read") << "read" << " Прочитано из прибора, но прибор не подтвердил переход в рабочий режим 10:42";
    QTest::newRow("compare") << "compare"
                             << " Сравнение с прибором завершено, но прибор не подтвердил переход в рабочий режим 10:42";
}

void TestMemoryTransfer::workingModeAfterATransfer_unconfirmed()
{
    QFETCH(QString, command);
    QFETCH(QString, status);

    Rig rig;
    rig.link.corruptAt = 1602;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(command == "write"     ? rig.transfer.writeToPanel(rig.settings)
            : command == "compare" ? rig.transfer.compareWithPanel(rig.settings)
                                   : rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(rig.notifier.messages, QStringList { "Пришел неверный пакет!" });
    QCOMPARE(statusAfter(rig.transfer), status);
}

void TestMemoryTransfer::panelImageThatCannotBeShown_isRefusedWhole()
{
    Rig rig;
    rig.link.memory = panelImage();
    rig.link.memory[203] = char(200); // day start of profile 2 past 23:50
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(rig.config);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    rig.transfer.readFromPanel(rig.settings);
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(rig.notifier.messages.size(), 1);
    QVERIFY(rig.notifier.messages.first().contains("203"));
    QVERIFY(ConfigurationSnapshot::of(rig.config) == before);
    QCOMPARE(rig.link.sent.last(), WriteModeWork());
}

void TestMemoryTransfer::portCannotBeOpened_commandDoesNotStart()
{
    Rig rig;
    rig.link.openFails = true;
    QVERIFY(!rig.transfer.readFromPanel(rig.settings));
    QVERIFY(!rig.transfer.writeToPanel(rig.settings));
    QVERIFY(!rig.transfer.switchToWorkingMode(rig.settings));
    QCOMPARE(rig.notifier.messages, QStringList(3, "Unable to open com port (Error: 1)"));
    QVERIFY(rig.link.sent.isEmpty());
    QCOMPARE(rig.transfer.mode(), MemoryTransfer::Mode::Idle);
}

void TestMemoryTransfer::workingMode_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("status");
    QTest::newRow("echoed") << "" << true << QStringList {} << " Прибор переведён в рабочий режим 10:42";
    QTest::newRow("wrong echo") << "corrupt" << false << QStringList { "Пришел неверный пакет!" }
                                << " Прибор не подтвердил переход в рабочий режим 10:42";
    QTest::newRow("no echo") << "silent" << false << QStringList { "Прибор не ответил на команду перехода в рабочий режим." }
                             << " Прибор не подтвердил переход в рабочий режим 10:42";
}

void TestMemoryTransfer::workingMode()
{
    QFETCH(QString, fault);
    QFETCH(bool, success);
    QFETCH(QStringList, messages);
    QFETCH(QString, status);
    Rig rig;
    if (fault == "corrupt")
        rig.link.corruptAt = 1;
    if (fault == "silent")
        rig.link.silentAt = 1;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QCOMPARE(rig.link.sent, QByteArrayList { WriteModeWork() });
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), success);
    QCOMPARE(rig.notifier.messages, messages);
    QCOMPARE(statusAfter(rig.transfer), status);
}

void TestMemoryTransfer::workingMode_stopsATransfer()
{
    Rig rig;
    rig.link.silentAt = 3; // the second block is never acknowledged
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.writeToPanel(rig.settings));
    QTRY_COMPARE(rig.link.sent.size(), 3);
    rig.link.silentAt = 0;
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(rig.notifier.messages.isEmpty());
    QVERIFY(!rig.progress.shown);
    QCOMPARE(rig.link.sentWithCommand(CommandWriteMemory, 133), 2);
}

void TestMemoryTransfer::workingMode_afterAnotherHandler_awaitsItsEcho()
{
    class Ignoring : public ReplyHandler
    {
    public:
        void handleReply(const QByteArray &) override { }
        void handleWritten() override { }
        void handleSendFailure(const QString &) override { }
        void handleLinkFailure(const QString &) override { }
        void endQuietly() override { }
    } search; // as a finished device search leaves the port
    Rig rig;
    rig.channel.setHandler(&search);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(rig.notifier.messages.isEmpty());
    QCOMPARE(rig.channel.handler(), &rig.transfer);
}

void TestMemoryTransfer::idleReplies_areOnlyCompared()
{
    Rig rig;
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.switchToWorkingMode(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    emit rig.link.received(WriteModeWork());
    QVERIFY(rig.notifier.messages.isEmpty());
    emit rig.link.received(SetAddress(SettingsAddress));
    QCOMPARE(rig.notifier.messages, QStringList { "Пришел неверный пакет!" });
    QCOMPARE(finished.size(), 1);
}

void TestMemoryTransfer::newExchange_endsTheRunningOneQuietly_data()
{
    QTest::addColumn<QString>("running"); // "write", "read" or "search"
    QTest::addColumn<QString>("started");
    QTest::addColumn<QStringList>("progress");

    const QString writing = "Идет запись в прибор";
    const QString reading = "Идет чтение из прибора";
    QTest::newRow("read during a write") << "write" << "read" << QStringList { writing, "closed", reading, "closed" };
    QTest::newRow("write during a read") << "read" << "write" << QStringList { reading, "closed", writing, "closed" };
    QTest::newRow("search during a write") << "write" << "search" << QStringList { writing, "closed" };
    QTest::newRow("search during a read") << "read" << "search" << QStringList { reading, "closed" };
    QTest::newRow("read during a search") << "search" << "read" << QStringList { reading, "closed" };
    QTest::newRow("write during a search") << "search" << "write" << QStringList { writing, "closed" };
}

void TestMemoryTransfer::newExchange_endsTheRunningOneQuietly()
{
    QFETCH(QString, running);
    QFETCH(QString, started);
    QFETCH(QStringList, progress);

    Rig rig;
    rig.notifier.answer = true; // to the search's warning
    rig.config.changeSettings([&](SystemSettings &s) { s.edAddrKLM = "1"; });
    DeviceSearch search(rig.channel, rig.config, rig.notifier);
    // Long enough for the running exchange to be caught with a timer armed, short enough
    // for a timer left running to fire while the new exchange runs.
    const int wait = 200;
    rig.transfer.setReplyTimeout(wait);
    search.setPollInterval(wait);
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QSignalSpy received(&rig.link, &SerialLink::received);
    const auto start = [&rig, &search](const QString &exchange) {
        if (exchange == "search")
            return search.start(rig.settings, 1, rig.config.settings().edAddrKLM);
        return exchange == "write" ? rig.transfer.writeToPanel(rig.settings) : rig.transfer.readFromPanel(rig.settings);
    };

    if (running != "search")
        rig.link.silentAt = 3; // the second block gets no answer
    QVERIFY(start(running));
    QTRY_COMPARE(received.size(), running == "search" ? 1 : 2); // a timer now waits
    rig.link.silentAt = 0;
    const qsizetype sentBefore = rig.link.sent.size();

    QVERIFY(start(started));
    if (started == "search") {
        QTRY_VERIFY(rig.link.sent.size() > sentBefore + 1); // echoed and polled
        QTest::qWait(2 * wait);
        QVERIFY(search.isActive());
    } else {
        QVERIFY(rig.waitFinished(finished));
        QTest::qWait(2 * wait);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(!search.isActive());
        const QByteArrayList sentSince = rig.link.sent.mid(sentBefore);
        QVERIFY(std::none_of(sentSince.cbegin(), sentSince.cend(),
                             [](const QByteArray &frame) { return frame.size() > 5 && quint8(frame.at(5)) == 0x7E; }));
        QCOMPARE(rig.link.sent.last(), WriteModeWork());
    }
    QCOMPARE(rig.notifier.warnings + rig.notifier.informations, QStringList());
    QCOMPARE(rig.progress.events, progress);
}

void TestMemoryTransfer::transfer_afterASearchThatIsGone()
{
    Rig rig;
    rig.notifier.answer = true;
    rig.config.changeSettings([&](SystemSettings &s) { s.edAddrKLM = "1"; });
    {
        DeviceSearch search(rig.channel, rig.config, rig.notifier);
        QVERIFY(search.start(rig.settings, 1, rig.config.settings().edAddrKLM));
    } // its window closed and took it along
    QSignalSpy finished(&rig.transfer, &MemoryTransfer::finished);
    QVERIFY(rig.transfer.readFromPanel(rig.settings));
    QVERIFY(rig.waitFinished(finished));
    QCOMPARE(finished.first().first().toBool(), true);
}

QTEST_GUILESS_MAIN(TestMemoryTransfer)
#include "tst_memorytransfer.moc"
