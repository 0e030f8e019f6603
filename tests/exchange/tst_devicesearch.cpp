#include "fakepanellink.h"
#include "recordingnotifier.h"
#include "relayreplies.h"
#include "unexpectedwarnings.h"

#include <exchange/devicesearch.h>
#include <exchange/searchmessages.h>
#include <link/frames.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <model/configuration.h>
#include <storage/imagebuilder.h>
#include <storage/imageloader.h>

#include <QSignalSpy>
#include <QTest>

using namespace RelayReplies;
using namespace SearchMessages;

using TypeAndChannel = QList<QPair<int, int>>;

namespace {

// Keeps what the program sends; the panel stays silent and the test feeds the replies.
class RecordingLink : public FakePanelLink
{
public:
    RecordingLink() { silentAt = 1; }

    // The module messages inside the relay frames sent, in order.
    QByteArrayList messages() const
    {
        QByteArrayList list;
        for (const QByteArray &frame : sent) {
            if (frame.size() < 8 || quint8(frame.at(5)) != 0x7E)
                continue;
            const QByteArray block = Frames::unescape(frame.mid(6, frame.size() - 8));
            list << block.left(block.size() - 1);
        }
        return list;
    }
};

struct Rig
{
    explicit Rig(const QString &technological = QStringLiteral("1"))
    {
        notifier.answer = true;
        config.changeSettings([&](SystemSettings &s) { s.edAddrKLM = technological; });
        search.setPollInterval(1);
        search.setStatusRepeatInterval(1000000);
    }

    // Started, echoed and polled once: the next reply is the first queue step.
    bool startAndPoll()
    {
        if (!start())
            return false;
        feed(Frames::SetAddress(Frames::RelayAddress));
        return QTest::qWaitFor([this] { return link.messages().size() == 1; });
    }
    bool start() { return search.start(settings, module, config.settings().edAddrKLM); }
    void feed(const QByteArray &frame) { emit link.received(frame); }
    QByteArray lastMessage() const { return link.messages().value(link.messages().size() - 1); }
    QString lastNote() { return config.mtSensorNew().rowValue(config.mtSensorNew().rowCount() - 1, "note").toString(); }

    RecordingLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    DeviceSearch search { channel, config, notifier };
    PortSettings settings;
    int module = 1;
};

} // namespace

class TestDeviceSearch : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void messagesCarryTheModuleAddressByte_data();
    void messagesCarryTheModuleAddressByte();
    void start_asksFirst_andNeedsAnAddress();
    void firstQueueStep_sendsStart_thenPollsFollow();
    void reports_areAcknowledgedFirst_data();
    void reports_areAcknowledgedFirst();
    void silence_isToldButEndsNothing();
    void haltingReplies_data();
    void haltingReplies();
    void identity_bothForms_andQueuedMessages();
    void statusRequest_behindUnmatchedAddressMessage_waits();
    void addressMessage_matchedByByteValues();
    void duplicates_areNoted();
    void subDevices_data();
    void subDevices();
    void pendingQuery_isNotCarriedIntoTheNextSearch();
    void addresses_onlyUpTo129();
    void answerReceived_isNoted();
    void closedSearch_ignoresRepliesAndTimers();
    void shortReports_areIgnored_data();
    void shortReports_areIgnored();
    void addressMatching_considersOnlyAddressMessages();
    void tags_knownAcrossSearchesAndReloads();
};

void TestDeviceSearch::messagesCarryTheModuleAddressByte_data()
{
    QTest::addColumn<QString>("technological");
    QTest::addColumn<int>("byte");
    QTest::newRow("1") << "1" << 0x01;
    QTest::newRow("9") << "9" << 0x09;
    QTest::newRow("12") << "12" << 0x12;
    QTest::newRow("16") << "16" << 0x16;
}

void TestDeviceSearch::messagesCarryTheModuleAddressByte()
{
    QFETCH(QString, technological);
    QFETCH(int, byte);
    Rig rig(technological);
    QVERIFY(rig.startAndPoll());
    QCOMPARE(rig.link.sent.first(), Frames::SetAddress(Frames::RelayAddress));
    QCOMPARE(rig.lastMessage().toHex(' '), PollMessage(quint8(byte)).toHex(' '));
    QCOMPARE(quint8(rig.lastMessage().at(1)), quint8(byte));
}

