#include <storage/writecheck.h>

#include <image/devicecodes.h>
#include <image/imagelayout.h>
#include <messages/messages.h>
#include <model/configuration.h>

#include <QMap>
#include <QSet>

namespace WriteCheck {

namespace {

struct Module
{
    int type = 0; // 0: off
    QString caption; // "КЛМ № 3"
};

// The modules by address, as the build writes them: the first rows of the module table.
QMap<int, Module> modulesByAddress(const MemTable &modules)
{
    QMap<int, Module> byAddress;
    for (int row = 0; row < qMin(modules.rowCount(), Configuration::ModuleCount); ++row) {
        const int type = modules.rowInteger(row, ModuleField::id_name);
        const int address = modules.rowInteger(row, ModuleField::addr);
        byAddress.insert(address, { type, Configuration::moduleCaption(type, address) });
    }
    return byAddress;
}

QString moduleName(const QMap<int, Module> &modules, int address)
{
    const QString caption = modules.value(address).caption;
    return caption.isEmpty() ? QStringLiteral("Модуль %1").arg(address) : caption;
}

QString numbers(const QVector<int> &values)
{
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    return texts.join(QStringLiteral(", "));
}

void checkDevices(const Configuration &config, const QMap<int, Module> &modules, QStringList &problems)
{
    const MemTable &sensors = config.mtSensor();
    QMap<int, QVector<int>> addressesByModule; // in table order
    for (int row = 0; row < sensors.rowCount(); ++row)
        addressesByModule[sensors.rowInteger(row, SensorField::id_dev)] << sensors.rowInteger(row, SensorField::addr);

    for (auto it = addressesByModule.cbegin(); it != addressesByModule.cend(); ++it) {
        const int module = it.key();
        const QVector<int> &addresses = it.value();
        if (!modules.contains(module)) {
            problems << message(MessageId::UnknownModuleDevices)
                                .arg(module)
                                .arg(addresses.size());
            continue;
        }
        if (modules.value(module).type == 0) {
            problems << message(MessageId::DisabledModuleDevices)
                                .arg(module)
                                .arg(addresses.size());
            continue;
        }
        const QString name = moduleName(modules, module);
        if (addresses.size() > ImageLayout::DetectorRecordCount) {
            problems << message(MessageId::TooManyDetectors)
                                .arg(name)
                                .arg(addresses.size())
                                .arg(ImageLayout::DetectorRecordCount)
                                .arg(numbers(addresses.mid(ImageLayout::DetectorRecordCount)));
        }
        QVector<int> outside;
        for (const int address : addresses) {
            if ((address < ImageLayout::FirstLoopAddress || address > ImageLayout::LastLoopAddress)
                && !outside.contains(address))
                outside << address;
        }
        if (!outside.isEmpty()) {
            problems << message(MessageId::AddressOutsideLoop)
                                .arg(name, numbers(outside))
                                .arg(ImageLayout::FirstLoopAddress)
                                .arg(ImageLayout::LastLoopAddress);
        }
    }
}

void checkOutputs(const Configuration &config, const QMap<int, Module> &modules, QSet<int> &keys,
                  QStringList &problems)
{
    const MemTable &outputs = config.mtReturn();
    QMap<int, QVector<int>> numbersByModule;
    for (int row = 0; row < outputs.rowCount(); ++row) {
        const int module = outputs.rowInteger(row, OutputField::id_dev);
        const int number = outputs.rowInteger(row, OutputField::offset);
        numbersByModule[module] << number;
        if (modules.contains(module) && modules.value(module).type != 0 && number >= 0
            && number < ImageLayout::OutputCount)
            keys.insert(outputs.rowInteger(row, OutputField::id_return));
    }
    for (auto it = numbersByModule.cbegin(); it != numbersByModule.cend(); ++it) {
        const int module = it.key();
        if (!modules.contains(module) || modules.value(module).type == 0) {
            problems << message(modules.contains(module) ? MessageId::DisabledModuleOutputs
                                                          : MessageId::MissingModuleOutputs)
                                .arg(module)
                                .arg(it.value().size());
            continue;
        }
        QVector<int> outside;
        QVector<int> twice;
        QSet<int> seen;
        for (const int number : it.value()) {
            if (number < 0 || number >= ImageLayout::OutputCount)
                outside << number + 1;
            else if (seen.contains(number))
                twice << number + 1;
            seen.insert(number);
        }
        const QString name = moduleName(modules, module);
        if (!outside.isEmpty())
            problems << message(MessageId::OutputOutsideRange)
                                .arg(name, numbers(outside))
                                .arg(ImageLayout::OutputCount);
        if (!twice.isEmpty())
            problems << message(MessageId::OutputTwice).arg(name, numbers(twice));
    }
}

bool hasOutput(const MemTable &outputs, int module, int number)
{
    for (int row = 0; row < outputs.rowCount(); ++row) {
        if (outputs.rowInteger(row, OutputField::id_dev) == module
            && outputs.rowInteger(row, OutputField::offset) == number)
            return true;
    }
    return false;
}

// Inputs 1 and 2 share their records with outputs 7 and 8; the build keeps the output.
void checkInputs(const Configuration &config, const QMap<int, Module> &modules, QStringList &problems)
{
    const MemTable &inputs = config.mtEntrance();
    for (auto it = modules.cbegin(); it != modules.cend(); ++it) {
        if (it.value().type != DeviceCodes::EightChannelModule)
            continue;
        QSet<int> present;
        for (int row = 0; row < inputs.rowCount(); ++row) {
            if (inputs.rowInteger(row, InputField::addr) == it.key())
                present.insert(inputs.rowInteger(row, InputField::num));
        }
        if (!present.contains(1) || !present.contains(2))
            problems << message(MessageId::NoInputPair)
                                .arg(it.value().caption);
        for (const int input : { 1, 2 }) {
            const int record = input == 1 ? ImageLayout::FirstInputRecord : ImageLayout::SecondInputRecord;
            const int output = record - ImageLayout::FirstOutputRecord;
            if (!present.contains(input) || !hasOutput(config.mtReturn(), it.key(), output))
                continue;
            problems << message(MessageId::OutputOverInput)
                                .arg(it.value().caption)
                                .arg(output + 1)
                                .arg(input);
        }
    }
}

void checkZoneOutputs(const Configuration &config, const QSet<int> &keys, QStringList &problems)
{
    const MemTable &zones = config.mtArea();
    for (int row = 0; row < zones.rowCount(); ++row) {
        QVector<int> missing;
        for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
            const int key = zones.rowInteger(row, ZoneField::r(slot));
            if (key != 0 && !keys.contains(key) && !missing.contains(key))
                missing << key;
        }
        if (missing.isEmpty())
            continue;
        QStringList named;
        for (const int key : missing)
            named << message(MessageId::ModuleOutput).arg(key / 1000).arg(key % 1000 + 1);
        const QString name = zones.rowValue(row, ZoneField::name).toString().trimmed();
        problems << message(MessageId::ZoneOutputMissing)
                            .arg(zones.rowValue(row, ZoneField::num).toString(),
                                 name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name), named.join(u", "));
    }
}

} // namespace

