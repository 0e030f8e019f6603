#include "imageloader.h"

#include "cp1251.h"
#include "imagelayout.h"

#include <configuration.h>

#include <QRegularExpression>

using namespace ImageLayout;

namespace {

// Grids may have filtered these tables; a load addresses every row, so the filter is
// lifted for its duration and put back afterwards, announced as a single change.
class AllRowsVisible
{
public:
    explicit AllRowsVisible(MemTable &table) : m_table(table), m_wasFiltered(table.isFiltered())
    {
        m_table.beginUpdate();
        if (m_wasFiltered)
            m_table.setFiltered(false);
    }
    ~AllRowsVisible()
    {
        if (m_wasFiltered)
            m_table.setFiltered(true);
        m_table.endUpdate();
    }
    AllRowsVisible(const AllRowsVisible &) = delete;
    AllRowsVisible &operator=(const AllRowsVisible &) = delete;

private:
    MemTable &m_table;
    bool m_wasFiltered;
};

QString twoHexDigits(int byte)
{
    return QStringLiteral("%1").arg(byte & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

void putOutputKey(MemTable &zones, int key)
{
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
        const QString field = Configuration::outputLinkField(slot);
        if (zones.asInteger(field) == 0) {
            zones.setValue(field, key);
            return;
        }
    }
}

QHash<int, int> zonePositions(MemTable &zones)
{
    QHash<int, int> positions;
    for (zones.first(); !zones.eof(); zones.next())
        positions.insert(zones.asInteger(QStringLiteral("id")), zones.recNo());
    return positions;
}

void fillZoneNames(MemTable &zones, const SettingsImage &source)
{
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(QStringLiteral("id"));
        if (zone < 1 || zone > ZoneCount)
            continue;
        const QByteArray slot = source.ZoneName(zone).toByteArray();
        zones.setValue(QStringLiteral("name"), Cp1251::decode(slot).left(40));
        zones.setValue(QStringLiteral("id_being"), 0);
        zones.setValue(QStringLiteral("id_verif"), 0);
        zones.setValue(QStringLiteral("id_temp"), 0);
        for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
            zones.setValue(Configuration::outputLinkField(slot), 0);
        zones.post();
    }
}

void fillModules(MemTable &modules, const SettingsImage &source)
{
    modules.emptyTable();
    for (int i = 0; i < SettingsImage::ModuleCount; ++i) {
        const int type = source.SystemBlock().at(ModuleTypes + i);
        modules.append();
        modules.setValue(QStringLiteral("id_name"), type);
        modules.setValue(QStringLiteral("addr"), i + 1);
        modules.setValue(QStringLiteral("id_tname"), source.SystemBlock().at(ModuleChains + i));
        const QString number = QString::number(source.SystemBlock().at(ModuleNumbers + i));
        if (type == 2)
            modules.setValue(QStringLiteral("mname"), QStringLiteral("КЛМ № ") + number);
        else if (type == 3)
            modules.setValue(QStringLiteral("mname"), QStringLiteral("КВ-8 № ") + number);
        modules.setValue(QStringLiteral("id_being"), type != 0 ? 0 : 1);
        modules.post();
    }
}

// Silent writes: the device rules would store each value again into record addr − 2,
// which for a device with several channels is another channel's record.
void fillDetectors(MemTable &sensors, const SettingsImage &source, int module)
{
    QVector<QVector<int>> channelsByAddress(LastLoopAddress + 1);
    for (int record = 0; record < DetectorRecordCount; ++record) {
        const int address = source.ChannelRecord(module, record).at(0);
        if (address >= FirstLoopAddress && address <= LastLoopAddress)
            channelsByAddress[address].append(record);
    }
    for (int device = 0; device < SettingsImage::DeviceRecordsPerModule; ++device) {
        if (source.DeviceRecord(module, device).at(0) == 0)
            continue;
        const int address = device + FirstLoopAddress;
        for (const int record : std::as_const(channelsByAddress.at(address))) {
            const auto channel = [&](int byte) { return source.ChannelRecord(module, record).at(byte); };
            sensors.append();
            sensors.setValueSilently(QStringLiteral("id_dev"), module);
            sensors.setValueSilently(QStringLiteral("id_sen"), source.DeviceRecord(module, device).at(0));
            sensors.setValueSilently(QStringLiteral("ver"), source.DeviceRecord(module, device).at(1));
            sensors.setValueSilently(QStringLiteral("year"), source.DeviceRecord(module, device).at(2));
            sensors.setValueSilently(QStringLiteral("month"), source.DeviceRecord(module, device).at(3));
            sensors.setValueSilently(QStringLiteral("saddrh"), source.DeviceRecord(module, device).at(4));
            sensors.setValueSilently(QStringLiteral("saddrl"), source.DeviceRecord(module, device).at(5));
            sensors.setValueSilently(QStringLiteral("id_chan"), channel(1));
            sensors.setValueSilently(QStringLiteral("addr"), channel(0));
            if (channel(1) == 2)
                sensors.setValueSilently(QStringLiteral("id_mode"), channel(2));
            sensors.setValueSilently(QStringLiteral("time"), channel(3));
            sensors.setValueSilently(QStringLiteral("id_being"), channel(4));
            sensors.setValueSilently(QStringLiteral("offset"), channel(8));
            const int zone = channel(5) * 256 + channel(6);
            sensors.setValueSilently(QStringLiteral("id_area"), zone <= ZoneCount ? zone : 0);
            sensors.setValueSilently(QStringLiteral("boolarea"), false);
            sensors.setValueSilently(QStringLiteral("record"), record);
            sensors.post();
        }
    }
}

void fillOutputs(MemTable &outputs, MemTable &zones, const QHash<int, int> &zoneRows,
                 const SettingsImage &source, int module)
{
    int count = 0;
    for (int number = 0; number < OutputCount; ++number) {
        const int record = FirstOutputRecord + number;
        const auto channel = [&](int byte) { return source.ChannelRecord(module, record).at(byte); };
        if (channel(0) == 0)
            continue;
        ++count;
        int mode = channel(2);
        if (channel(1) == 193 && mode == 2)
            mode = 0; // a plain relay cannot notify
        const int zone = channel(5) == 0 ? channel(6) : channel(5) * 256 + channel(6);
        const int key = module * 1000 + channel(8);
        outputs.append();
        outputs.setValueSilently(QStringLiteral("id_dev"), module);
        outputs.setValueSilently(QStringLiteral("index"), channel(7));
        outputs.setValueSilently(QStringLiteral("id_chan"), channel(1));
        outputs.setValueSilently(QStringLiteral("id_mode"), mode);
        outputs.setValueSilently(QStringLiteral("time"), channel(3));
        outputs.setValueSilently(QStringLiteral("id_being"), channel(4));
        outputs.setValueSilently(QStringLiteral("offset"), channel(8));
        outputs.setValueSilently(QStringLiteral("id_area"), zone);
        outputs.setValueSilently(QStringLiteral("vname"),
                                 count <= 4 ? QStringLiteral("SD %1").arg(count)
                                            : QStringLiteral("I/O %1").arg(count - 4));
        outputs.setValueSilently(QStringLiteral("boolarea"), channel(6) != 0);
        outputs.setValueSilently(QStringLiteral("id_return"), key);
        outputs.post();
        if (zone >= 1 && zone <= ZoneCount && zoneRows.contains(zone)) {
            zones.setRecNo(zoneRows.value(zone));
            putOutputKey(zones, key);
            zones.post();
        }
    }
}

void fillZoneSettings(MemTable &zones, const SettingsImage &source)
{
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(QStringLiteral("id"));
        if (zone < 1 || zone > ZoneCount)
            continue;
        zones.setValue(QStringLiteral("id_being"), source.ZoneRecord(zone).at(ZoneState));
        zones.setValue(QStringLiteral("id_verif"), source.ZoneRecord(zone).at(ZoneVerification));
        zones.setValue(QStringLiteral("id_temp"), source.ZoneRecord(zone).at(ZoneProfile));
        for (int slot = 0; slot < OutputLinkSlotCount; ++slot) {
            const int record = source.ZoneRecord(zone).at(OutputLinkSlots + 4 * slot + 1);
            if (record >= FirstOutputRecord)
                putOutputKey(zones, source.ZoneRecord(zone).at(OutputLinkSlots + 4 * slot) * 1000 + record - FirstOutputRecord);
        }
        zones.post();
    }
}

