// Load and build of the largest configuration the panel holds.

#include "maximalconfiguration.h"

#include <model/configuration.h>
#include <model/unsavedchanges.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <storage/tabfile.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int repetitions = 50;

template<typename Work>
double millisecondsPerRun(Work work)
{
    work(); // warm-up
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repetitions; ++i)
        work();
    return double(timer.nsecsElapsed()) / repetitions / 1e6;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("maximal.tab"));
    BenchNotifier notifier;
    if (!saveMaximalFile(path))
        return 1;

    Configuration config;
    FileCommands commands(config, notifier);
    const double load = millisecondsPerRun([&] {
        if (!commands.openFile(path))
            std::abort();
    });
    std::printf("detectors %d, outputs %d, zones %d\n", config.mtSensor().rowCount(),
                config.mtReturn().rowCount(), config.mtArea().rowCount());
    std::printf("%-42s %8.3f ms\n", "load (file, both filling stages)", load);
    std::printf("%-42s %8.3f ms\n", "build (both stages)", millisecondsPerRun([&] { commands.buildImage(); }));
    std::printf("%-42s %8.3f ms\n", "build and save", millisecondsPerRun([&] {
                    commands.buildImage();
                    commands.saveFile(path);
                }));
    UnsavedChanges unsaved(config);
    std::printf("%-42s %8.3f ms\n", "unsaved changes: the question", millisecondsPerRun([&] {
                    if (unsaved.exist())
                        std::abort();
                }));
    return 0;
}