void TestDeviceSearch::start_asksFirst_andNeedsAnAddress()
{
    Rig declined;
    declined.notifier.answer = false;
    QVERIFY(!declined.start());
    QCOMPARE(declined.notifier.questions,
             QStringList { "ВНИМАНИЕ!\nСейчас будет произведен поиск и добавление новых устройств к КЛМ № 1.\n"
                           "Убедитесь, что технологический КЛМ с адресом 1 подключен к линии H3L3-H4L4 ППК, "
                           "а сам ППК - к компьютеру с помощью USB-кабеля!" });
    QVERIFY(declined.link.sent.isEmpty());

    Rig noAddress(QString {});
    QVERIFY(!noAddress.start());
    QCOMPARE(noAddress.notifier.warnings, QStringList { "Диапазон технологического адреса 1..16" });
    QVERIFY(noAddress.link.sent.isEmpty());

    Rig noModule;
    noModule.module = 0;
    QVERIFY(!noModule.start());
    QCOMPARE(noModule.notifier.warnings, QStringList { "Выберите модуль, к которому добавлять устройства." });
    QVERIFY(noModule.link.sent.isEmpty());
}

void TestDeviceSearch::firstQueueStep_sendsStart_thenPollsFollow()
{
    Rig rig;
    rig.config.mtSensorNew().append(); // an earlier search's result
    QVERIFY(rig.startAndPoll());
    QCOMPARE(rig.config.mtSensorNew().rowCount(), 0);
    rig.feed(code(0x00));
    QCOMPARE(rig.lastMessage(), StartMessage(0x01));
    rig.feed(code(0x80));
    QTRY_COMPARE(rig.link.messages().size(), 3);
    QCOMPARE(rig.lastMessage(), PollMessage(0x01));
    rig.feed(code(0x03)); // busy: poll again
    QTRY_COMPARE(rig.link.messages().size(), 4);
    QCOMPARE(rig.lastMessage(), PollMessage(0x01));
}

void TestDeviceSearch::reports_areAcknowledgedFirst_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("number");
    QTest::newRow("identity") << identityReport(QByteArray::fromHex("011201011234"), 0x30, 0x0B) << 0x0B;
    QTest::newRow("address tag") << identityReport(QByteArray::fromHex("061201011234"), 0x30, 0x0C) << 0x0C;
    QTest::newRow("unknown kind") << reply(0x01, QByteArray::fromHex("0200000030 0d9999")) << 0x0D;
    QTest::newRow("status with nothing queued") << statusReport(1, 0x34, 0x30) << 0x07;
    QTest::newRow("answer received") << answerReport(QByteArray::fromHex("011201011234")) << 0x08;
}

void TestDeviceSearch::reports_areAcknowledgedFirst()
{
    QFETCH(QByteArray, report);
    QFETCH(int, number);
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(report);
    QCOMPARE(rig.link.messages().size(), 2);
    QCOMPARE(rig.lastMessage(), AckMessage(0x01, quint8(number)));
}

void TestDeviceSearch::haltingReplies_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("message");
    QTest::newRow("module does not answer") << QByteArray::fromHex("c6010702000029") << "Прибор не отвечает!";
    QTest::newRow("code 05") << code(0x05) << "Непонятная команда =05";
    QTest::newRow("code AB") << code(0xAB) << "Непонятная команда =AB";
}

void TestDeviceSearch::haltingReplies()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, message);
    Rig rig;
    QSignalSpy halted(&rig.search, &DeviceSearch::halted);
    QVERIFY(rig.startAndPoll());
    rig.feed(frame);
    QCOMPARE(rig.notifier.informations, QStringList { message });
    QCOMPARE(halted.size(), 1);
    QCOMPARE(halted.first().first().toString(), message); // the window repeats it
    QCOMPARE(rig.link.messages().size(), 1);
    rig.feed(QByteArray::fromHex("c6010702")); // too short to mean anything
    QCOMPARE(rig.link.messages().size(), 1);
}

void TestDeviceSearch::silence_isToldButEndsNothing()
{
    Rig rig;
    rig.search.setSilenceInterval(50);
    QSignalSpy halted(&rig.search, &DeviceSearch::fellSilent);
    QVERIFY(rig.startAndPoll()); // the poll goes out and nothing comes back
    QVERIFY(halted.wait(5000));
    QCOMPARE(halted.first().first().toString(), QStringLiteral("Нет ответа от модуля"));
    QVERIFY(rig.notifier.informations.isEmpty() && rig.notifier.warnings.isEmpty()); // no box over the window
    QVERIFY(rig.search.isActive()); // a late reply still carries on
    QCOMPARE(rig.link.messages().size(), 1);

    // Once the window has closed, silence says nothing.
    rig.search.stop();
    QTest::qWait(120);
    QCOMPARE(halted.size(), 1);
}

