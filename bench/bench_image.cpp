// Load and build of the largest configuration the panel holds.

#include <model/configuration.h>
#include <model/notifier.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <storage/tabfile.h>

#include <model/unsavedchanges.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int repetitions = 50;

class SilentNotifier : public Notifier
{
public:
    void information(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void warning(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool question(const QString &) override { return true; }
};

// Every module a КЛМ with 248 detector channels on 128 devices and 8 outputs; 500 named
// zones, each linked to 16 outputs.
void fillMaximal(Configuration &config)
{
    MemTable &modules = config.mtDev();
    for (modules.first(); !modules.eof(); modules.next())
        modules.setValue(QStringLiteral("id_being"), 0);

    MemTable &sensors = config.mtSensor();
    MemTable &outputs = config.mtReturn();
    for (int module = 1; module <= Configuration::ModuleCount; ++module) {
        for (int record = 0; record < 248; ++record) {
            sensors.append();
            sensors.setValue(QStringLiteral("id_dev"), module);
            sensors.setValue(QStringLiteral("addr"), 2 + record % 128);
            sensors.setValue(QStringLiteral("id_sen"), 4);
            sensors.setValue(QStringLiteral("id_chan"), 1 + record / 128);
            sensors.setValue(QStringLiteral("saddrl"), record);
            sensors.setValue(QStringLiteral("id_area"), 1 + (module * 248 + record) % 500);
        }
        for (int number = 0; number < 8; ++number) {
            outputs.append();
            outputs.setValue(QStringLiteral("id_dev"), module);
            outputs.setValue(QStringLiteral("offset"), number);
            outputs.setValue(QStringLiteral("id_chan"), 195);
            outputs.setValue(QStringLiteral("id_return"), module * 1000 + number);
        }
    }
    MemTable &zones = config.mtArea();
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(QStringLiteral("id"));
        zones.setValue(QStringLiteral("name"), QStringLiteral("зона номер %1 склад").arg(zone));
        for (int slot = 0; slot < 16; ++slot) {
            const int output = (zone + slot) % 128;
            const int module = 1 + output / 8;
            zones.setValue(Configuration::outputLinkField(slot + 1), module * 1000 + output % 8);
            config.image().ZoneRecord(zone).set(120 + 4 * slot, module);
            config.image().ZoneRecord(zone).set(121 + 4 * slot, 248 + output % 8);
        }
    }
    zones.first();
}

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
    SilentNotifier notifier;
    {
        Configuration config;
        fillMaximal(config);
        FileCommands commands(config, notifier);
        commands.buildImage();
        if (!commands.saveFile(path))
            return 1;
    }

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
