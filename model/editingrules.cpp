#include "configuration.h"

#include <cp1251.h>
#include <imagelayout.h>

using namespace ImageLayout;

// The rules copy each edit into the settings image at once, so that the image holds it
// before the next build. Positions come from the edited row itself, never from another
// table's current row.

namespace {

const QString idField = QStringLiteral("id");
const QString addrField = QStringLiteral("addr");
const QString idDevField = QStringLiteral("id_dev");
const QString idBeingField = QStringLiteral("id_being");
const QString idNameField = QStringLiteral("id_name");
const QString idTnameField = QStringLiteral("id_tname");
const QString idChanField = QStringLiteral("id_chan");
const QString idModeField = QStringLiteral("id_mode");
const QString mnameField = QStringLiteral("mname");
const QString nameField = QStringLiteral("name");
const QString numField = QStringLiteral("num");
const QString offsetField = QStringLiteral("offset");

constexpr int moduleTypeLoop = 2; // "КЛМ"
constexpr int moduleTypeEightChannel = 3; // "КВ-8"
constexpr int chainRadial = 1;
constexpr int chainOfEightChannel = 2;
constexpr int channelTypeHeat = 2;
constexpr int channelTypeUnsupervisedOutput = 193;
constexpr int outputModeFire = 0;
constexpr int outputModeNotification = 2;
constexpr int channelModeByte = 2;
constexpr int channelLevelByte = 3;
constexpr int channelStateByte = 4;
// Module m's bytes, counted from the first module's byte at m = 1.
constexpr int moduleTypeOffset = ImageLayout::ModuleTypes - 1;
constexpr int moduleNumberOffset = ImageLayout::ModuleNumbers - 1;

// Rows hold what the user or a file gave them: a position they do not name is skipped
// quietly instead of being treated as a programming error.
void storeChannelByte(SettingsImage &image, int module, int record, int byte, const QVariant &value)
{
    if (SettingsImage::isModule(module) && record >= 0
        && record < SettingsImage::ChannelRecordsPerModule)
        image.ChannelRecord(module, record).set(byte, value.toInt());
}

void storeZoneByte(SettingsImage &image, int zone, int byte, const QVariant &value)
{
    if (zone >= 1 && zone <= Configuration::ZoneCount)
        image.ZoneRecord(zone).set(byte, value.toInt());
}

QString moduleCaption(const QString &typeName, const MemTable &module)
{
    return typeName + QStringLiteral(" № ") + QString::number(module.asInteger(addrField));
}

bool inputPairListed(const SettingsImage &image, int module)
{
    for (int entry = 0; entry < SettingsImage::InputListScannedEntries; ++entry) {
        const ConstImageBytes first = image.InputListEntry(entry);
        const ConstImageBytes second = image.InputListEntry(entry + 1);
        if (first.at(0) == module && first.at(1) == FirstInputRecord && second.at(0) == module
            && second.at(1) == SecondInputRecord)
            return true;
    }
    return false;
}

void takeInputListPair(SettingsImage &image, int module)
{
    if (inputPairListed(image, module))
        return; // a module never gets a second pair
    for (int entry = 0; entry < SettingsImage::InputListScannedEntries; ++entry) {
        // Both entries must be free: a pair that starts one entry later must not lose its first half.
        if (image.InputListEntry(entry).at(0) != 0 || image.InputListEntry(entry + 1).at(0) != 0)
            continue;
        const ImageBytes first = image.InputListEntry(entry);
        const ImageBytes second = image.InputListEntry(entry + 1);
        first.set(0, module);
        first.set(1, FirstInputRecord);
        second.set(0, module);
        second.set(1, SecondInputRecord);
        return;
    }
}

void appendInputRow(MemTable &inputs, int module, const QVariant &state, int number)
{
    inputs.append();
    inputs.setValue(idField, moduleTypeEightChannel);
    inputs.setValue(addrField, module);
    inputs.setValue(idBeingField, state.toInt());
    inputs.setValue(QStringLiteral("id_repent"), 1);
    inputs.setValue(numField, number);
    inputs.setValue(QStringLiteral("level"), 0);
    inputs.post();
}

void moduleTypeChanged(Configuration &config, MemTable &modules)
{
    const int type = modules.asInteger(idNameField);
    if (type == moduleTypeLoop) {
        modules.setValue(mnameField, moduleCaption(QStringLiteral("КЛМ"), modules));
        return;
    }
    if (type != moduleTypeEightChannel)
        return;

    modules.setValue(mnameField, moduleCaption(QStringLiteral("КВ-8"), modules));
    modules.setValue(idTnameField, chainOfEightChannel);
    const int module = modules.asInteger(addrField);
    if (module == 0)
        return;
    MemTable &inputs = config.mtEntrance();
    if (!inputs.locate(addrField, module)) {
        const QVariant state = modules.value(idBeingField);
        appendInputRow(inputs, module, state, 1);
        appendInputRow(inputs, module, state, 2);
        inputs.first();
    }
    // Also when the input rows exist already: a loaded image may lack the pair, and
    // the panel would then never see the module's inputs.
    if (SettingsImage::isModule(module))
        takeInputListPair(config.image(), module);
}

void moduleStateChanged(Configuration &config, MemTable &modules)
{
    if (modules.state() == MemTable::State::Insert)
        return; // start-up and loading write every field of a new row themselves
    const int module = modules.asInteger(addrField);
    const ImageBytes system = config.image().SystemBlock();
    if (modules.asInteger(idBeingField) == 0) {
        modules.setValue(idNameField, moduleTypeLoop);
        modules.setValue(idTnameField, chainRadial);
        modules.setValue(mnameField, moduleCaption(QStringLiteral("КЛМ"), modules));
        if (SettingsImage::isModule(module)) {
            system.set(moduleTypeOffset + module, moduleTypeLoop);
            system.set(moduleNumberOffset + module, module);
        }
    } else {
        modules.setValue(idNameField, 0);
        modules.setValue(idTnameField, QVariant());
        if (SettingsImage::isModule(module)) {
            system.set(moduleTypeOffset + module, 0);
            system.set(moduleNumberOffset + module, 0);
        }
    }
}

void storeInputByte(Configuration &config, const MemTable &inputs, int byte, const QVariant &value)
{
    const int number = inputs.asInteger(numField);
    if (inputs.isNull(numField) || (number != 1 && number != 2))
        return;
    storeChannelByte(config.image(), inputs.asInteger(addrField),
                     number == 1 ? FirstInputRecord : SecondInputRecord, byte, value);
}

void storeSensorByte(Configuration &config, const MemTable &sensors, int byte)
{
    const int record = sensors.asInteger(addrField) - 2;
    if (record >= DetectorRecordCount)
        return;
    storeChannelByte(config.image(), sensors.asInteger(idDevField), record, byte,
                     sensors.value(byte == channelModeByte ? idModeField : idBeingField));
}

void heatClassChanged(Configuration &config, MemTable &sensors, const QVariant &previous)
{
    if (sensors.asInteger(idChanField) != channelTypeHeat) {
        sensors.setValueSilently(idModeField, previous); // only heat channels have a class
        return;
    }
    storeSensorByte(config, sensors, channelModeByte);
}

void storeOutputByte(Configuration &config, const MemTable &outputs, int byte, const QString &field)
{
    const int offset = outputs.asInteger(offsetField);
    if (offset < 0 || offset > 7)
        return;
    storeChannelByte(config.image(), outputs.asInteger(idDevField), FirstOutputRecord + offset,
                     byte, outputs.value(field));
}

} // namespace

