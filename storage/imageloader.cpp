#include <storage/imageloader.h>

#include <image/cp1251.h>
#include <image/devicecodes.h>
#include <image/imagelayout.h>
#include <image/records.h>
#include <messages/messages.h>
#include <model/configuration.h>

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
        if (zones.asInteger(ZoneField::r(slot)) == 0) {
            zones.setValue(ZoneField::r(slot), key);
            return;
        }
    }
}

// The position of each zone's row, by zone number; 0 where no row has the number.
QVector<int> zonePositions(MemTable &zones)
{
    QVector<int> positions(ZoneCount + 1, 0);
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(ZoneField::id);
        if (zone >= 1 && zone <= ZoneCount)
            positions[zone] = zones.recNo();
    }
    return positions;
}

void fillZoneNames(MemTable &zones, const SettingsImage &source)
{
    // One decoding for all names: the code page has one character per byte.
    const int names = SettingsImage::ZoneNameSize * ZoneCount;
    const QString text = Cp1251::decode(source.Bytes().mid(SettingsImage::ZoneNameOffset, names));
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(ZoneField::id);
        if (zone < 1 || zone > ZoneCount)
            continue;
        zones.setValue(ZoneField::name, text.mid(SettingsImage::ZoneNameSize * (zone - 1), 40));
        zones.post();
    }
    // The outputs and the zone records fill the links again; the state, verification and
    // profile of every zone come from its record afterwards.
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
        zones.fillColumnSilently(ZoneField::r(slot), 0);
}

void fillModules(MemTable &modules, const SettingsImage &source)
{
    const ConstImageBytes system = source.SystemBlock();
    modules.emptyTable();
    for (int i = 0; i < SettingsImage::ModuleCount; ++i) {
        const int type = system.at(ModuleTypes + i);
        modules.append();
        modules.setValue(ModuleField::id_name, type);
        modules.setValue(ModuleField::addr, i + 1);
        modules.setValue(ModuleField::id_tname, system.at(ModuleChains + i));
        const QString caption = Configuration::moduleCaption(type, system.at(ModuleNumbers + i));
        if (!caption.isEmpty())
            modules.setValue(ModuleField::mname, caption);
        modules.setValue(ModuleField::id_being, type != DeviceCodes::NoModule ? 0 : 1);
        modules.post();
    }
}

// The channel records of a module's detectors, by loop address: those whose owner is a
// loop address with a device.
QVector<QVector<int>> detectorChannels(const SettingsImage &source, int module)
{
    QVector<QVector<int>> channelsByAddress(LastLoopAddress + 1);
    for (int record = 0; record < DetectorRecordCount; ++record) {
        const int address = ConstChannelRecord(source.ChannelRecord(module, record)).owner();
        if (address >= FirstLoopAddress && address <= LastLoopAddress
            && !ConstDeviceRecord(source.DeviceRecord(module, address - FirstLoopAddress)).isEmpty())
            channelsByAddress[address].append(record);
    }
    return channelsByAddress;
}

// Silent writes: the device rules would store each value again into record addr − 2,
// which for a device with several channels is another channel's record.
void fillDetectors(MemTable &sensors, const SettingsImage &source, int module,
                   const QVector<QVector<int>> &channelsByAddress)
{
    namespace F = SensorField;
    const int identityFields[] = { F::id_sen, F::ver, F::year, F::month, F::saddrh, F::saddrl };
    for (int device = 0; device < SettingsImage::DeviceRecordsPerModule; ++device) {
        const ConstDeviceRecord identity(source.DeviceRecord(module, device));
        for (const int record : std::as_const(channelsByAddress.at(device + FirstLoopAddress))) {
            const ConstChannelRecord channel(source.ChannelRecord(module, record));
            sensors.append();
            sensors.setValueSilently(F::id_dev, module);
            for (int field = 0; field < DeviceRecord::IdentitySize; ++field)
                sensors.setValueSilently(identityFields[field], identity.identity(field));
            sensors.setValueSilently(F::id_chan, channel.channelType());
            sensors.setValueSilently(F::addr, channel.owner());
            if (channel.channelType() == DeviceCodes::HeatChannel)
                sensors.setValueSilently(F::id_mode, channel.mode());
            sensors.setValueSilently(F::time, channel.time());
            sensors.setValueSilently(F::id_being, channel.state());
            sensors.setValueSilently(F::offset, channel.offset());
            sensors.setValueSilently(F::id_area, channel.zone() <= ZoneCount ? channel.zone() : 0);
            sensors.setValueSilently(F::boolarea, false);
            sensors.setValueSilently(F::record, record);
            sensors.post();
        }
    }
}

