// The handover report of the largest configuration the panel holds: as HTML, and on A4
// pages as a PDF.

#include "maximalconfiguration.h"

#include <model/configuration.h>
#include <report/handoverreport.h>
#include <report/reportdocument.h>
#include <report/reporthtml.h>
#include <storage/imagebuilder.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The median of `runs` runs, after one to warm up.
template<typename Work>
double medianMilliseconds(int runs, Work work)
{
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    Configuration config;
    fillMaximal(config);
    const ReportSource source { QStringLiteral("maximal.tab"), ImageBuilder::builtAside(config),
                                QDateTime::currentDateTime() };
    QString html;
    const double htmlTime = medianMilliseconds(21, [&] { html = reportHtml(handoverReport(config, source)); });
    const ReportContent content = handoverReport(config, source);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("maximal.pdf"));
    int pages = 0;
    const double pdfTime = medianMilliseconds(5, [&] {
        QString error;
        if (!ReportDocument::save(content, file, &error, &pages)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::abort();
        }
    });
    std::printf("detectors %d, zones %d, HTML %lld KB, PDF %d pages, %lld KB\n", config.mtSensor().rowCount(),
                config.mtArea().rowCount(), qlonglong(html.toUtf8().size() / 1024), pages,
                qlonglong(QFileInfo(file).size() / 1024));
    std::printf("%-24s %9.1f ms (target 100)\n", "report as HTML", htmlTime);
    std::printf("%-24s %9.1f ms (target 2000)\n", "report as PDF", pdfTime);
    return 0;
}
