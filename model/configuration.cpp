#include "configuration.h"

namespace {

QString fourHexDigits(const QVariant &value)
{
    return QStringLiteral("%1").arg(value.toInt(), 4, 16, QLatin1Char('0')).toUpper();
}

FieldDef serialText(const QString &source)
{
    return FieldDef::calculated(QStringLiteral("snum"), 4,
                                [source](const MemTable &table, int row) -> QVariant {
                                    return fourHexDigits(table.rowValue(row, source));
                                });
}

FieldDef nameIn(const QString &name, int size, const QString &keyField,
                const ReferenceTable &reference)
{
    return FieldDef::lookupIn(
            name, size, keyField, [&reference](const QVariant &key) { return reference.name(key); },
            &reference);
}

FieldDef integers(const QString &name) { return FieldDef::integer(name); }

} // namespace

Configuration::Configuration()
    : m_references(ReferenceTables::instance()),
      m_mtDev(QStringLiteral("mtDev"), moduleFields()),
      m_mtRepEnt(QStringLiteral("mtRepEnt"),
                 { integers(QStringLiteral("id")), FieldDef::string(QStringLiteral("name"), 40) }),
      m_mtArea(QStringLiteral("mtArea"), zoneFields()),
      m_mtAreaCopy(QStringLiteral("mtAreaCopy"), zoneFields()),
      m_mtSensor(QStringLiteral("mtSensor"), sensorFields()),
      m_mtSensorCopy(QStringLiteral("mtSensorCopy"), sensorFields()),
      m_mtReturn(QStringLiteral("mtReturn"), returnFields()),
      m_mtReturnCopy(QStringLiteral("mtReturnCopy"), returnFields()),
      m_mtEntrance(QStringLiteral("mtEntrance"), entranceFields()),
      m_mtSensorNew(QStringLiteral("mtSensorNew"), sensorNewFields()),
      m_mtTempType(QStringLiteral("mtTempType"),
                   { integers(QStringLiteral("id")).readOnlyField(),
                     FieldDef::time(QStringLiteral("begin_day")),
                     FieldDef::time(QStringLiteral("begin_night")) }),
      m_mtRepComm(QStringLiteral("mtRepComm"),
                  { integers(QStringLiteral("code")),
                    FieldDef::string(QStringLiteral("name"), 40).readOnlyField() })
{
    installEditingRules(*this);
    createFixedRows();
    createZoneRows();
    createModuleRows();
}

QString Configuration::zoneLabel(int zone)
{
    return QStringLiteral("Зона ") + QString::number(zone);
}

QString Configuration::outputLinkField(int slot)
{
    return QLatin1Char('r') + QString::number(slot);
}

FieldDef Configuration::beingName(int size) const
{
    return nameIn(QStringLiteral("bname"), size, QStringLiteral("id_being"), m_references.mtBeing);
}

FieldDef Configuration::moduleLabel(int size)
{
    return FieldDef::lookupIn(QStringLiteral("mname"), size, QStringLiteral("id_dev"),
                              [this](const QVariant &key) {
                                  return m_mtDev.lookupValue(QStringLiteral("addr"), key,
                                                             QStringLiteral("mname"));
                              });
}

QVector<FieldDef> Configuration::zoneFields()
{
    QVector<FieldDef> fields {
        integers(QStringLiteral("id")),
        FieldDef::string(QStringLiteral("num"), 8),
        FieldDef::string(QStringLiteral("name"), 40),
        integers(QStringLiteral("id_being")),
        integers(QStringLiteral("id_verif")),
        integers(QStringLiteral("id_temp")),
        beingName(10),
        nameIn(QStringLiteral("vname"), 20, QStringLiteral("id_verif"), m_references.mtVeriff),
        nameIn(QStringLiteral("tname"), 20, QStringLiteral("id_temp"), m_references.mtTemp),
        integers(QStringLiteral("id_return")),
        FieldDef::boolean(QStringLiteral("boolarea")),
    };
    for (int slot = 1; slot <= OutputLinksPerZone; ++slot)
        fields.append(integers(outputLinkField(slot)));
    return fields;
}

QVector<FieldDef> Configuration::moduleFields()
{
    return {
        integers(QStringLiteral("id_name")),
        nameIn(QStringLiteral("name"), 10, QStringLiteral("id_name"), m_references.mtDevType),
        integers(QStringLiteral("addr")),
        integers(QStringLiteral("id_tname")),
        nameIn(QStringLiteral("tname"), 20, QStringLiteral("id_tname"), m_references.mtTypeChain),
        FieldDef::string(QStringLiteral("mname"), 15),
        integers(QStringLiteral("id_being")),
        beingName(6),
    };
}

