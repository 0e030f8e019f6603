#include "csvcommands.h"

#include "fileloading.h"
#include "stderrnotifier.h"

#include <messages/messages.h>
#include <model/configuration.h>
#include <storage/csvlists.h>
#include <storage/filecommands.h>

#include <QDir>
#include <QTextStream>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitRefused = 1;
constexpr int ExitFailure = 2;

} // namespace

namespace CsvCommands {

int exportLists(const QString &inFile, const QString &folder, StderrNotifier &notifier)
{
    Configuration config;
    if (!loadFile(config, inFile, notifier))
        return ExitFailure;
    QString error;
    const QStringList written = CsvLists::exportLists(config, folder, &error);
    if (written.isEmpty()) {
        notifier.warning(error);
        return ExitFailure;
    }
    QTextStream out(stdout);
    for (const QString &path : written)
        out << QDir::toNativeSeparators(path) << '\n';
    return ExitSuccess;
}

int importNames(const QString &inFile, const QString &namesFile, const QString &outFile, StderrNotifier &notifier)
{
    Configuration config;
    if (!loadFile(config, inFile, notifier))
        return ExitFailure;
    QStringList refusals;
    QString error;
    const std::optional<int> named = CsvLists::importZoneNames(config, namesFile, &refusals, &error);
    if (!named && refusals.isEmpty()) {
        notifier.warning(error);
        return ExitFailure;
    }
    if (!named) {
        for (const QString &refusal : std::as_const(refusals))
            notifier.warning(refusal);
        notifier.warning(message(MessageId::ZoneNamesNotWritten)
                                 .arg(QDir::toNativeSeparators(outFile)));
        return ExitRefused;
    }
    FileCommands commands(config, notifier);
    commands.buildImage();
    if (!commands.saveFile(outFile))
        return ExitFailure;
    QTextStream(stdout) << QStringLiteral("Заданы имена зон: %1.").arg(*named) << '\n';
    return ExitSuccess;
}

} // namespace CsvCommands
