#include "reportcommand.h"

#include "fileloading.h"
#include "stderrnotifier.h"

#include <model/configuration.h>
#include <report/handoverreport.h>
#include <report/reportdocument.h>
#include <storage/filereading.h>

#include <QDateTime>
#include <QDir>
#include <QTextStream>

int writeReport(const QString &inFile, const QString &outFile, StderrNotifier &notifier)
{
    constexpr int ExitSuccess = 0;
    constexpr int ExitFailure = 2;

    Configuration config;
    if (!loadFile(config, inFile, notifier))
        return ExitFailure;
    // The file's own bytes, so that the SHA-256 is the one `sha256sum` gives: a load may
    // tidy the image it keeps.
    QString error;
    const std::optional<QByteArray> bytes = readFileBytes(inFile, -1, &error);
    if (!bytes) {
        notifier.warning(error);
        return ExitFailure;
    }
    const ReportContent report =
            handoverReport(config, { QDir::toNativeSeparators(inFile), *bytes, QDateTime::currentDateTime() });
    int pages = 0;
    if (!ReportDocument::save(report, outFile, &error, &pages)) {
        notifier.warning(error);
        return ExitFailure;
    }
    if (ReportDocument::isPdf(outFile))
        QTextStream(stderr) << QStringLiteral("Страниц: %1").arg(pages) << '\n';
    return ExitSuccess;
}