void fillOutputs(MemTable &outputs, MemTable &zones, const QVector<int> &zoneRows,
                 const SettingsImage &source, int module)
{
    namespace F = OutputField;
    int count = 0;
    for (int number = 0; number < OutputCount; ++number) {
        const ConstChannelRecord channel(source.ChannelRecord(module, FirstOutputRecord + number));
        if (channel.isEmpty())
            continue;
        ++count;
        const int key = module * 1000 + channel.offset();
        outputs.append();
        outputs.setValueSilently(F::id_dev, module);
        outputs.setValueSilently(F::index, channel.index());
        outputs.setValueSilently(F::id_chan, channel.channelType());
        outputs.setValueSilently(F::id_mode, DeviceCodes::possibleOutputMode(channel.channelType(), channel.mode()));
        outputs.setValueSilently(F::time, channel.time());
        outputs.setValueSilently(F::id_being, channel.state());
        outputs.setValueSilently(F::offset, channel.offset());
        outputs.setValueSilently(F::id_area, channel.zone());
        outputs.setValueSilently(F::vname, count <= 4 ? QStringLiteral("SD %1").arg(count)
                                                      : QStringLiteral("I/O %1").arg(count - 4));
        outputs.setValueSilently(F::boolarea, (channel.zone() & 0xFF) != 0);
        outputs.setValueSilently(F::id_return, key);
        outputs.post();
        const int zone = channel.zone();
        if (zone >= 1 && zone <= ZoneCount && zoneRows.at(zone) > 0) {
            zones.setRecNo(zoneRows.at(zone));
            putOutputKey(zones, key);
            zones.post();
        }
    }
}