void TestDeviceSearch::identity_bothForms_andQueuedMessages()
{
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(identityReport(QByteArray::fromHex("01120d0c1234")));

    const MemTable &found = rig.config.mtSensorNew();
    QCOMPARE(found.rowCount(), 1);
    QCOMPARE(found.rowValue(0, "id_sen").toInt(), 1);
    QCOMPARE(found.rowValue(0, "ver").toInt(), 12);
    QCOMPARE(found.rowValue(0, "year").toInt(), 13);
    QCOMPARE(found.rowValue(0, "month").toInt(), 0);
    QCOMPARE(found.rowValue(0, "snum").toString(), QStringLiteral("1234"));
    QCOMPARE(found.rowValue(0, "id_dev").toInt(), 1);
    QCOMPARE(found.rowValue(0, "note").toString(), QStringLiteral("записано в базу по адресу 2"));

    const MemTable &sensors = rig.config.mtSensor();
    QCOMPARE(sensors.rowCount(), 1);
    const QList<std::pair<const char *, int>> expected {
        { "id_dev", 1 }, { "id_sen", 1 }, { "id_chan", 1 }, { "addr", 2 }, { "id_being", 0 }, { "id_area", 0 },
        { "ver", 18 }, { "year", 13 }, { "month", 12 }, { "saddrh", 18 }, { "saddrl", 52 },
    };
    for (const auto &[field, value] : expected)
        QVERIFY2(sensors.rowValue(0, field).toInt() == value, field);
    QCOMPARE(rig.config.image().ChannelRecord(1, 0).at(0), quint8(2));
    QCOMPARE(rig.config.image().DeviceRecord(1, 0).toByteArray().left(6).toHex(' '),
             QByteArray::fromHex("010c0d0c1234").toHex(' '));

    const QByteArray address = AddressMessage(0x01, 1, 12, 13, 0, 0, 0x1234, 2);
    QCOMPARE(address.mid(13, 6).toHex(' '), QByteArray::fromHex("010c0d000034").toHex(' '));
    QCOMPARE(rig.search.state().CommandQueue,
             (QByteArrayList { StatusRequestA(0x01), StatusRequestB(0x01), address }));

    rig.feed(identityReport(QByteArray::fromHex("020101010001")));
    QCOMPARE(rig.lastNote(), QStringLiteral("записано в базу по адресу 3"));
    QCOMPARE(rig.search.state().CommandQueue.size(), 4);
    QCOMPARE(rig.search.state().CommandQueue.last(), AddressMessage(0x01, 2, 1, 1, 1, 0, 1, 3));
    QCOMPARE(sensors.rowValue(1, "id_chan").toInt(), 2);
}

void TestDeviceSearch::statusRequest_behindUnmatchedAddressMessage_waits()
{
    Rig rig;
    rig.search.setStatusRepeatInterval(1);
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00)); // start
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    rig.feed(code(0x00));
    QCOMPARE(rig.lastMessage(), StatusRequestA(0x01));
    rig.feed(code(0x00));
    QCOMPARE(rig.lastMessage(), StatusRequestB(0x01));
    // No status report comes: the repeat lands behind the address message.
    QTRY_COMPARE(rig.search.state().CommandQueue.size(), 2);
    QVERIFY(!isStatusRequest(rig.search.state().CommandQueue.first()));
    QVERIFY(isStatusRequest(rig.search.state().CommandQueue.last()));
    const int sent = rig.link.messages().size();
    rig.feed(code(0x00));
    QTRY_VERIFY(rig.link.messages().size() > sent);
    QCOMPARE(rig.link.messages().at(sent), PollMessage(0x01));
}

