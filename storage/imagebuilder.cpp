#include <storage/imagebuilder.h>

#include <image/cp1251.h>
#include <image/devicecodes.h>
#include <image/imagelayout.h>
#include <image/records.h>
#include <model/configuration.h>

#include <algorithm>
#include <array>

using namespace ImageLayout;

namespace {

// Reads the fields of every row of a table by column, whatever its filter.
class Rows
{
public:
    explicit Rows(const MemTable &table) : m_table(table) { }
    int count() const { return m_table.rowCount(); }
    int integer(int row, int column) const { return m_table.rowInteger(row, column); }
    QVariant value(int row, int column) const { return m_table.rowValue(row, column); }

private:
    const MemTable &m_table;
};

// The digits a user typed, read as the hexadecimal value they spell (1234 → 0x1234).
// Only hexadecimal digits make a number: signs, blanks and a "0x" give 0, as the panel
// would otherwise get a value nobody typed.
uint digitCoded(QStringView digits)
{
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
    };
    const bool allHex = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), isHexDigit);
    bool ok = false;
    const uint value = allHex ? digits.toUInt(&ok, 16) : 0;
    return ok ? value : 0;
}

void clearDeviceAndChannelTables(SettingsImage &image)
{
    for (int module = 1; module <= SettingsImage::ModuleCount; ++module) {
        for (int record = 0; record < SettingsImage::DeviceRecordsPerModule; ++record)
            image.DeviceRecord(module, record).fill(0);
        for (int record = 0; record < SettingsImage::ChannelRecordsPerModule; ++record)
            ChannelRecord(image.ChannelRecord(module, record)).clearRebuiltBytes();
    }
}

void writeZoneNames(Configuration &config)
{
    SettingsImage &image = config.image();
    const Rows zones(config.mtArea());
    for (int row = 0; row < zones.count(); ++row) {
        const int zone = zones.integer(row, ZoneField::id);
        if (zone < 1 || zone > ZoneCount)
            continue;
        Cp1251::writeSlotText(image.ZoneName(zone), zones.value(row, ZoneField::name).toString());
    }
    for (int zone = ZoneCount + 1; zone <= SettingsImage::ZoneSlotCount; ++zone) {
        const QString text = QStringLiteral(" ЗОНА ") + QString::number(zone);
        Cp1251::writeSlotText(image.ZoneName(zone), text);
    }
}

// The channel record of each of a module's detector rows, -1 for none left. A row goes
// back to the record it was loaded from, since zone records name detectors by record;
// the others, and a second claim of one record, take the lowest free ones in table order.
QVector<int> detectorRecords(const Rows &sensors, const QVector<int> &rows)
{
    QVector<int> records(rows.size(), -1);
    std::array<bool, DetectorRecordCount> taken {};
    for (int i = 0; i < rows.size(); ++i) {
        const QVariant claim = sensors.value(rows.at(i), SensorField::record);
        const int record = claim.toInt();
        if (claim.isNull() || record < 0 || record >= DetectorRecordCount || taken.at(record))
            continue;
        taken.at(record) = true;
        records[i] = record;
    }
    int next = 0;
    for (int &record : records) {
        if (record >= 0)
            continue;
        while (next < DetectorRecordCount && taken.at(next))
            ++next;
        if (next == DetectorRecordCount)
            break;
        taken.at(next) = true;
        record = next;
    }
    return records;
}

void writeDetectors(Configuration &config, int module)
{
    namespace F = SensorField;
    SettingsImage &image = config.image();
    const Rows sensors(config.mtSensor());
    const int identityFields[] = { F::id_sen, F::ver, F::year, F::month, F::saddrh, F::saddrl };

    QVector<int> rows;
    for (int row = 0; row < sensors.count(); ++row) {
        if (sensors.integer(row, F::id_dev) == module)
            rows.append(row);
    }
    const QVector<int> records = detectorRecords(sensors, rows);
    for (int i = 0; i < rows.size(); ++i) {
        const int row = rows.at(i);
        const int address = sensors.integer(row, F::addr);
        if (address >= FirstLoopAddress && address <= LastLoopAddress) {
            const DeviceRecord device(image.DeviceRecord(module, address - FirstLoopAddress));
            for (int field = 0; field < DeviceRecord::IdentitySize; ++field)
                device.setIdentity(field, sensors.integer(row, identityFields[field]));
        }
        if (records.at(i) < 0)
            continue; // a module has no more detector channels
        const ChannelRecord channel(image.ChannelRecord(module, records.at(i)));
        channel.setOwner(address);
        channel.setChannelType(sensors.integer(row, F::id_chan));
        channel.setMode(sensors.integer(row, F::id_mode));
        channel.setTime(sensors.integer(row, F::time));
        channel.setState(sensors.integer(row, F::id_being));
        const int zone = sensors.integer(row, F::id_area);
        channel.setZone((zone >= 0 && zone <= ZoneCount) ? zone : 0);
        channel.setOffset(sensors.integer(row, F::offset));
    }
}

