#include "framelog.h"
#include "linechannel.h"
#include "linedevice.h"
#include "loopmodule.h"
#include "panelsession.h"
#include "replyfaults.h"
#include "replypacer.h"
#include "scenario.h"
#include <tools/common/terminationsignals.h>
#include "virtualpanel.h"

#include <image/settingsimage.h>
#include <link/frames.h>
#include <link/virtualpanels.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <optional>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitLineFailed = 1;
constexpr int ExitRefused = 2;

const QString description = QStringLiteral(
        "Виртуальный прибор «Ворсен-А» для проверки обмена без прибора.\n"
        "\n"
        "Создаёт псевдотерминал и печатает его имя первой строкой; программа открывает его\n"
        "как COM-порт. Пока прибор работает, окно настройки порта предлагает его как\n"
        "«виртуальный прибор (<имя>)». Прибор отвечает на установку адреса, чтение и запись\n"
        "памяти настроек (204800 байт с адреса 0x1D044000) и переход в рабочий режим.\n"
        "\n"
        "Запись по адресу 0x1FC03000 передаётся технологическому КЛМ, который отвечает на\n"
        "сообщения поиска новых устройств по сценарию (--scenario, JSON):\n"
        "  {\"klm\": 1, \"busyPolls\": 0,\n"
        "   \"devices\": [{\"type\": 1, \"version\": 18, \"year\": 13, \"month\": 12, \"serial\": 4660},\n"
        "               {\"type\": 6, \"version\": 1, \"year\": 20, \"month\": 3, \"serial\": 513, \"kind\": 3}],\n"
        "   \"faults\": {\"noAnswer\": false, \"unknownCodeAt\": 0}}\n"
        "Байты устройств передаются как есть; busyPolls — сколько опросов после пуска\n"
        "отвечают «занят»; noAnswer — КЛМ не отвечает; unknownCodeAt — N-й ответ КЛМ с кодом 05.\n"
        "\n"
        "При ошибке в аргументах или файлах код 2, если линия пропала — 1; SIGTERM и SIGINT\n"
        "завершают работу с кодом 0.");

void tell(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
}

int refuse(const QString &problem)
{
    tell(problem);
    return ExitRefused;
}

// A positive whole number, or 0 for an option not given; -1 when the value is not one.
int positiveNumber(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return 0;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    return ok && value > 0 ? value : -1;
}

// The memory the panel starts with: a settings file as the program saves it; bytes past
// the image are ignored.
std::optional<QByteArray> readMemoryFile(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Не удалось открыть память «%1»: %2").arg(fileName, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(SettingsImage::Size);
    if (bytes.size() != SettingsImage::Size) {
        *error = QStringLiteral("В «%1» %2 байт вместо %3").arg(fileName).arg(bytes.size()).arg(SettingsImage::Size);
        return std::nullopt;
    }
    return bytes;
}

