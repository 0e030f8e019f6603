#include "csvcommands.h"
#include "devicecommands.h"
#include "fileloading.h"
#include "reportcommand.h"
#include "stderrnotifier.h"

#include <exchange/memorytransfer.h>
#include <link/portchoices.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <model/configurationdiff.h>
#include <model/configurationjson.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <storage/writecheck.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitDifferent = 1;
constexpr int ExitFailure = 2;

const QString description = QStringLiteral(
        "Файлы настроек прибора «Ворсен-А» без окна программы.\n"
        "\n"
        "Команды:\n"
        "  dump ФАЙЛ.tab              настройки в виде JSON\n"
        "  rebuild ВХОД.tab ВЫХОД.tab загрузить, собрать образ заново и записать\n"
        "  factory ВЫХОД.tab          записать заводские настройки\n"
        "  diff A.tab B.tab           чем B отличается от A; код 0 — ничем, 1 — отличается\n"
        "  check ФАЙЛ.tab             что не попадёт в прибор при записи; код 0 — всё попадёт, 1 — нет\n"
        "  backups                    резервные копии прочитанного из прибора и записанного в него\n"
        "  ports                      последовательные порты: имя, описание, изготовитель,\n"
        "                             USB-идентификаторы и серийный номер, где известны\n"
        "  report ФАЙЛ.tab ОТЧЁТ.html|ОТЧЁТ.pdf\n"
        "                             отчёт о конфигурации для передачи прибора: HTML или PDF (A4)\n"
        "  export ФАЙЛ.tab ПАПКА      списки зон, устройств и выходов в CSV для электронных таблиц\n"
        "  import-names ВХОД.tab ЗОНЫ.csv ВЫХОД.tab\n"
        "                             взять имена зон из CSV (строки «номер;имя»); код 1 — есть\n"
        "                             неверные строки, и ничего не записывается\n"
        "  read --port ПОРТ ВЫХОД.tab прочитать настройки из прибора\n"
        "  write --port ПОРТ [--verify] ВХОД.tab\n"
        "                             загрузить файл в прибор (и проверить, что он там)\n"
        "  compare --port ПОРТ ФАЙЛ.tab\n"
        "                             чем файл отличается от прибора; код 0 — ничем, 1 — отличается\n"
        "  workmode --port ПОРТ       перевести прибор в рабочий режим\n"
        "  search --port ПОРТ --module M --klm A --seconds S ВХОД.tab ВЫХОД.tab\n"
        "                             найти новые устройства модуля M через технологический КЛМ A\n"
        "\n"
        "\n"
        "Ctrl+C прерывает обмен с прибором, как Esc в окне программы.\n"
        "При ошибке в аргументах или файлах код 2, и ничего не записывается.");

// What a command gets: its files, the serial line for the device commands, and where to speak.
struct Invocation
{
    QStringList files;
    DeviceCommands::Line line;
    DeviceCommands::Search search;
    StderrNotifier &notifier;
};

int dump(const Invocation &call)
{
    Configuration config;
    if (!loadFile(config, call.files.at(0), call.notifier))
        return ExitFailure;
    const QByteArray json = QJsonDocument(configurationToJson(config)).toJson(QJsonDocument::Indented);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size() || !out.flush()) {
        call.notifier.warning(message(MessageId::JsonNotWritten).arg(out.errorString()));
        return ExitFailure;
    }
    return ExitSuccess;
}

int rebuild(const Invocation &call)
{
    Configuration config;
    if (!loadFile(config, call.files.at(0), call.notifier))
        return ExitFailure;
    FileCommands commands(config, call.notifier);
    commands.buildImage();
    return commands.saveFile(call.files.at(1)) ? ExitSuccess : ExitFailure;
}

int factory(const Invocation &call)
{
    Configuration config;
    FileCommands commands(config, call.notifier);
    commands.buildImage();
    return commands.saveFile(call.files.at(0)) ? ExitSuccess : ExitFailure;
}

int diff(const Invocation &call)
{
    Configuration before;
    Configuration after;
    if (!loadFile(before, call.files.at(0), call.notifier) || !loadFile(after, call.files.at(1), call.notifier))
        return ExitFailure;
    const QStringList lines = describeDifferences(before, after);
    QTextStream out(stdout);
    for (const QString &line : lines)
        out << line << '\n';
    return lines.isEmpty() ? ExitSuccess : ExitDifferent;
}

int check(const Invocation &call)
{
    Configuration config;
    if (!loadFile(config, call.files.at(0), call.notifier))
        return ExitFailure;
    const QStringList problems = WriteCheck::problems(config);
    QTextStream out(stdout);
    for (const QString &problem : problems)
        out << problem << '\n';
    return problems.isEmpty() ? ExitSuccess : ExitDifferent;
}

int backups(const Invocation &)
{
    QTextStream out(stdout);
    const BackupStore store(BackupStore::defaultFolder());
    for (const BackupStore::Entry &entry : store.entries()) {
        out << entry.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
            << BackupStore::directionWord(entry.direction) << "  " << entry.size << "  " << entry.path << '\n';
    }
    return ExitSuccess;
}

int ports(const Invocation &)
{
    QTextStream out(stdout);
    const QList<PortDetails> found = PortChoices::systemPortDetails();
    if (found.isEmpty())
        out << "Последовательных портов не найдено.\n";
    for (const PortDetails &port : found)
        out << PortChoices::describe(port) << '\n';
    return ExitSuccess;
}

struct Command
{
    QLatin1String name;
    int fileCount;
    int (*run)(const Invocation &call);
    bool needsPort;
};

