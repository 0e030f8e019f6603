#include <image/cp1251.h>
#include <image/devicecodes.h>
#include <image/imagelayout.h>
#include <image/records.h>
#include <model/configuration.h>

#include <memory>

// The rules copy each edit into the settings image at once, so that the image holds it
// before the next build. Positions come from the edited row itself, never from another
// table's current row.

namespace {

// Rows hold what the user or a file gave them: a position they do not name is skipped
// quietly instead of being treated as a programming error.
std::optional<ChannelRecord> channelRecord(SettingsImage &image, int module, int record)
{
    if (!SettingsImage::isModule(module) || record < 0 || record >= SettingsImage::ChannelRecordsPerModule)
        return std::nullopt;
    return ChannelRecord(image.ChannelRecord(module, record));
}

std::optional<ZoneRecord> zoneRecord(SettingsImage &image, int zone)
{
    if (zone < 1 || zone > Configuration::ZoneCount)
        return std::nullopt;
    return ZoneRecord(image.ZoneRecord(zone));
}

bool inputPairListed(const SettingsImage &image, int module)
{
    for (int entry = 0; entry < SettingsImage::InputListScannedEntries; ++entry) {
        const RecordLink first = ConstInputListEntry(image.InputListEntry(entry)).input();
        const RecordLink second = ConstInputListEntry(image.InputListEntry(entry + 1)).input();
        if (first.module == module && first.record == ImageLayout::FirstInputRecord && second.module == module
            && second.record == ImageLayout::SecondInputRecord)
            return true;
    }
    return false;
}

void takeInputListPair(SettingsImage &image, int module)
{
    if (inputPairListed(image, module))
        return; // a module never gets a second pair
    for (int entry = 0; entry < SettingsImage::InputListScannedEntries; ++entry) {
        const InputListEntry first(image.InputListEntry(entry));
        const InputListEntry second(image.InputListEntry(entry + 1));
        // Both entries must be free: a pair that starts one entry later must not lose its first half.
        if (!first.isFree() || !second.isFree())
            continue;
        first.setInput({ module, ImageLayout::FirstInputRecord });
        second.setInput({ module, ImageLayout::SecondInputRecord });
        return;
    }
}

void appendInputRow(MemTable &inputs, int module, const QVariant &state, int number)
{
    inputs.append();
    inputs.setValue(InputField::id, DeviceCodes::EightChannelModule);
    inputs.setValue(InputField::addr, module);
    inputs.setValue(InputField::id_being, state.toInt());
    inputs.setValue(InputField::id_repent, 1);
    inputs.setValue(InputField::num, number);
    inputs.setValue(InputField::level, 0);
    inputs.post();
}

void moduleTypeChanged(Configuration &config, MemTable &modules)
{
    const int type = modules.asInteger(ModuleField::id_name);
    const int module = modules.asInteger(ModuleField::addr);
    if (type == DeviceCodes::LoopModule) {
        modules.setValue(ModuleField::mname, Configuration::moduleCaption(type, module));
        return;
    }
    if (type != DeviceCodes::EightChannelModule)
        return;

    modules.setValue(ModuleField::mname, Configuration::moduleCaption(type, module));
    modules.setValue(ModuleField::id_tname, DeviceCodes::EightChannelChain);
    if (module == 0)
        return;
    MemTable &inputs = config.mtEntrance();
    if (!inputs.locate(InputField::addr, module)) {
        const QVariant state = modules.value(ModuleField::id_being);
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
    const int module = modules.asInteger(ModuleField::addr);
    const ImageBytes system = config.image().SystemBlock();
    const bool connected = modules.asInteger(ModuleField::id_being) == 0;
    if (connected) {
        modules.setValue(ModuleField::id_name, DeviceCodes::LoopModule);
        modules.setValue(ModuleField::id_tname, DeviceCodes::RadialChain);
        modules.setValue(ModuleField::mname, Configuration::moduleCaption(DeviceCodes::LoopModule, module));
    } else {
        modules.setValue(ModuleField::id_name, DeviceCodes::NoModule);
        modules.setValue(ModuleField::id_tname, QVariant());
    }
    if (SettingsImage::isModule(module)) {
        system.set(ImageLayout::ModuleTypes + module - 1, connected ? DeviceCodes::LoopModule : DeviceCodes::NoModule);
        system.set(ImageLayout::ModuleNumbers + module - 1, connected ? module : 0);
    }
}

// An input's channel record: 254 for input 1, 255 for input 2; none before `num` is set.
std::optional<ChannelRecord> inputRecord(Configuration &config, const MemTable &inputs)
{
    const int number = inputs.asInteger(InputField::num);
    if (inputs.isNull(InputField::num) || (number != 1 && number != 2))
        return std::nullopt;
    return channelRecord(config.image(), inputs.asInteger(InputField::addr),
                         number == 1 ? ImageLayout::FirstInputRecord : ImageLayout::SecondInputRecord);
}

std::optional<ChannelRecord> sensorRecord(Configuration &config, const MemTable &sensors)
{
    const int record = sensors.asInteger(SensorField::addr) - ImageLayout::FirstLoopAddress;
    if (record >= ImageLayout::DetectorRecordCount)
        return std::nullopt;
    return channelRecord(config.image(), sensors.asInteger(SensorField::id_dev), record);
}

std::optional<ChannelRecord> outputRecord(Configuration &config, const MemTable &outputs)
{
    const int offset = outputs.asInteger(OutputField::offset);
    if (offset < 0 || offset >= ImageLayout::OutputCount)
        return std::nullopt;
    return channelRecord(config.image(), outputs.asInteger(OutputField::id_dev), ImageLayout::FirstOutputRecord + offset);
}

void heatClassChanged(Configuration &config, MemTable &sensors, const QVariant &previous)
{
    if (sensors.asInteger(SensorField::id_chan) != DeviceCodes::HeatChannel) {
        sensors.setValueSilently(SensorField::id_mode, previous); // only heat channels have a class
        return;
    }
    if (const auto record = sensorRecord(config, sensors))
        record->setMode(sensors.asInteger(SensorField::id_mode));
}

// A rule that stores the edited row's field through one of its record's setters.
template<typename Record, typename Locate>
MemTable::Rule storeInto(Configuration &config, Locate locate, int field, void (Record::*setter)(int) const)
{
    return [&config, locate, field, setter](MemTable &table, const QVariant &) {
        if (const std::optional<Record> record = locate(config, table))
            ((*record).*setter)(table.asInteger(field));
    };
}

} // namespace

void installEditingRules(Configuration &config)
{
    MemTable &zones = config.mtArea();
    // A load names all 500 zones: one converter serves them all.
    zones.setRule(ZoneField::name, [&config](MemTable &table, const QVariant &) {
        // Capitals first, so the slot gets the text the row keeps.
        table.setValueSilently(ZoneField::name, Cp1251::upperCased(table.asString(ZoneField::name)));
        const int zone = table.asInteger(ZoneField::id);
        if (zone < 1 || zone > Configuration::ZoneCount)
            return;
        Cp1251::writeFixed(config.image().ZoneName(zone), table.asString(ZoneField::name), ' ');
    });
    const auto zoneOfRow = [](Configuration &c, const MemTable &table) {
        return zoneRecord(c.image(), table.asInteger(ZoneField::id));
    };
    zones.setRule(ZoneField::id_being, storeInto(config, zoneOfRow, ZoneField::id_being, &ZoneRecord::setState));
    zones.setRule(ZoneField::id_temp, storeInto(config, zoneOfRow, ZoneField::id_temp, &ZoneRecord::setProfile));
    zones.setRule(ZoneField::id_verif,
                  storeInto(config, zoneOfRow, ZoneField::id_verif, &ZoneRecord::setVerification));

    MemTable &modules = config.mtDev();
    modules.setRule(ModuleField::id_being, [&config](MemTable &table, const QVariant &) {
        moduleStateChanged(config, table);
    });
    modules.setRule(ModuleField::id_name, [&config](MemTable &table, const QVariant &) {
        moduleTypeChanged(config, table);
    });

    MemTable &inputs = config.mtEntrance();
    inputs.setRule(InputField::id_being, storeInto(config, inputRecord, InputField::id_being, &ChannelRecord::setState));
    inputs.setRule(InputField::id_repent, storeInto(config, inputRecord, InputField::id_repent, &ChannelRecord::setMode));
    inputs.setRule(InputField::level, storeInto(config, inputRecord, InputField::level, &ChannelRecord::setTime));

    config.mtRepEnt().setRule(MessageField::name, [](MemTable &table, const QVariant &) {
        table.setValueSilently(MessageField::name, Cp1251::upperCased(table.asString(MessageField::name)));
    });

    config.mtSensor().setRule(SensorField::id_being,
                              storeInto(config, sensorRecord, SensorField::id_being, &ChannelRecord::setState));
    const auto heatClassRule = [&config](MemTable &table, const QVariant &previous) {
        heatClassChanged(config, table, previous);
    };
    config.mtSensor().setRule(SensorField::id_mode, heatClassRule);
    config.mtSensorCopy().setRule(SensorField::id_mode, heatClassRule);

    MemTable &outputs = config.mtReturn();
    outputs.setRule(OutputField::id_being, storeInto(config, outputRecord, OutputField::id_being, &ChannelRecord::setState));
    outputs.setRule(OutputField::id_mode, [&config](MemTable &table, const QVariant &) {
        const int mode = table.asInteger(OutputField::id_mode);
        const int possible = DeviceCodes::possibleOutputMode(table.asInteger(OutputField::id_chan), mode);
        if (possible != mode)
            table.setValueSilently(OutputField::id_mode, possible);
        if (const auto record = outputRecord(config, table))
            record->setMode(table.asInteger(OutputField::id_mode));
    });
}