QString eventCodeDigits(const ConstImageBytes &system, int row)
{
    return twoHexDigits(system.at(EventCodes + 2 * row + 1)) + twoHexDigits(system.at(EventCodes + 2 * row));
}

QString accessCode(const ConstImageBytes &system, int offset)
{
    QByteArray bytes = system.toByteArray().mid(offset, AccessCodeSize);
    bytes.replace('\0', QByteArray());
    return Cp1251::decode(bytes);
}

QString messageText(const ConstImageBytes &system, int slot)
{
    return Cp1251::decode(system.toByteArray().mid(MessageSlots + MessageSlotSize * slot, MessageTextSize));
}

void fillTelephone(const ConstImageBytes &system, int offset, QString &text, QString &raw,
                   bool &tone, SystemSettings::ToneCaptionColour &colour)
{
    raw = system.toByteArray().mid(offset, TelephoneNumberSize).toHex().toUpper();
    const ImageLoader::TelephoneText shown = ImageLoader::telephoneTextFromRaw(raw);
    text = shown.text;
    tone = shown.tone;
    colour = shown.tone ? SystemSettings::ToneCaptionColour::Blue : SystemSettings::ToneCaptionColour::Grey;
}

// The settings of an eight-channel module's input as the build stores them.
struct StoredInput
{
    int module;
    int number;
    int message;
    int level;
    int state;
};

