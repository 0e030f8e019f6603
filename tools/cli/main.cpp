#include "stderrnotifier.h"

#include <configuration.h>
#include <configurationdiff.h>
#include <configurationjson.h>
#include <filecommands.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>

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
        "\n"
        "При ошибке в аргументах или файлах код 2, и ничего не записывается.");

// As "Открыть файл" loads it.
bool load(Configuration &config, const QString &fileName, StderrNotifier &notifier)
{
    FileCommands commands(config, notifier);
    return commands.openFile(fileName) && !notifier.warned();
}

int dump(const QStringList &files, StderrNotifier &notifier)
{
    Configuration config;
    if (!load(config, files.at(0), notifier))
        return ExitFailure;
    const QByteArray json = QJsonDocument(configurationToJson(config)).toJson(QJsonDocument::Indented);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(json) != json.size() || !out.flush()) {
        notifier.warning(QStringLiteral("Не удалось вывести JSON: %1").arg(out.errorString()));
        return ExitFailure;
    }
    return ExitSuccess;
}

int rebuild(const QStringList &files, StderrNotifier &notifier)
{
    Configuration config;
    if (!load(config, files.at(0), notifier))
        return ExitFailure;
    FileCommands commands(config, notifier);
    commands.buildImage();
    return commands.saveFile(files.at(1)) ? ExitSuccess : ExitFailure;
}

int factory(const QStringList &files, StderrNotifier &notifier)
{
    Configuration config;
    FileCommands commands(config, notifier);
    commands.buildImage();
    return commands.saveFile(files.at(0)) ? ExitSuccess : ExitFailure;
}

int diff(const QStringList &files, StderrNotifier &notifier)
{
    Configuration before;
    Configuration after;
    if (!load(before, files.at(0), notifier) || !load(after, files.at(1), notifier))
        return ExitFailure;
    const QStringList lines = describeDifferences(before, after);
    QTextStream out(stdout);
    for (const QString &line : lines)
        out << line << '\n';
    return lines.isEmpty() ? ExitSuccess : ExitDifferent;
}

struct Command
{
    QLatin1String name;
    int fileCount;
    int (*run)(const QStringList &files, StderrNotifier &notifier);
};

const Command commands[] = {
    { QLatin1String("dump"), 1, dump },
    { QLatin1String("rebuild"), 2, rebuild },
    { QLatin1String("factory"), 1, factory },
    { QLatin1String("diff"), 2, diff },
};

int usageError(const QCommandLineParser &parser, const QString &problem)
{
    QTextStream(stderr) << problem << "\n\n" << parser.helpText();
    return ExitFailure;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirvane-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("dump, rebuild, factory или diff"));
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("файлы команды"),
                                 QStringLiteral("files..."));
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help))
        parser.showHelp(ExitSuccess);

    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return usageError(parser, QStringLiteral("Не указана команда."));
    const QString name = arguments.takeFirst();
    const auto command = std::find_if(std::begin(commands), std::end(commands),
                                      [&name](const Command &c) { return c.name == name; });
    if (command == std::end(commands))
        return usageError(parser, QStringLiteral("Неизвестная команда «%1».").arg(name));
    if (arguments.size() != command->fileCount)
        return usageError(parser, QStringLiteral("Команде %1 нужно файлов: %2, а указано: %3.")
                                          .arg(name)
                                          .arg(command->fileCount)
                                          .arg(arguments.size()));

    StderrNotifier notifier;
    return command->run(arguments, notifier);
}