void fillZoneSettings(MemTable &zones, const SettingsImage &source)
{
    for (zones.first(); !zones.eof(); zones.next()) {
        const int zone = zones.asInteger(ZoneField::id);
        if (zone < 1 || zone > ZoneCount)
            continue;
        // Silent: the image holds these bytes already, as the file gave them.
        const ConstZoneRecord record(source.ZoneRecord(zone));
        zones.setValueSilently(ZoneField::id_being, record.state());
        zones.setValueSilently(ZoneField::id_verif, record.verification());
        zones.setValueSilently(ZoneField::id_temp, record.profile());
        for (int slot = 0; slot < ZoneRecord::OutputLinkCount; ++slot) {
            const RecordLink link = record.outputLink(slot);
            if (link.record >= FirstOutputRecord)
                putOutputKey(zones, link.module * 1000 + link.record - FirstOutputRecord);
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
    QByteArray bytes = system.mid(offset, AccessCodeSize);
    bytes.replace('\0', QByteArray());
    return Cp1251::decode(bytes);
}

QString messageText(const ConstImageBytes &system, int slot)
{
    return Cp1251::decode(system.mid(MessageSlots + MessageSlotSize * slot, MessageTextSize));
}

void fillTelephone(const ConstImageBytes &system, int offset, QString &text, QString &raw,
                   bool &tone, SystemSettings::ToneCaptionColour &colour)
{
    raw = system.mid(offset, TelephoneNumberSize).toHex().toUpper();
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
// input stand, so that a load never keeps settings of an earlier configuration. A record
// that an output occupies holds that output's settings, not the input's.
QVector<StoredInput> storedInputSettings(const SettingsImage &image)
{
    QVector<StoredInput> inputs;
    const ConstImageBytes system = image.SystemBlock();
    for (int module = 1; module <= SettingsImage::ModuleCount; ++module) {
        if (system.at(ModuleTypes + module - 1) != DeviceCodes::EightChannelModule)
            continue;
        for (int number = 1; number <= 2; ++number) {
            const ConstChannelRecord record(
                    image.ChannelRecord(module, number == 1 ? FirstInputRecord : SecondInputRecord));
            if (record.isEmpty() && record.mode() >= 1 && record.mode() <= InputMessageCount)
                inputs.append({ module, number, record.mode(), record.time(), record.state() });
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
        const int module = inputs.asInteger(InputField::addr);
        const int number = inputs.asInteger(InputField::num);
        for (const StoredInput &input : stored) {
            if (input.module != module || input.number != number)
                continue;
            inputs.setValue(InputField::id_repent, input.message);
            inputs.setValue(InputField::level, input.level);
            inputs.setValue(InputField::id_being, input.state);
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
                                            message(MessageId::ProfileStartValue)
                                                    .arg(message(offset < NightStarts ? MessageId::DayStart
                                                                                      : MessageId::NightStart))
                                                    .arg(profile + 1) };
        }
    }
    const auto decimalDigits = [](int byte) { return (byte >> 4) <= 9 && (byte & 0x0F) <= 9; };
    for (int row = 0; row < EventCodeCount; ++row) {
        if (!decimalDigits(system.at(EventCodes + 2 * row)) || !decimalDigits(system.at(EventCodes + 2 * row + 1)))
            return UnconvertibleValue { EventCodes + 2 * row, eventCodeDigits(system, row),
                                        message(MessageId::EventCodeValue).arg(row + 1) };
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
    const QVector<int> zoneRows = zonePositions(zones);
    QVector<QVector<QVector<int>>> detectors(SettingsImage::ModuleCount + 1);
    int detectorRows = 0;
    for (int module = 1; module <= SettingsImage::ModuleCount; ++module) {
        detectors[module] = detectorChannels(source, module);
        for (const QVector<int> &records : std::as_const(detectors.at(module)))
            detectorRows += int(records.size());
    }
    sensors.reserve(detectorRows);
    for (modules.first(); !modules.eof(); modules.next()) {
        const int module = modules.asInteger(ModuleField::addr);
        if (!SettingsImage::isModule(module))
            continue;
        fillDetectors(sensors, source, module, detectors.at(module));
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

    // Filled apart and handed over whole, so the pages hear of one change.
    SystemSettings settings = config.settings();
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
            modules.setValue(ModuleField::id_name, system.at(ModuleTypes + i));
            modules.setValue(ModuleField::addr, i + 1);
            modules.setValue(ModuleField::id_tname, system.at(ModuleChains + i));
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
        profiles.setValue(ProfileField::begin_day, QTime(0, 0).addSecs(600 * system.at(DayStarts + profile)));
        profiles.setValue(ProfileField::begin_night,
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
        codes.setValue(EventCodeField::code, eventCodeDigits(system, row).toInt());
        codes.post();
    }
    codes.first();

    MemTable &messages = config.mtRepEnt();
    int slot = 0;
    for (messages.first(); !messages.eof() && slot < InputMessageCount; messages.next(), ++slot) {
        messages.setValue(MessageField::name, Cp1251::upperCased(messageText(system, slot)));
        messages.post();
    }
    messages.first();

    settings.edInfMessage = Cp1251::trimmedOfBlanks(Cp1251::upperCased(messageText(system, InformationMessageSlot)));
    config.setSettings(settings);
    return std::nullopt;
}

} // namespace ImageLoader
