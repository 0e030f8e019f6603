#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Configuration;

// The zone, device and output lists as CSV files for the spreadsheets installers keep
// them in, and zone names taken back from such a file. The files open by double-click in
// the spreadsheet programs of the region: UTF-8 with a byte order mark, ";" between
// fields, CRLF line ends, a title row first.
namespace CsvLists {

// "зоны.csv", "устройства.csv" and "выходы.csv", the files an export writes.
QStringList listFileNames();

// Writes "зоны.csv", "устройства.csv" and "выходы.csv" into `folder`, made when missing.
// All three are written out before any replaces its file, so a full disk or a refused
// folder leaves every file as it was. The paths written; none on failure, and `error`
// names the file and why.
QStringList exportLists(const Configuration &config, const QString &folder, QString *error);

struct ZoneName
{
    int zone; // 1..500
    QString name; // trailing blanks cut; empty clears the zone's name
};

// What a names file says: every name when all its lines are accepted, else no names and
// one refusal per refused line ("Строка 7: …").
struct ZoneNames
{
    QList<ZoneName> names;
    QStringList refusals;
};

// Lines "zone number;name", further fields ignored: the zones file the export writes or
// one typed by hand. UTF-8 with or without a byte order mark (a file that is not UTF-8 is
// read as windows-1251, as spreadsheets save CSV there), CRLF or LF, quoted fields; blank
// lines and a title line (its first field not a number) are passed over.
ZoneNames parseZoneNames(const QByteArray &contents);

// Names the zones through the zone table, as though each were typed in: upper-cased and
// written into the image. Zones not listed keep their names; the table's current row
// stays. How many zones were named.
int applyZoneNames(Configuration &config, const QList<ZoneName> &names);

// Both, from a file; nothing changes unless every line is accepted. How many zones were
// named; nothing when the file could not be read (`error` says why) or lines were refused
// (`refusals` lists them).
std::optional<int> importZoneNames(Configuration &config, const QString &fileName, QStringList *refusals,
                                   QString *error);

} // namespace CsvLists