void TestDeviceSearch::addressMessage_matchedByByteValues()
{
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00)); // start
    rig.feed(identityReport(QByteArray::fromHex("040101010AC6")));
    rig.feed(identityReport(QByteArray::fromHex("030101010A46")));
    rig.feed(code(0x00));
    rig.feed(code(0x00)); // both status requests sent
    rig.feed(statusReport(0x03, 0x46, 0x61)); // matches the second device only
    QCOMPARE(rig.lastMessage(), AckMessage(0x01, 0x07));
    rig.feed(statusReport(0x04, 0xC6, 0x62));
    rig.feed(code(0x00));
    QByteArray expected = AddressMessage(0x01, 3, 1, 1, 1, 0, 0x0A46, 3);
    expected[9] = char(0x61);
    QCOMPARE(rig.lastMessage().toHex(' '), expected.toHex(' '));
    rig.feed(code(0x00));
    expected = AddressMessage(0x01, 4, 1, 1, 1, 0, 0x0AC6, 2);
    expected[9] = char(0x62);
    QCOMPARE(rig.lastMessage().toHex(' '), expected.toHex(' '));
    QVERIFY(rig.search.state().CommandQueue.isEmpty());
    QVERIFY(rig.search.state().ReportQueue.isEmpty());
}

void TestDeviceSearch::duplicates_areNoted()
{
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    QCOMPARE(rig.lastNote(), QStringLiteral("дубликат;"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 1);
    QCOMPARE(rig.search.state().CommandQueue.size(), 3);

    // An address tag already configured: "дубликат" without the semicolon.
    MemTable &sensors = rig.config.mtSensor();
    sensors.append();
    for (const auto &[field, value] : { std::pair { "id_sen", 6 }, { "ver", 2 }, { "year", 20 }, { "month", 3 },
                                        { "saddrh", 2 }, { "saddrl", 1 } })
        sensors.setValue(field, value);
    sensors.post();
    rig.feed(identityReport(QByteArray::fromHex("060214030201")));
    rig.feed(followUpReport(0x21));
    QCOMPARE(rig.lastNote(), QStringLiteral("дубликат"));
    QCOMPARE(sensors.rowCount(), 2);
}

void TestDeviceSearch::subDevices_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("note");
    QTest::addColumn<TypeAndChannel>("rows"); // type, channel

    TypeAndChannel znk { { 7, 195 }, { 7, 195 } };
    for (int k = 2; k < 10; ++k)
        znk << qMakePair(12, 193);
    TypeAndChannel vorsen4 { { 7, 195 }, { 7, 195 } };
    for (int k = 2; k < 6; ++k)
        vorsen4 << qMakePair(11, k + 14);
    QTest::newRow("ЗНК-8") << 0x21 << "ЗНК-8" << znk;
    QTest::newRow("Ворсен-4П") << 0x04 << "ППКП Ворсен-4П" << vorsen4;
    QTest::newRow("ПУиЗ") << 0x31 << "ПУиЗ Ворсен-1" << TypeAndChannel { { 7, 195 }, { 7, 195 }, { 13, 196 } };
    QTest::newRow("unknown kind") << 0x05 << "прибор неопределен" << TypeAndChannel {};
}

void TestDeviceSearch::subDevices()
{
    QFETCH(int, kind);
    QFETCH(QString, note);
    QFETCH(TypeAndChannel, rows);
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00)); // start
    rig.feed(identityReport(QByteArray::fromHex("070214030201"), 0x44));
    QCOMPARE(rig.search.state().PendingIdentity, QByteArray::fromHex("070214030201"));
    rig.feed(code(0x00));
    QCOMPARE(rig.lastMessage(), FollowUpQuery(0x01, 0x44));
    QVERIFY(rig.search.state().PendingQuery.isEmpty());
    rig.feed(followUpReport(quint8(kind)));

    QCOMPARE(rig.lastNote(), note);
    const MemTable &sensors = rig.config.mtSensor();
    QCOMPARE(sensors.rowCount(), rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        QCOMPARE(sensors.rowValue(row, "id_sen").toInt(), rows.at(row).first);
        QCOMPARE(sensors.rowValue(row, "id_chan").toInt(), rows.at(row).second);
        QCOMPARE(sensors.rowValue(row, "addr").toInt(), 2);
    }
    QCOMPARE(rig.config.image().ChannelRecord(1, 0).at(0), quint8(rows.isEmpty() ? 0 : 2));
    QVERIFY(rig.search.state().CommandQueue.isEmpty()); // a sub-device is told nothing
}