void installEditingRules(Configuration &config)
{
    MemTable &zones = config.mtArea();
    zones.setRule(nameField, [&config](MemTable &table, const QVariant &) {
        table.setValueSilently(nameField, Cp1251::upperCased(table.asString(nameField)));
        const int zone = table.asInteger(idField);
        if (zone < 1 || zone > Configuration::ZoneCount)
            return;
        config.image().ZoneName(zone).write(
                0, Cp1251::encodeSlotText(table.asString(nameField), SettingsImage::ZoneNameSize));
    });
    const auto zoneByteRule = [&config](const QString &field, int byte) {
        return [&config, field, byte](MemTable &table, const QVariant &) {
            storeZoneByte(config.image(), table.asInteger(idField), byte, table.value(field));
        };
    };
    zones.setRule(idBeingField, zoneByteRule(idBeingField, ZoneState));
    zones.setRule(QStringLiteral("id_temp"), zoneByteRule(QStringLiteral("id_temp"), ZoneProfile));
    zones.setRule(QStringLiteral("id_verif"),
                  zoneByteRule(QStringLiteral("id_verif"), ZoneVerification));

    MemTable &modules = config.mtDev();
    modules.setRule(idBeingField, [&config](MemTable &table, const QVariant &) {
        moduleStateChanged(config, table);
    });
    modules.setRule(idNameField, [&config](MemTable &table, const QVariant &) {
        moduleTypeChanged(config, table);
    });

    MemTable &inputs = config.mtEntrance();
    const auto inputByteRule = [&config](const QString &field, int byte) {
        return [&config, field, byte](MemTable &table, const QVariant &) {
            storeInputByte(config, table, byte, table.value(field));
        };
    };
    inputs.setRule(idBeingField, inputByteRule(idBeingField, channelStateByte));
    inputs.setRule(QStringLiteral("id_repent"), inputByteRule(QStringLiteral("id_repent"), channelModeByte));
    inputs.setRule(QStringLiteral("level"), inputByteRule(QStringLiteral("level"), channelLevelByte));

    config.mtRepEnt().setRule(nameField, [](MemTable &table, const QVariant &) {
        table.setValueSilently(nameField, Cp1251::upperCased(table.asString(nameField)));
    });

    config.mtSensor().setRule(idBeingField, [&config](MemTable &table, const QVariant &) {
        storeSensorByte(config, table, channelStateByte);
    });
    const auto heatClassRule = [&config](MemTable &table, const QVariant &previous) {
        heatClassChanged(config, table, previous);
    };
    config.mtSensor().setRule(idModeField, heatClassRule);
    config.mtSensorCopy().setRule(idModeField, heatClassRule);

    MemTable &outputs = config.mtReturn();
    outputs.setRule(idBeingField, [&config](MemTable &table, const QVariant &) {
        storeOutputByte(config, table, channelStateByte, idBeingField);
    });
    outputs.setRule(idModeField, [&config](MemTable &table, const QVariant &) {
        if (table.asInteger(idChanField) == channelTypeUnsupervisedOutput
            && table.asInteger(idModeField) == outputModeNotification)
            table.setValueSilently(idModeField, outputModeFire); // a plain relay cannot notify
        storeOutputByte(config, table, channelModeByte, idModeField);
    });
}
