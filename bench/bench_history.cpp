// Undo and redo on the largest configuration, as a file opens it: 200 steps of single-cell
// edits (the device list's, whose columns are the longest), the memory they keep, and the
// time one undo or redo takes, also of a step that touched every zone.

#include "maximalconfiguration.h"

#include <model/configuration.h>
#include <model/edithistory.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// What the heap holds now; 0 where the C library does not say.
size_t allocatedBytes()
{
#ifdef __GLIBC__
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

struct Times
{
    double median = 0;
    double worst = 0;
};

Times summary(std::vector<double> microseconds)
{
    std::sort(microseconds.begin(), microseconds.end());
    return { microseconds.at(microseconds.size() / 2), microseconds.back() };
}

template <typename Work>
double microsecondsOf(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1000.0;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    Configuration config;
    if (!openMaximalFile(config, dir.filePath(QStringLiteral("maximal.tab"))))
        return 1;
    EditHistory history(config);
    printSize(config);

    // Single cells of the device list, over its editable columns and rows, each one step.
    MemTable &devices = config.mtSensor();
    devices.setFiltered(false);
    const int columns[] = { SensorField::id_mode, SensorField::id_being, SensorField::id_area };
    const size_t before = allocatedBytes();
    std::vector<double> commits;
    for (int edit = 0; history.undoCount() < EditHistory::MaxSteps && edit < 10 * EditHistory::MaxSteps; ++edit) {
        devices.setRecNo(1 + (edit * 19) % devices.recordCount());
        const int field = columns[edit % 3];
        devices.setValue(field, devices.asInteger(field) == 0 ? 1 : 0);
        devices.post();
        commits.push_back(microsecondsOf([&] { history.commit(); }));
    }
    const size_t kept = allocatedBytes() - before;
    std::printf("%d steps of single-cell edits keep %.1f MB\n", history.undoCount(), double(kept) / (1024.0 * 1024.0));

    std::vector<double> undos;
    while (history.canUndo())
        undos.push_back(microsecondsOf([&] { history.undo(); }));
    std::vector<double> redos;
    while (history.canRedo())
        redos.push_back(microsecondsOf([&] { history.redo(); }));
    const Times commit = summary(commits);
    const Times undo = summary(undos);
    const Times redo = summary(redos);
    std::printf("commit median %7.1f us, worst %7.1f us\n", commit.median, commit.worst);
    std::printf("undo   median %7.1f us, worst %7.1f us\n", undo.median, undo.worst);
    std::printf("redo   median %7.1f us, worst %7.1f us\n", redo.median, redo.worst);

    // One step that renames every zone: the widest a single action gets.
    MemTable &zones = config.mtArea();
    for (zones.first(); !zones.eof(); zones.next()) {
        zones.setValue(ZoneField::name, QStringLiteral("ЗОНА %1").arg(zones.asInteger(ZoneField::id)));
        zones.post();
    }
    const double wideCommit = microsecondsOf([&] { history.commit(); });
    const double wideUndo = microsecondsOf([&] { history.undo(); });
    const double wideRedo = microsecondsOf([&] { history.redo(); });
    std::printf("500 zones renamed: commit %7.1f us, undo %7.1f us, redo %7.1f us\n", wideCommit, wideUndo, wideRedo);
    return 0;
}