// Without the end mark in its first 16 symbols, a number reads back with the ninth byte's
// two zeros added: 16 digits (15 in tone dialling, whose mark takes one) fill them.
void checkTelephones(const SystemSettings &settings, QStringList &problems)
{
    const std::pair<QString, QString> numbers[] = {
        { QStringLiteral("Первый телефонный номер"), settings.edTelNum1Raw },
        { QStringLiteral("Второй телефонный номер"), settings.edTelNum2Raw },
    };
    for (const auto &number : numbers) {
        const QString &raw = number.second;
        if (raw.isEmpty() || raw.contains(u'D') || raw.size() >= 18)
            continue;
        problems << message(MessageId::TelephoneTooLong)
                            .arg(number.first);
    }
}

// A typed text that names neither mode leaves none chosen, and the panel gets no mode.
void checkDiallingMode(const SystemSettings &settings, QStringList &problems)
{
    if (settings.cbModeAndOr == 0 || settings.cbModeAndOr == 1)
        return;
    problems << message(MessageId::NoDiallingMode)
                        .arg(settings.cbModeAndOr & 0xFF);
}

QStringList problems(const Configuration &config)
{
    QStringList found;
    const QMap<int, Module> modules = modulesByAddress(config.mtDev());
    checkDevices(config, modules, found);
    QSet<int> outputKeys;
    checkOutputs(config, modules, outputKeys, found);
    checkInputs(config, modules, found);
    checkZoneOutputs(config, outputKeys, found);
    checkTelephones(config.settings(), found);
    checkDiallingMode(config.settings(), found);
    return found;
}

} // namespace WriteCheck
