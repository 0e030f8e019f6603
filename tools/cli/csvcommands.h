#pragma once

#include <QString>

class StderrNotifier;

// The lists a spreadsheet opens, and zone names taken back from one.
namespace CsvCommands {

// The zone, device and output lists of `inFile` into `folder`: 0 written, 2 failed.
int exportLists(const QString &inFile, const QString &folder, StderrNotifier &notifier);
// `inFile` with the zone names of `namesFile`, written to `outFile`: 0 written, 1 lines
// of the names file refused (each told, nothing written), 2 failed.
int importNames(const QString &inFile, const QString &namesFile, const QString &outFile, StderrNotifier &notifier);

} // namespace CsvCommands
