#pragma once

#include <link/portsettings.h>

#include <QStringList>

class StderrNotifier;

// The memory transfers from the command line, over a real serial line.
namespace DeviceCommands {

struct Line
{
    PortSettings settings;
    int replyTimeout; // ms
    QString traceFile; // every frame, for a fault report; none when empty
    bool verify = false; // a write is read back and compared
};

int read(const Line &line, const QString &outFile, StderrNotifier &notifier);
int write(const Line &line, const QString &inFile, StderrNotifier &notifier);
int workingMode(const Line &line, StderrNotifier &notifier);
// How the file differs from what the panel holds: 0 not at all, 1 it differs, 2 failed.
int compare(const Line &line, const QString &inFile, StderrNotifier &notifier);

struct Search
{
    int module; // whose loop gets the devices
    QString technologicalAddress; // as typed into the modules page
    int seconds;
    QString inFile;
    QString outFile;
};
int search(const Line &line, const Search &search, StderrNotifier &notifier);

} // namespace DeviceCommands
