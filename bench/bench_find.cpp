// "Найти…" and "Найти далее" on the largest configuration, as a file opens it.

#include "maximalconfiguration.h"

#include <model/configuration.h>
#include <model/configurationfind.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int warmUps = 100;
constexpr int repetitions = 2000;

template <typename Work>
double microsecondsPerRun(Work work)
{
    for (int i = 0; i < warmUps; ++i)
        work();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repetitions; ++i)
        work();
    return double(timer.nsecsElapsed()) / repetitions / 1000.0;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    Configuration config;
    if (!openMaximalFile(config, dir.filePath(QStringLiteral("maximal.tab"))))
        return 1;
    printSize(config);

    // A zone, a serial, a place on a module, a label, a part of every zone's name, nothing.
    const char *const texts[] = { "317", "Зона 317", "00F7", "7.17", "клм", "склад", "1", "ангар" };
    for (const char *text : texts) {
        const QString query = QString::fromUtf8(text);
        const int found = int(ConfigurationFind::matches(config, query).size());
        ConfigurationFind find(config);
        find.find(query);
        const double once = microsecondsPerRun([&] { ConfigurationFind::matches(config, query); });
        const double next = microsecondsPerRun([&] { find.findNext(); });
        std::printf("find %8.1f us  find next %8.1f us  matches %4d  \"%s\"\n", once, next, found, text);
    }
    return 0;
}