const Command commands[] = {
    { QLatin1String("dump"), 1, dump, false },
    { QLatin1String("rebuild"), 2, rebuild, false },
    { QLatin1String("factory"), 1, factory, false },
    { QLatin1String("diff"), 2, diff, false },
    { QLatin1String("check"), 1, check, false },
    { QLatin1String("backups"), 0, backups, false },
    { QLatin1String("ports"), 0, ports, false },
    { QLatin1String("report"), 2, [](const Invocation &call) {
          return writeReport(call.files.at(0), call.files.at(1), call.notifier); }, false },
    { QLatin1String("export"), 2, [](const Invocation &call) {
          return CsvCommands::exportLists(call.files.at(0), call.files.at(1), call.notifier); }, false },
    { QLatin1String("import-names"), 3, [](const Invocation &call) {
          return CsvCommands::importNames(call.files.at(0), call.files.at(1), call.files.at(2), call.notifier); },
      false },
    { QLatin1String("read"), 1, [](const Invocation &call) {
          return DeviceCommands::read(call.line, call.files.at(0), call.notifier); }, true },
    { QLatin1String("write"), 1, [](const Invocation &call) {
          return DeviceCommands::write(call.line, call.files.at(0), call.notifier); }, true },
    { QLatin1String("compare"), 1, [](const Invocation &call) {
          return DeviceCommands::compare(call.line, call.files.at(0), call.notifier); }, true },
    { QLatin1String("workmode"), 0, [](const Invocation &call) {
          return DeviceCommands::workingMode(call.line, call.notifier); }, true },
    { QLatin1String("search"), 2, [](const Invocation &call) {
          return DeviceCommands::search(call.line, call.search, call.notifier); }, true },
};

int usageError(const QCommandLineParser &parser, const QString &problem)
{
    QTextStream(stderr) << problem << "\n\n" << parser.helpText();
    return ExitFailure;
}

} // namespace

int main(int argc, char *argv[])
{
    // Pages of a report are laid out with fonts, which only a GUI application has; it needs
    // no display. Every other command stays a console program.
    const bool drawsPages = std::any_of(argv + 1, argv + argc, [](const char *a) { return qstrcmp(a, "report") == 0; });
    if (drawsPages && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = drawsPages ? std::make_unique<QGuiApplication>(argc, argv)
                                                             : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Последовательный порт прибора."),
                                  QStringLiteral("ПОРТ"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Скорость линии (9600)."),
                                  QStringLiteral("БОД"), QStringLiteral("9600"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Сколько ждать ответа прибора, мс (2000)."),
                                     QStringLiteral("МС"), QString::number(MemoryTransfer::DefaultReplyTimeout));
    const QCommandLineOption module(QStringLiteral("module"), QStringLiteral("Модуль, к которому добавлять устройства."),
                                    QStringLiteral("M"));
    const QCommandLineOption klm(QStringLiteral("klm"), QStringLiteral("Адрес технологического КЛМ (1..16)."),
                                 QStringLiteral("A"), QStringLiteral("1"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Сколько секунд искать (10)."),
                                     QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Записать в файл каждый кадр обмена с прибором."),
                                   QStringLiteral("ФАЙЛ"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    QStringLiteral("После записи прочитать память прибора и сравнить с записанным."));
    parser.addOptions({ port, baud, timeout, module, klm, seconds, trace, verify });
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("dump, rebuild, factory, diff, check, backups, ports, report, export, "
                                                "import-names, read, write, compare, workmode или search"));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("файлы команды"),
                                 QStringLiteral("files..."));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help))
        parser.showHelp(ExitSuccess);
    if (parser.isSet(version))
        parser.showVersion();

    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return usageError(parser, message(MessageId::NoCommand));
    const QString name = arguments.takeFirst();
    const auto command = std::find_if(std::begin(commands), std::end(commands),
                                      [&name](const Command &c) { return c.name == name; });
    if (command == std::end(commands))
        return usageError(parser, message(MessageId::UnknownCommandName).arg(name));
    if (arguments.size() != command->fileCount)
        return usageError(parser, message(MessageId::WrongFileCount)
                                          .arg(name)
                                          .arg(command->fileCount)
                                          .arg(arguments.size()));

    DeviceCommands::Line line;
    if (command->needsPort) {
        if (!parser.isSet(port) || parser.value(port).isEmpty())
            return usageError(parser, message(MessageId::PortMissing).arg(name));
        bool baudOk = false;
        bool timeoutOk = false;
        line.settings.port = parser.value(port);
        line.settings.baudRate = QStringLiteral("Custom");
        line.settings.customBaudRate = parser.value(baud).toInt(&baudOk);
        line.replyTimeout = parser.value(timeout).toInt(&timeoutOk);
        line.traceFile = parser.value(trace);
        line.verify = parser.isSet(verify);
        if (!baudOk || line.settings.customBaudRate <= 0 || !timeoutOk || line.replyTimeout <= 0)
            return usageError(parser, message(MessageId::BadLineNumbers));
    }

    DeviceCommands::Search search;
    if (name == QLatin1String("search")) {
        bool moduleOk = false;
        bool secondsOk = false;
        search.module = parser.value(module).toInt(&moduleOk);
        search.seconds = parser.value(seconds).toInt(&secondsOk);
        search.technologicalAddress = parser.value(klm);
        if (!parser.isSet(module) || !moduleOk || search.module < 1 || search.module > 16 || !secondsOk
            || search.seconds <= 0)
            return usageError(parser, message(MessageId::BadSearchOptions));
        search.inFile = arguments.at(0);
        search.outFile = arguments.at(1);
    }

    StderrNotifier notifier;
    return command->run({ arguments, line, search, notifier });
}
