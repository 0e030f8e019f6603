#include "scenario.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

constexpr qint64 notWhole = std::numeric_limits<qint64>::min();

// The fields of one JSON object, keeping the first problem met. Unknown keys are problems
// too, so that a misspelt fault does not silently leave the module well-behaved.
class Fields
{
public:
    Fields(QJsonObject object, QString place) : m_object(std::move(object)), m_place(std::move(place)) {}

    void allowOnly(const QStringList &known)
    {
        for (const QString &key : m_object.keys()) {
            if (!known.contains(key))
                fail(QStringLiteral("неизвестное поле «%1»").arg(key));
        }
    }

    // Without `fallback` the field must be present.
    int number(const QString &key, int lowest, int highest, std::optional<int> fallback = std::nullopt)
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined()) {
            if (!fallback)
                fail(QStringLiteral("нет поля «%1»").arg(key));
            return fallback.value_or(lowest);
        }
        const qint64 whole = value.toInteger(notWhole);
        if (whole < lowest || whole > highest) {
            fail(QStringLiteral("«%1» ждёт целое число от %2 до %3").arg(key).arg(lowest).arg(highest));
            return lowest;
        }
        return int(whole);
    }

    bool flag(const QString &key)
    {
        const QJsonValue value = m_object.value(key);
        if (!value.isUndefined() && !value.isBool())
            fail(QStringLiteral("«%1» ждёт true или false").arg(key));
        return value.toBool();
    }

    QJsonValue value(const QString &key) const { return m_object.value(key); }

    void fail(const QString &text)
    {
        if (m_problem.isEmpty())
            m_problem = m_place.isEmpty() ? text : m_place + QStringLiteral(": ") + text;
    }

    const QString &problem() const { return m_problem; }

private:
    const QJsonObject m_object;
    const QString m_place;
    QString m_problem;
};

std::optional<Scenario::Device> readDevice(const QJsonValue &value, int number, QString *problem)
{
    Fields fields(value.toObject(), QStringLiteral("устройство %1").arg(number));
    if (!value.isObject())
        fields.fail(QStringLiteral("ждётся объект"));
    fields.allowOnly({ "type", "version", "year", "month", "serial", "kind" });
    Scenario::Device device;
    device.type = quint8(fields.number(QStringLiteral("type"), 0, 0xFF));
    device.version = quint8(fields.number(QStringLiteral("version"), 0, 0xFF));
    device.year = quint8(fields.number(QStringLiteral("year"), 0, 0xFF));
    device.month = quint8(fields.number(QStringLiteral("month"), 0, 0xFF));
    device.serial = quint16(fields.number(QStringLiteral("serial"), 0, 0xFFFF));
    device.kind = quint8(fields.number(QStringLiteral("kind"), 0, 0xFF, 0));
    if (!fields.problem().isEmpty()) {
        *problem = fields.problem();
        return std::nullopt;
    }
    return device;
}

} // namespace

std::optional<Scenario> Scenario::load(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Не удалось открыть сценарий «%1»: %2").arg(fileName, file.errorString());
        return std::nullopt;
    }
    QString problem;
    std::optional<Scenario> scenario = fromJson(file.readAll(), &problem);
    if (!scenario)
        *error = QStringLiteral("Сценарий «%1»: %2").arg(fileName, problem);
    return scenario;
}

std::optional<Scenario> Scenario::fromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("не JSON (%1, позиция %2)").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("ждётся объект JSON");
        return std::nullopt;
    }

    Fields top(document.object(), QString());
    top.allowOnly({ "klm", "devices", "busyPolls", "faults" });
    Scenario scenario;
    if (!top.value(QStringLiteral("klm")).isUndefined())
        scenario.technologicalAddress = top.number(QStringLiteral("klm"), 1, 16);
    scenario.busyPolls = top.number(QStringLiteral("busyPolls"), 0, std::numeric_limits<int>::max(), 0);

    const QJsonValue faults = top.value(QStringLiteral("faults"));
    if (!faults.isUndefined() && !faults.isObject())
        top.fail(QStringLiteral("«faults» ждёт объект"));
    Fields faultFields(faults.toObject(), QStringLiteral("faults"));
    faultFields.allowOnly({ "noAnswer", "unknownCodeAt" });
    scenario.noAnswer = faultFields.flag(QStringLiteral("noAnswer"));
    scenario.unknownCodeAt = faultFields.number(QStringLiteral("unknownCodeAt"), 0, std::numeric_limits<int>::max(), 0);
    if (!faultFields.problem().isEmpty())
        top.fail(faultFields.problem());

    const QJsonValue devices = top.value(QStringLiteral("devices"));
    if (!devices.isUndefined() && !devices.isArray())
        top.fail(QStringLiteral("«devices» ждёт массив"));
    const QJsonArray deviceList = devices.toArray();
    for (qsizetype i = 0; i < deviceList.size() && top.problem().isEmpty(); ++i) {
        QString problem;
        if (const std::optional<Device> device = readDevice(deviceList.at(i), int(i) + 1, &problem))
            scenario.devices.append(*device);
        else
            top.fail(problem);
    }

    if (!top.problem().isEmpty()) {
        *error = top.problem();
        return std::nullopt;
    }
    return scenario;
}