// Images written before the inputs' settings were stored carry zeros there; a message
// number 1..4 tells that the record holds settings, otherwise the defaults of a new
// input stand, so that a load never keeps settings of an earlier configuration.
QVector<StoredInput> storedInputSettings(const SettingsImage &image)
{
    QVector<StoredInput> inputs;
    const ConstImageBytes system = image.SystemBlock();
    for (int module = 1; module <= SettingsImage::ModuleCount; ++module) {
        if (system.at(ModuleTypes + module - 1) != 3)
            continue;
        for (int number = 1; number <= 2; ++number) {
            const ConstImageBytes record =
                    image.ChannelRecord(module, number == 1 ? FirstInputRecord : SecondInputRecord);
            if (record.at(2) >= 1 && record.at(2) <= InputMessageCount)
                inputs.append({ module, number, record.at(2), record.at(3), record.at(4) });
            else
                inputs.append({ module, number, 1, 0, 0 });
        }
    }
    return inputs;
}

void applyInputSettings(Configuration &config, const QVector<StoredInput> &stored)
{
    MemTable &inputs = config.mtEntrance();
    const AllRowsVisible allInputs(inputs);
    for (inputs.first(); !inputs.eof(); inputs.next()) {
        const int module = inputs.asInteger(QStringLiteral("addr"));
        const int number = inputs.asInteger(QStringLiteral("num"));
        for (const StoredInput &input : stored) {
            if (input.module != module || input.number != number)
                continue;
            inputs.setValue(QStringLiteral("id_repent"), input.message);
            inputs.setValue(QStringLiteral("level"), input.level);
            inputs.setValue(QStringLiteral("id_being"), input.state);
        }
    }
    inputs.first();
}

} // namespace