// The output records a module's rows take, by output number.
using TakenOutputs = std::array<bool, OutputCount>;

TakenOutputs writeOutputs(Configuration &config, int module)
{
    namespace F = OutputField;
    SettingsImage &image = config.image();
    const Rows outputs(config.mtReturn());
    TakenOutputs taken {};
    for (int row = 0; row < outputs.count(); ++row) {
        if (outputs.integer(row, F::id_dev) != module)
            continue;
        // Each output goes back to its own record: zone link slots name outputs by record.
        const int number = outputs.integer(row, F::offset);
        if (number < 0 || number >= OutputCount)
            continue;
        const ChannelRecord channel(image.ChannelRecord(module, FirstOutputRecord + number));
        channel.setOwner(module);
        channel.setChannelType(outputs.integer(row, F::id_chan));
        channel.setMode(outputs.integer(row, F::id_mode));
        channel.setTime(outputs.integer(row, F::time));
        channel.setState(outputs.integer(row, F::id_being));
        channel.setZone(outputs.integer(row, F::id_area));
        channel.setIndex(outputs.integer(row, F::index));
        channel.setOffset(number);
        taken.at(number) = true;
    }
    return taken;
}

// The inputs' own settings, so that they reach the file and the panel. An output row in
// an input's record wins: the grid shows that output, and the check names the input.
void writeInputs(Configuration &config, int module, const TakenOutputs &outputs)
{
    namespace F = InputField;
    SettingsImage &image = config.image();
    const Rows inputs(config.mtEntrance());
    for (int row = 0; row < inputs.count(); ++row) {
        const int number = inputs.integer(row, F::num);
        if (inputs.integer(row, F::addr) != module || (number != 1 && number != 2))
            continue;
        const int record = number == 1 ? FirstInputRecord : SecondInputRecord;
        if (outputs.at(record - FirstOutputRecord))
            continue;
        const ChannelRecord channel(image.ChannelRecord(module, record));
        channel.setMode(inputs.integer(row, F::id_repent));
        channel.setTime(inputs.integer(row, F::level));
        channel.setState(inputs.integer(row, F::id_being));
    }
}

void writeModules(Configuration &config)
{
    const ImageBytes system = config.image().SystemBlock();
    const Rows modules(config.mtDev());
    for (int row = 0; row < qMin(modules.count(), SettingsImage::ModuleCount); ++row) {
        const int type = modules.integer(row, ModuleField::id_name);
        system.set(ModuleTypes + row, type);
        if (type == 0) {
            system.set(ModuleNumbers + row, 0);
            system.set(ModuleChains + row, 0);
            continue; // an absent module's records stay cleared
        }
        const int module = modules.integer(row, ModuleField::addr);
        system.set(ModuleNumbers + row, module);
        system.set(ModuleChains + row, modules.integer(row, ModuleField::id_tname));
        if (!SettingsImage::isModule(module))
            continue;
        writeDetectors(config, module);
        const TakenOutputs outputs = writeOutputs(config, module);
        if (type == DeviceCodes::EightChannelModule)
            writeInputs(config, module, outputs);
    }
}

void writeTelephoneNumber(const ImageBytes &system, int offset, const QString &raw)
{
    if (raw.isEmpty())
        return; // never set: the stored number stays
    for (int pair = 0; pair < TelephoneNumberSize; ++pair) {
        const QStringView symbols = QStringView(raw).mid(2 * pair, 2);
        system.set(offset + pair, symbols.size() == 2 ? int(digitCoded(symbols)) : 0);
    }
}

void writeAccessCode(const ImageBytes &system, int offset, const QString &code)
{
    system.write(offset, Cp1251::encodeFixed(code, AccessCodeSize, '\0'));
}

void writeMessage(const ImageBytes &system, int slot, const QString &text)
{
    const int offset = MessageSlots + MessageSlotSize * slot;
    system.write(offset, Cp1251::encodeSlotText(text, MessageTextSize));
    system.set(offset + MessageTextSize, 0);
}

