#include <model/configurationjson.h>

#include <model/configuration.h>

#include <QJsonArray>

namespace {

QJsonValue jsonValue(const FieldDef &field, const QVariant &value)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (field.type) {
    case FieldType::Integer:
        return value.toInt();
    case FieldType::String:
        return value.toString();
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Time:
        return value.toTime().toString(QStringLiteral("HH:mm"));
    }
    return QJsonValue::Null;
}

// Lookup and calculated fields are views of other data, so only stored values go out;
// the program's own bookkeeping stays in.
QJsonArray tableRows(const MemTable &table)
{
    QJsonArray rows;
    const QVector<FieldDef> &fields = table.fields();
    for (int row = 0; row < table.rowCount(); ++row) {
        QJsonObject object;
        for (int field = 0; field < fields.size(); ++field) {
            if (fields.at(field).isData() && !fields.at(field).internal)
                object.insert(fields.at(field).name, jsonValue(fields.at(field), table.rowValue(row, field)));
        }
        rows.append(object);
    }
    return rows;
}

QJsonObject settingsObject(const SystemSettings &settings)
{
    QJsonObject object {
        { QStringLiteral("edNumReg1"), settings.edNumReg1 },
        { QStringLiteral("edNumReg2"), settings.edNumReg2 },
        { QStringLiteral("edTelNum1"), settings.edTelNum1 },
        { QStringLiteral("edTelNum2"), settings.edTelNum2 },
        { QStringLiteral("edTelNum1_raw"), settings.edTelNum1Raw },
        { QStringLiteral("edTelNum2_raw"), settings.edTelNum2Raw },
        { QStringLiteral("sbTonePulse1"), settings.sbTonePulse1 },
        { QStringLiteral("sbTonePulse2"), settings.sbTonePulse2 },
        { QStringLiteral("cbModeAndOr"), settings.cbModeAndOr },
        { QStringLiteral("edCount"), settings.edCount },
        { QStringLiteral("ud6"), settings.ud6 },
        { QStringLiteral("ud7"), settings.ud7 },
        { QStringLiteral("ud8"), settings.ud8 },
        { QStringLiteral("edInfMessage"), settings.edInfMessage },
        { QStringLiteral("ckbFire"), settings.ckbFire },
        { QStringLiteral("ckbNeisp"), settings.ckbNeisp },
        { QStringLiteral("ckbComm"), settings.ckbComm },
        { QStringLiteral("ckbAPK"), settings.ckbAPK },
        { QStringLiteral("ckbNotiv"), settings.ckbNotiv },
        { QStringLiteral("edAddrKLM"), settings.edAddrKLM },
    };
    for (int i = 0; i < SystemSettings::AdminCodeCount; ++i)
        object.insert(QStringLiteral("edAdminPass%1").arg(i + 1), settings.edAdminPass.at(i));
    for (int i = 0; i < SystemSettings::MasterCodeCount; ++i)
        object.insert(QStringLiteral("edMasterPass%1").arg(i + 1), settings.edMasterPass.at(i));
    return object;
}

} // namespace

QJsonObject configurationToJson(Configuration &config)
{
    return {
        { QStringLiteral("zones"), tableRows(config.mtArea()) },
        { QStringLiteral("modules"), tableRows(config.mtDev()) },
        { QStringLiteral("sensors"), tableRows(config.mtSensor()) },
        { QStringLiteral("outputs"), tableRows(config.mtReturn()) },
        { QStringLiteral("inputs"), tableRows(config.mtEntrance()) },
        { QStringLiteral("profiles"), tableRows(config.mtTempType()) },
        { QStringLiteral("event_codes"), tableRows(config.mtRepComm()) },
        { QStringLiteral("messages"), tableRows(config.mtRepEnt()) },
        { QStringLiteral("settings"), settingsObject(config.settings()) },
    };
}