void TestDeviceSearch::pendingQuery_isNotCarriedIntoTheNextSearch()
{
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00));
    rig.feed(identityReport(QByteArray::fromHex("060214030201")));
    QVERIFY(!rig.search.state().PendingQuery.isEmpty());
    rig.search.stop();

    QVERIFY(rig.start());
    QVERIFY(rig.search.state().PendingQuery.isEmpty());
    QVERIFY(rig.search.state().PendingIdentity.isEmpty());
    rig.feed(Frames::SetAddress(Frames::RelayAddress));
    const int sent = rig.link.messages().size();
    QTRY_COMPARE(rig.link.messages().size(), sent + 1);
    rig.feed(code(0x00));
    QCOMPARE(rig.lastMessage(), StartMessage(0x01));
    rig.feed(code(0x00));
    QTRY_COMPARE(rig.lastMessage(), PollMessage(0x01));
}

void TestDeviceSearch::addresses_onlyUpTo129()
{
    Rig rig;
    for (int record = 0; record < 128; ++record)
        rig.config.image().ChannelRecord(1, record).set(0, record + 2);
    QVERIFY(rig.startAndPoll());
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    QCOMPARE(rig.lastNote(), QStringLiteral("нет места в базе"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 0);
    QCOMPARE(rig.config.image().ChannelRecord(1, 128).at(0), quint8(0));
    QVERIFY(rig.search.state().CommandQueue.isEmpty());

    rig.feed(identityReport(QByteArray::fromHex("070214030201")));
    rig.feed(code(0x00));
    rig.feed(followUpReport(0x21));
    QCOMPARE(rig.lastNote(), QStringLiteral("ЗНК-8; нет места в базе"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 0);
}

void TestDeviceSearch::answerReceived_isNoted()
{
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(identityReport(QByteArray::fromHex("020101010001")));
    rig.feed(identityReport(QByteArray::fromHex("01120d0c1234")));
    rig.feed(answerReport(QByteArray::fromHex("01120d0c1234")));
    const MemTable &found = rig.config.mtSensorNew();
    QCOMPARE(found.rowValue(1, "note").toString(), QStringLiteral("записано в базу по адресу 3 ;получен ответ;"));
    QCOMPARE(found.rowValue(0, "note").toString(), QStringLiteral("записано в базу по адресу 2"));
}

void TestDeviceSearch::closedSearch_ignoresRepliesAndTimers()
{
    Rig rig;
    rig.search.setStatusRepeatInterval(1);
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00));
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    rig.feed(code(0x00)); // status request A: the repeat timer runs
    rig.search.stop();
    const int sent = rig.link.sent.size();
    rig.feed(code(0x00));
    rig.feed(identityReport(QByteArray::fromHex("020101010001")));
    QTest::qWait(20);
    QCOMPARE(rig.link.sent.size(), sent);
    QVERIFY(rig.search.state().CommandQueue.isEmpty());
    QCOMPARE(rig.config.mtSensorNew().rowCount(), 1);
}

void TestDeviceSearch::shortReports_areIgnored_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("acknowledged");

    // Whole frames with short bodies; every field lies where it lies in the received
    // bytes, the trailing CRC, flag and CRC included (a body of n bytes makes 14 + n).
    const auto cut = [](const char *body, int size) {
        return reply(0x01, QByteArray::fromHex(body).left(size));
    };
    QTest::newRow("no report number") << cut("0200000021", 2) << false;
    QTest::newRow("number, no kind") << cut("020000002105", 6) << true;
    QTest::newRow("identity cut before its serial") << cut("0200000021 05071f 011201011234", 10) << false;
    QTest::newRow("tag identity cut") << cut("0200000044 05071f 070214030201", 10) << false;
    QTest::newRow("answer cut") << cut("0200000024 08082b 011201011234", 10) << false;
    // A frame whose sender left out the relay trailer: ends right after the report kind.
    QByteArray followUp = QByteArray::fromHex("c60100 02027e 0201010108 02000000 22 06 040607");
    followUp[2] = char(followUp.size());
    QTest::newRow("follow-up ending before its kind") << followUp << false;
    QTest::newRow("status cut before its serial")
            << cut("0200000061 07082e00 01 00000000 34", 11) << false;
}