int tenMinutes(const QVariant &time)
{
    const QTime value = time.toTime();
    return value.isValid() ? (value.hour() * 60 + value.minute()) / 10 : 0;
}

} // namespace

namespace ImageBuilder {

void SaveToArray(Configuration &config)
{
    clearDeviceAndChannelTables(config.image());
    writeZoneNames(config);
    writeModules(config);
}

void FillArrayByDataForMemory(Configuration &config)
{
    const SystemSettings &settings = config.settings();
    const ImageBytes system = config.image().SystemBlock();

    const uint registration1 = digitCoded(settings.edNumReg1);
    system.set(RegistrationNumber1, int(registration1 & 0xFF));
    system.set(RegistrationNumber1 + 1, int((registration1 >> 8) & 0xFF));
    const uint registration2 = digitCoded(settings.edNumReg2);
    system.set(RegistrationNumber2, int(registration2 & 0xFF));
    system.set(RegistrationNumber2 + 1, int((registration2 >> 8) & 0xFF));

    writeTelephoneNumber(system, TelephoneNumber1, settings.edTelNum1Raw);
    writeTelephoneNumber(system, TelephoneNumber2, settings.edTelNum2Raw);

    if (settings.cbModeAndOr >= 0)
        system.set(DiallingMode, settings.cbModeAndOr); // no item chosen: the stored mode stays
    system.set(DiallingAttempts, int(digitCoded(settings.edCount) & 0xFF));
    system.set(FirstTestHour, settings.ud6);
    system.set(FirstTestMinute, settings.ud7);
    const int interval = settings.ud8 * 60;
    system.set(TestInterval, interval & 0xFF);
    system.set(TestInterval + 1, (interval >> 8) & 0xFF);

    for (int i = 0; i < SystemSettings::AdminCodeCount; ++i)
        writeAccessCode(system, AdminCodes + AccessCodeSize * i, settings.edAdminPass.at(i));
    for (int i = 0; i < SystemSettings::MasterCodeCount; ++i)
        writeAccessCode(system, MasterCodes + AccessCodeSize * i, settings.edMasterPass.at(i));

    const Rows profiles(config.mtTempType());
    for (int row = 0; row < qMin(profiles.count(), TimeProfileCount); ++row) {
        system.set(DayStarts + row, tenMinutes(profiles.value(row, ProfileField::begin_day)));
        system.set(NightStarts + row, tenMinutes(profiles.value(row, ProfileField::begin_night)));
    }

    const ImageBytes whole = config.image().Whole();
    system.set(RepeatedNotification, settings.ckbNotiv ? 0 : 1);
    whole.set(FireRelaySwitch, settings.ckbFire ? 0 : 1);
    whole.set(FaultRelaySwitch, settings.ckbNeisp ? 0 : 1);
    whole.set(CommunicatorSwitch, settings.ckbComm ? 0 : 1);
    if (settings.ckbAPK) {
        system.set(SecondApkMarker1, 1);
        system.set(SecondApkMarker2, system.at(SecondApkMarker2) | 1);
        system.set(SecondApkMarker3, 2);
        system.set(SecondApkSwitch, system.at(SecondApkSwitch) | 1);
    } else {
        system.set(SecondApkSwitch, system.at(SecondApkSwitch) & ~1);
    }

    const Rows codes(config.mtRepComm());
    for (int row = 0; row < qMin(codes.count(), EventCodeCount); ++row) {
        const uint value = digitCoded(QString::number(codes.integer(row, EventCodeField::code)));
        system.set(EventCodes + 2 * row, int(value & 0xFF));
        system.set(EventCodes + 2 * row + 1, int((value >> 8) & 0xFF));
    }

    const Rows messages(config.mtRepEnt());
    for (int row = 0; row < qMin(messages.count(), InputMessageCount); ++row)
        writeMessage(system, row, messages.value(row, MessageField::name).toString());
    // The slot keeps 39 characters after its space; blanks the cut leaves at the end are
    // stored as spaces, since the next load drops them and the next save would differ.
    writeMessage(system, InformationMessageSlot,
                 QLatin1Char(' ') + Cp1251::withoutTrailingBlanks(settings.edInfMessage.left(MessageTextSize - 1)));
}

void build(Configuration &config)
{
    SaveToArray(config);
    FillArrayByDataForMemory(config);
}

QByteArray builtAside(Configuration &config)
{
    const SettingsImage kept = config.image();
    build(config);
    QByteArray built = config.image().Bytes();
    config.image() = kept;
    return built;
}

} // namespace ImageBuilder