bool saveMemory(const QString &fileName, const QByteArray &memory, QString *error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(memory) == memory.size() && file.commit())
        return true;
    *error = QStringLiteral("Не удалось записать память в «%1»: %2").arg(fileName, file.errorString());
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirvane-panel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Работать на этом устройстве вместо нового псевдотерминала."),
                                  QStringLiteral("DEV"));
    const QCommandLineOption memoryFile(QStringLiteral("memory"),
                                        QStringLiteral("Начальное содержимое памяти настроек (файл .tab); "
                                                       "без него — нули."),
                                        QStringLiteral("FILE.tab"));
    const QCommandLineOption saveFile(QStringLiteral("save"),
                                      QStringLiteral("Записывать память в этот файл после законченной записи "
                                                     "в прибор."),
                                      QStringLiteral("FILE.tab"));
    const QCommandLineOption logFile(QStringLiteral("log"),
                                     QStringLiteral("Строка на каждый принятый кадр: команда и длина, "
                                                    "«bad-crc» для кадра с неверной CRC (/dev/stderr — на экран). "
                                                    "Перед строкой кадра для КЛМ: «relay <сообщение>» или "
                                                    "«bad-relay <причина>», и замечания КЛМ: «ack-mismatch», "
                                                    "«followup-mismatch», «address <тип> <номер> <адрес>», "
                                                    "«address-mismatch», «unknown-message»."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption split(QStringLiteral("split"),
                                   QStringLiteral("Каждый ответ двумя частями с паузой в несколько мс."));
    const QCommandLineOption corruptAt(QStringLiteral("corrupt-at"),
                                       QStringLiteral("N-й ответ (считая с 1) с неверной CRC."),
                                       QStringLiteral("N"));
    const QCommandLineOption silentAt(QStringLiteral("silent-at"),
                                      QStringLiteral("Не отвечать, начиная с N-го ответа."), QStringLiteral("N"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Выдавать ответы не быстрее линии с этой скоростью "
                                                 "(10 бит на байт)."),
                                  QStringLiteral("B"));
    const QCommandLineOption klm(QStringLiteral("klm"),
                                 QStringLiteral("Технологический адрес КЛМ, 1..16 (по умолчанию 1)."),
                                 QStringLiteral("A"), QStringLiteral("1"));
    const QCommandLineOption scenarioFile(QStringLiteral("scenario"),
                                          QStringLiteral("Устройства шлейфа КЛМ и его сбои (JSON); "
                                                         "без него КЛМ не находит устройств."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption flipAfterWrite(QStringLiteral("flip-after-write"),
                                            QStringLiteral("После каждой законченной записи испортить байт памяти "
                                                           "со смещением OFFSET (0..204799)."),
                                            QStringLiteral("OFFSET"));
    parser.addOptions({ port, memoryFile, saveFile, logFile, split, corruptAt, silentAt, baud, klm, scenarioFile,
                        flipAfterWrite });

    if (!parser.parse(QCoreApplication::arguments()))
        return refuse(parser.errorText() + QStringLiteral("\n\n") + parser.helpText());
    if (parser.isSet(help))
        parser.showHelp(ExitSuccess);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Лишние аргументы: %1").arg(parser.positionalArguments().join(QLatin1Char(' '))));

    const ReplyFaults::Options faults { positiveNumber(parser, corruptAt), positiveNumber(parser, silentAt) };
    const ReplyPacer::Options pacing { parser.isSet(split), positiveNumber(parser, baud) };
    if (faults.corruptAt < 0 || faults.silentAt < 0 || pacing.baud < 0)
        return refuse(QStringLiteral("--corrupt-at, --silent-at и --baud ждут целое число больше нуля."));

    bool flipOk = true;
    const int flipOffset = parser.isSet(flipAfterWrite) ? parser.value(flipAfterWrite).toInt(&flipOk) : -1;
    if (!flipOk || (parser.isSet(flipAfterWrite) && (flipOffset < 0 || flipOffset >= SettingsImage::Size)))
        return refuse(QStringLiteral("--flip-after-write ждёт смещение от 0 до %1.").arg(SettingsImage::Size - 1));

    bool klmOk = false;
    const int klmOption = parser.value(klm).toInt(&klmOk);
    if (!klmOk || klmOption < 1 || klmOption > 16)
        return refuse(QStringLiteral("--klm ждёт целое число от 1 до 16."));

    QString error;
    Scenario scenario;
    if (parser.isSet(scenarioFile)) {
        std::optional<Scenario> loaded = Scenario::load(parser.value(scenarioFile), &error);
        if (!loaded)
            return refuse(error);
        scenario = std::move(*loaded);
    }
    const int technologicalAddress = scenario.technologicalAddress.value_or(klmOption);

    QByteArray memory(SettingsImage::Size, '\0');
    if (parser.isSet(memoryFile)) {
        const std::optional<QByteArray> image = readMemoryFile(parser.value(memoryFile), &error);
        if (!image)
            return refuse(error);
        memory = *image;
    }

    FrameLog log;
    if (parser.isSet(logFile) && !log.open(parser.value(logFile), &error))
        return refuse(error);

    TerminationSignals termination;
    if (!termination.install(&error)) {
        tell(error);
        return ExitLineFailed;
    }
    QObject::connect(&termination, &TerminationSignals::arrived, &app, &QCoreApplication::quit);

    const std::optional<LineDevice> device = parser.isSet(port)
            ? LineDevice::open(parser.value(port), &error)
            : LineDevice::createPseudoTerminal(&error);
    if (!device)
        return refuse(error);
    // So that the program's port list offers the new terminal; a device given is already known.
    std::optional<VirtualPanelAnnouncement> announcement;
    if (!parser.isSet(port)) {
        announcement.emplace(device->path());
        if (!announcement->error().isEmpty())
            tell(announcement->error());
    }

    LoopModule module(std::move(scenario), Frames::moduleAddressByte(technologicalAddress));
    VirtualPanel panel(memory, module);
    if (flipOffset >= 0)
        QObject::connect(&panel, &VirtualPanel::writeFinished, &panel, [&panel, flipOffset] { panel.flipByte(flipOffset); });
    if (parser.isSet(saveFile)) {
        QObject::connect(&panel, &VirtualPanel::writeFinished, &panel, [&panel, fileName = parser.value(saveFile)] {
            QString saveError;
            if (!saveMemory(fileName, panel.memory(), &saveError))
                tell(saveError);
        });
    }

    LineChannel channel(device->fd());
    ReplyPacer pacer(pacing);
    PanelSession session(panel, ReplyFaults(faults), log);
    QObject::connect(&channel, &LineChannel::received, &session, &PanelSession::receive);
    QObject::connect(&session, &PanelSession::replyReady, &pacer, &ReplyPacer::send);
    QObject::connect(&pacer, &ReplyPacer::bytesDue, &channel, &LineChannel::send);
    QObject::connect(&channel, &LineChannel::failed, &app, [](const QString &reason) {
        tell(QStringLiteral("Линия потеряна: %1").arg(reason));
        QCoreApplication::exit(ExitLineFailed);
    });

    QTextStream(stdout) << device->path() << Qt::endl;
    return app.exec();
}
