// Files of any content given as a list of zone names: either every line is accepted or
// none is, each refusal naming its line; an accepted name reaches its zone, and what the
// zone then shows is exactly what the image will hold.
//
// Input: the file's bytes.

#include "fuzzsupport.h"

#include <image/cp1251.h>
#include <model/configuration.h>
#include <storage/csvlists.h>

#include <QRegularExpression>
#include <QSet>

namespace {

constexpr int NameLength = 40;

void checkNames(const CsvLists::ZoneNames &read)
{
    FUZZ_CHECK(read.names.isEmpty() || read.refusals.isEmpty(), QStringLiteral("names and refusals both"));
    static const QRegularExpression lineRefused(QStringLiteral("^Строка \\d+: "));
    for (const QString &refusal : read.refusals)
        FUZZ_CHECK(lineRefused.match(refusal).hasMatch(), refusal);
    QSet<int> zones;
    for (const CsvLists::ZoneName &name : read.names) {
        FUZZ_CHECK(name.zone >= 1 && name.zone <= Configuration::ZoneCount, QString::number(name.zone));
        FUZZ_CHECK(!zones.contains(name.zone), QStringLiteral("zone %1 twice").arg(name.zone));
        zones.insert(name.zone);
        FUZZ_CHECK(name.name.size() <= NameLength, name.name);
    }
}

// The zone's name as shown, against what its slot in the image will hold.
void checkShownIsStored(const Configuration &config, const CsvLists::ZoneNames &read)
{
    const MemTable &zones = config.mtArea();
    for (const CsvLists::ZoneName &name : read.names) {
        const QString shown = zones.lookupValue(ZoneField::id, name.zone, ZoneField::name).toString();
        const QString stored =
                Cp1251::withoutTrailingBlanks(Cp1251::decode(Cp1251::encodeSlotText(shown, NameLength)));
        FUZZ_CHECK(stored == Cp1251::withoutTrailingBlanks(Cp1251::upperCased(shown)),
                   QStringLiteral("zone %1 shows «%2», the image holds «%3»").arg(name.zone).arg(shown, stored));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startCoreApplication(argc, argv);
    treatQtMessagesAsFaults();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const CsvLists::ZoneNames read =
            CsvLists::parseZoneNames(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    checkNames(read);
    if (read.names.isEmpty())
        return 0;
    static Configuration config; // made once: a configuration takes longer than a file
    FUZZ_CHECK(CsvLists::applyZoneNames(config, read.names) == read.names.size(), QString());
    checkShownIsStored(config, read);
    return 0;
}