QVector<FieldDef> Configuration::sensorFields()
{
    const ReferenceTable &sensorTypes = m_references.mtSensorType;
    return {
        integers(QStringLiteral("id_sen")),
        FieldDef::lookupIn(
                QStringLiteral("name"), 10, QStringLiteral("id_sen"),
                [&sensorTypes](const QVariant &key) { return sensorTypes.dname(key); }, &sensorTypes),
        integers(QStringLiteral("id_chan")),
        nameIn(QStringLiteral("cname"), 20, QStringLiteral("id_chan"), m_references.mtChanType),
        integers(QStringLiteral("addr")),
        integers(QStringLiteral("id_mode")),
        nameIn(QStringLiteral("mode"), 16, QStringLiteral("id_mode"), m_references.mtTypeMode),
        integers(QStringLiteral("time")),
        integers(QStringLiteral("id_being")),
        beingName(6),
        integers(QStringLiteral("offset")),
        integers(QStringLiteral("id_area")),
        integers(QStringLiteral("ver")),
        integers(QStringLiteral("year")),
        integers(QStringLiteral("month")),
        integers(QStringLiteral("saddrh")),
        integers(QStringLiteral("saddrl")),
        integers(QStringLiteral("id_dev")),
        moduleLabel(10),
        FieldDef::boolean(QStringLiteral("boolarea")),
        integers(QStringLiteral("index")),
        serialText(QStringLiteral("saddrl")),
        // The channel record a loaded row came from: zone records name detectors by it,
        // so the next build must put the row back there. Empty for rows added since.
        integers(QStringLiteral("record")).internalField(),
    };
}

QVector<FieldDef> Configuration::returnFields()
{
    return {
        integers(QStringLiteral("id_chan")),
        nameIn(QStringLiteral("cname"), 20, QStringLiteral("id_chan"), m_references.mtChanType),
        integers(QStringLiteral("addr")),
        integers(QStringLiteral("id_mode")),
        nameIn(QStringLiteral("mode"), 15, QStringLiteral("id_mode"), m_references.mtMode),
        integers(QStringLiteral("time")),
        integers(QStringLiteral("id_being")),
        beingName(10),
        integers(QStringLiteral("offset")),
        integers(QStringLiteral("id_area")),
        integers(QStringLiteral("ver")),
        integers(QStringLiteral("year")),
        integers(QStringLiteral("month")),
        integers(QStringLiteral("saddrh")),
        integers(QStringLiteral("saddrl")),
        integers(QStringLiteral("id_dev")),
        moduleLabel(10),
        FieldDef::boolean(QStringLiteral("boolarea")),
        integers(QStringLiteral("id_return")),
        integers(QStringLiteral("index")),
        serialText(QStringLiteral("saddrl")),
        FieldDef::string(QStringLiteral("vname"), 6),
    };
}

QVector<FieldDef> Configuration::entranceFields()
{
    return {
        integers(QStringLiteral("id")),
        integers(QStringLiteral("addr")).readOnlyField(),
        integers(QStringLiteral("id_being")),
        beingName(6),
        integers(QStringLiteral("id_repent")),
        FieldDef::lookupIn(QStringLiteral("rname"), 30, QStringLiteral("id_repent"),
                           [this](const QVariant &key) {
                               return m_mtRepEnt.lookupValue(QStringLiteral("id"), key,
                                                             QStringLiteral("name"));
                           }),
        integers(QStringLiteral("num")).readOnlyField(),
        integers(QStringLiteral("level")),
        FieldDef::lookupIn(QStringLiteral("mname"), 20, QStringLiteral("id"),
                           [this](const QVariant &key) {
                               return m_mtDev.lookupValue(QStringLiteral("id_name"), key,
                                                          QStringLiteral("name"));
                           })
                .readOnlyField(),
    };
}

QVector<FieldDef> Configuration::sensorNewFields()
{
    const ReferenceTable &sensorTypes = m_references.mtSensorType;
    return {
        integers(QStringLiteral("id_sen")),
        FieldDef::lookupIn(
                QStringLiteral("name"), 10, QStringLiteral("id_sen"),
                [&sensorTypes](const QVariant &key) { return sensorTypes.dname(key); }, &sensorTypes),
        integers(QStringLiteral("id_area")),
        integers(QStringLiteral("ver")),
        integers(QStringLiteral("year")),
        integers(QStringLiteral("month")),
        integers(QStringLiteral("saddrh")),
        integers(QStringLiteral("saddrl")),
        integers(QStringLiteral("id_dev")),
        moduleLabel(15),
        serialText(QStringLiteral("saddrh")),
        integers(QStringLiteral("addr")),
        FieldDef::string(QStringLiteral("note"), 60),
    };
}