void TestDeviceSearch::shortReports_areIgnored()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, acknowledged);
    Rig rig;
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00)); // start
    rig.feed(identityReport(QByteArray::fromHex("070214030201"), 0x44)); // a tag: its follow-up is awaited
    rig.feed(identityReport(QByteArray::fromHex("011201011234"))); // a device: its messages are queued
    const SearchState before = rig.search.state();
    const int sent = rig.link.messages().size();
    const int found = rig.config.mtSensorNew().rowCount();
    const int sensors = rig.config.mtSensor().rowCount();

    QVERIFY(frame.size() >= ShortestRelayReply);
    rig.feed(frame);
    QCOMPARE(rig.link.messages().size(), sent + (acknowledged ? 1 : 0));
    if (acknowledged)
        QCOMPARE(rig.lastMessage().left(6), AckMessage(0x01, 0).left(6));
    // Nothing recorded, queued or matched.
    QCOMPARE(rig.search.state().ReportQueue, before.ReportQueue);
    QCOMPARE(rig.search.state().CommandQueue, before.CommandQueue);
    QCOMPARE(rig.config.mtSensor().rowCount(), sensors);
    QCOMPARE(rig.config.mtSensorNew().rowCount(), found);
    QCOMPARE(rig.lastNote(), QStringLiteral("записано в базу по адресу 2"));
    QVERIFY(rig.notifier.messages.size() == 1); // the question only
}

void TestDeviceSearch::addressMatching_considersOnlyAddressMessages()
{
    Rig rig;
    rig.search.setStatusRepeatInterval(1);
    QVERIFY(rig.startAndPoll());
    rig.feed(code(0x00)); // start
    rig.feed(identityReport(QByteArray::fromHex("011201011234")));
    rig.feed(code(0x00));
    rig.feed(code(0x00)); // both status requests sent; the repeat lands behind the address message
    QTRY_COMPARE(rig.search.state().CommandQueue.size(), 2);
    // A status report of another device, type 3, serial low 00: the status request's
    // byte 13 is 03 and it has no byte 18, which must not pass for a 00.
    rig.feed(statusReport(0x03, 0x00, 0x61));
    const int sent = rig.link.messages().size();
    rig.feed(code(0x00));
    QTRY_VERIFY(rig.link.messages().size() > sent);
    QCOMPARE(rig.link.messages().at(sent), PollMessage(0x01));
    QCOMPARE(rig.search.state().CommandQueue.size(), 2);
    QVERIFY(isStatusRequest(rig.search.state().CommandQueue.last()));
    QCOMPARE(quint8(rig.search.state().CommandQueue.last().at(9)), quint8(0x00));
    QCOMPARE(rig.search.state().ReportQueue.size(), 1);
}

void TestDeviceSearch::tags_knownAcrossSearchesAndReloads()
{
    Rig rig;
    const auto findTag = [&rig] {
        const int sent = rig.link.messages().size();
        if (!rig.start())
            return false;
        rig.feed(Frames::SetAddress(Frames::RelayAddress));
        if (!QTest::qWaitFor([&] { return rig.link.messages().size() == sent + 1; }))
            return false;
        rig.feed(code(0x00)); // start
        rig.feed(identityReport(QByteArray::fromHex("070214030201"), 0x44));
        rig.feed(code(0x00)); // the follow-up query
        rig.feed(followUpReport(0x21));
        rig.search.stop();
        return true;
    };
    QVERIFY(findTag());
    QCOMPARE(rig.lastNote(), QStringLiteral("ЗНК-8"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 10);

    QVERIFY(findTag()); // a later search
    QCOMPARE(rig.lastNote(), QStringLiteral("дубликат"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 10);

    // Saved and loaded again: every row of the address now has the one device record's type.
    ImageBuilder::build(rig.config);
    SettingsImage saved;
    QVERIFY(saved.setBytes(rig.config.image().Bytes()));
    ImageLoader::fillTables(rig.config, saved);
    QCOMPARE(rig.config.mtSensor().rowCount(), 10);
    QVERIFY(findTag());
    QCOMPARE(rig.lastNote(), QStringLiteral("дубликат"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 10);

    // Another tag of the same kind and date is new.
    const int sent = rig.link.messages().size();
    QVERIFY(rig.start());
    rig.feed(Frames::SetAddress(Frames::RelayAddress));
    QTRY_COMPARE(rig.link.messages().size(), sent + 1);
    rig.feed(code(0x00));
    rig.feed(identityReport(QByteArray::fromHex("070214030202"), 0x45));
    rig.feed(code(0x00));
    rig.feed(followUpReport(0x21));
    QCOMPARE(rig.lastNote(), QStringLiteral("ЗНК-8"));
    QCOMPARE(rig.config.mtSensor().rowCount(), 20);
}

QTEST_GUILESS_MAIN(TestDeviceSearch)
#include "tst_devicesearch.moc"