namespace ImageLoader {

std::optional<UnconvertibleValue> findUnconvertibleValue(const SettingsImage &image)
{
    const ConstImageBytes system = image.SystemBlock();
    for (int profile = 0; profile < TimeProfileCount; ++profile) {
        for (const int offset : { DayStarts + profile, NightStarts + profile }) {
            if (system.at(offset) > MaxTenMinutes)
                return UnconvertibleValue { offset, QString::number(system.at(offset)),
                                            QStringLiteral("%1 профиля %2")
                                                    .arg(offset < NightStarts ? QStringLiteral("начало дня")
                                                                              : QStringLiteral("начало ночи"))
                                                    .arg(profile + 1) };
        }
    }
    static const QRegularExpression decimal(QStringLiteral("^[0-9]+$"));
    for (int row = 0; row < EventCodeCount; ++row) {
        const QString digits = eventCodeDigits(system, row);
        if (!decimal.match(digits).hasMatch())
            return UnconvertibleValue { EventCodes + 2 * row, digits,
                                        QStringLiteral("код события %1").arg(row + 1) };
    }
    return std::nullopt;
}

TelephoneText telephoneTextFromRaw(const QString &raw)
{
    QString text = raw;
    const qsizetype end = text.indexOf(u'D');
    if (end >= 0)
        text.remove(end, 16);
    static const QRegularExpression zero(QStringLiteral("^[+-]?0+$"));
    if (zero.match(text).hasMatch())
        text.clear();
    text.replace(u'B', u'+');
    text.replace(u'C', u'*');
    const bool tone = text.contains(u'E');
    text.remove(u'E');
    return { text, tone };
}

void fillTables(Configuration &config, const SettingsImage &source)
{
    MemTable &zones = config.mtArea();
    MemTable &modules = config.mtDev();
    MemTable &sensors = config.mtSensor();
    MemTable &outputs = config.mtReturn();
    const AllRowsVisible allZones(zones);
    const AllRowsVisible allModules(modules);
    const AllRowsVisible allSensors(sensors);
    const AllRowsVisible allOutputs(outputs);

    fillZoneNames(zones, source);
    fillModules(modules, source);
    outputs.emptyTable();
    sensors.emptyTable();
    const QHash<int, int> zoneRows = zonePositions(zones);
    for (modules.first(); !modules.eof(); modules.next()) {
        const int module = modules.asInteger(QStringLiteral("addr"));
        if (!SettingsImage::isModule(module))
            continue;
        fillDetectors(sensors, source, module);
        fillOutputs(outputs, zones, zoneRows, source, module);
    }
    fillZoneSettings(zones, source);
    sensors.first();
    outputs.first();
    modules.first();
    config.mtAreaCopy().copyRowsFrom(zones, MemTable::Rows::All);
    zones.first();
}

std::optional<UnconvertibleValue> FillByDataFromMemory(Configuration &config)
{
    const SettingsImage &image = config.image();
    if (const auto problem = findUnconvertibleValue(image))
        return problem;

    SystemSettings &settings = config.settings();
    const ConstImageBytes system = image.SystemBlock();
    const auto registration = [&](int offset) {
        const QString digits = twoHexDigits(system.at(offset + 1)) + twoHexDigits(system.at(offset));
        return digits == QLatin1String("0000") ? QString() : digits;
    };
    settings.edNumReg1 = registration(RegistrationNumber1);
    settings.edNumReg2 = registration(RegistrationNumber2);
    fillTelephone(system, TelephoneNumber1, settings.edTelNum1, settings.edTelNum1Raw,
                  settings.sbTonePulse1, settings.sbTonePulse1Colour);
    fillTelephone(system, TelephoneNumber2, settings.edTelNum2, settings.edTelNum2Raw,
                  settings.sbTonePulse2, settings.sbTonePulse2Colour);

    const int mode = system.at(DiallingMode);
    settings.cbModeAndOr = (mode == 0 || mode == 1) ? mode : -1;
    settings.edCount = twoHexDigits(system.at(DiallingAttempts));
    settings.ud6 = system.at(FirstTestHour);
    settings.ud7 = system.at(FirstTestMinute);
    settings.ud8 = (system.at(TestInterval) + 256 * system.at(TestInterval + 1)) / 60;

    // Read before the module rows are refreshed: new input rows store their defaults.
    const QVector<StoredInput> storedInputs = storedInputSettings(image);
    MemTable &modules = config.mtDev();
    {
        const AllRowsVisible allModules(modules);
        int i = 0;
        for (modules.first(); !modules.eof() && i < SettingsImage::ModuleCount; modules.next(), ++i) {
            modules.setValue(QStringLiteral("id_name"), system.at(ModuleTypes + i));
            modules.setValue(QStringLiteral("addr"), i + 1);
            modules.setValue(QStringLiteral("id_tname"), system.at(ModuleChains + i));
            modules.post();
        }
        modules.first();
    }
    applyInputSettings(config, storedInputs);

    for (int i = 0; i < SystemSettings::AdminCodeCount; ++i)
        settings.edAdminPass[i] = accessCode(system, AdminCodes + AccessCodeSize * i);
    for (int i = 0; i < SystemSettings::MasterCodeCount; ++i)
        settings.edMasterPass[i] = accessCode(system, MasterCodes + AccessCodeSize * i);

    MemTable &profiles = config.mtTempType();
    int profile = 0;
    for (profiles.first(); !profiles.eof() && profile < TimeProfileCount; profiles.next(), ++profile) {
        profiles.setValue(QStringLiteral("begin_day"), QTime(0, 0).addSecs(600 * system.at(DayStarts + profile)));
        profiles.setValue(QStringLiteral("begin_night"),
                          QTime(0, 0).addSecs(600 * system.at(NightStarts + profile)));
        profiles.post();
    }
    profiles.first();

    const ConstImageBytes whole = image.Whole();
    settings.ckbNotiv = system.at(RepeatedNotification) == 0;
    settings.ckbFire = whole.at(FireRelaySwitch) == 0;
    settings.ckbNeisp = whole.at(FaultRelaySwitch) == 0;
    settings.ckbComm = whole.at(CommunicatorSwitch) == 0;
    settings.ckbAPK = (system.at(SecondApkSwitch) & 1) != 0;

    MemTable &codes = config.mtRepComm();
    int row = 0;
    for (codes.first(); !codes.eof() && row < EventCodeCount; codes.next(), ++row) {
        codes.setValue(QStringLiteral("code"), eventCodeDigits(system, row).toInt());
        codes.post();
    }
    codes.first();

    MemTable &messages = config.mtRepEnt();
    int slot = 0;
    for (messages.first(); !messages.eof() && slot < InputMessageCount; messages.next(), ++slot) {
        messages.setValue(QStringLiteral("name"), Cp1251::upperCased(messageText(system, slot)));
        messages.post();
    }
    messages.first();

    settings.edInfMessage = Cp1251::trimmedOfBlanks(Cp1251::upperCased(messageText(system, InformationMessageSlot)));
    return std::nullopt;
}

} // namespace ImageLoader
