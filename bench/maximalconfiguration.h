#pragma once

#include <image/records.h>
#include <model/configuration.h>
#include <model/notifier.h>
#include <storage/filecommands.h>

#include <cstdio>

// Every module a КЛМ with 248 detector channels on 128 devices and 8 outputs; 500 named
// zones, each linked to 16 outputs.
inline void fillMaximal(Configuration &config)
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
            ZoneRecord(config.image().ZoneRecord(zone)).setOutputLink(slot, { module, 248 + output % 8 });
        }
    }
    zones.first();
}

// What the program would tell, on stderr; every question answered yes.
class BenchNotifier : public Notifier
{
public:
    void information(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void warning(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool question(const QString &) override { return true; }
};

// The largest configuration saved as the program saves it; false when it could not be.
inline bool saveMaximalFile(const QString &path)
{
    BenchNotifier notifier;
    Configuration config;
    fillMaximal(config);
    FileCommands commands(config, notifier);
    commands.buildImage();
    return commands.saveFile(path);
}

// The largest configuration as a file opens it, saved to `path` first.
inline bool openMaximalFile(Configuration &config, const QString &path)
{
    BenchNotifier notifier;
    return saveMaximalFile(path) && FileCommands(config, notifier).openFile(path);
}

// What the figures were taken on.
inline void printSize(const Configuration &config)
{
    std::printf("zones %d, modules %d, detectors %d, outputs %d\n", config.mtArea().rowCount(),
                config.mtDev().rowCount(), config.mtSensor().rowCount(), config.mtReturn().rowCount());
}