void Configuration::createFixedRows()
{
    for (int profile = 1; profile <= 4; ++profile) {
        m_mtTempType.append();
        m_mtTempType.setValue(QStringLiteral("id"), profile);
        m_mtTempType.setValue(QStringLiteral("begin_day"), QTime(0, 0));
        m_mtTempType.setValue(QStringLiteral("begin_night"), QTime(0, 0));
    }
    m_mtTempType.post();
    m_mtTempType.first();

    const std::pair<int, const char16_t *> eventCodes[] = {
        { 329, u"Обнаружение совпадения" },
        { 571, u"Отключение зоны" },
        { 572, u"Отключение извещателя" },
        { 530, u"Отключение реле \"НЕИСПРАВНОСТЬ\"" },
        { 538, u"Отключение выхода \"ПОЖАРОТУШЕНИЕ\"" },
        { 305, u"Сброс зоны" },
        { 627, u"Вход во второй уровень" },
        { 628, u"Вход в третий уровень" },
        { 110, u"Пожарная тревога" },
        { 634, u"Системная ошибка" },
        { 350, u"Пропала связь с АПК" },
        { 351, u"Пропала связь с БРА" },
        { 352, u"В зоне есть неисправности" },
        { 621, u"Журнал очищен" },
        { 622, u"Пропала связь" },
        { 623, u"Тампер нарушен" },
        { 624, u"Нарушение питания (ниже нормы)" },
        { 625, u"Неисправность акумулятора" },
        { 626, u"Пропажа 220 В" },
        { 627, u"Неисправность входа 12В" },
        { 628, u"Неисправность выхода 12В" },
        { 629, u"Сработал изолятор КЗ питания" },
        { 630, u"Сработал изолятор КЗ ША" },
        { 631, u"Тестовое сообщение" },
        { 632, u"Отключение оповещения" },
        { 633, u"Сброс входа" },
        { 634, u"Отключение выхода комуникатора" },
    };
    for (const auto &[code, name] : eventCodes) {
        m_mtRepComm.append();
        m_mtRepComm.setValue(QStringLiteral("code"), code);
        m_mtRepComm.setValue(QStringLiteral("name"), QString::fromUtf16(name));
    }
    m_mtRepComm.post();
    m_mtRepComm.first();

    for (int message = 1; message <= 4; ++message) {
        m_mtRepEnt.append();
        m_mtRepEnt.setValue(QStringLiteral("id"), message);
        m_mtRepEnt.setValue(QStringLiteral("name"),
                            QStringLiteral("ВХІД %1 СПРАЦЮВАВ").arg(message - 1));
    }
    m_mtRepEnt.post();
    m_mtRepEnt.first();
}

void Configuration::createZoneRows()
{
    m_mtArea.beginUpdate();
    for (int zone = 1; zone <= ZoneCount; ++zone) {
        m_mtArea.append();
        m_mtArea.setValue(QStringLiteral("id"), zone);
        m_mtArea.setValue(QStringLiteral("num"), zoneLabel(zone));
        m_mtArea.setValue(QStringLiteral("id_return"), 0);
        m_mtArea.setValue(QStringLiteral("boolarea"), false);
    }
    m_mtArea.first();
    m_mtArea.endUpdate();
}

void Configuration::createModuleRows()
{
    m_mtDev.beginUpdate();
    for (int module = 1; module <= ModuleCount; ++module) {
        m_mtDev.append();
        if (module == 1) {
            m_mtDev.setValue(QStringLiteral("id_name"), 2);
            m_mtDev.setValue(QStringLiteral("mname"), QStringLiteral("КЛМ № 1"));
            m_mtDev.setValue(QStringLiteral("id_being"), 0);
        } else {
            m_mtDev.setValue(QStringLiteral("id_name"), 0);
            m_mtDev.setValue(QStringLiteral("id_being"), 1);
        }
        m_mtDev.setValue(QStringLiteral("id_tname"), 1);
        m_mtDev.setValue(QStringLiteral("addr"), module);
        m_mtDev.post();
    }
    m_mtDev.first();
    m_mtDev.endUpdate();
}
