#include <model/configuration.h>

#include <image/devicecodes.h>
#include <image/imagelayout.h>

#include <algorithm>

namespace {

QString fourHexDigits(const QVariant &value)
{
    return QStringLiteral("%1").arg(value.toInt(), 4, 16, QLatin1Char('0')).toUpper();
}

FieldDef serialText(int source)
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

// A byte of the image holds 0 .. 255; a digit-coded pair of bytes four decimal digits.
constexpr int ByteMaximum = 255;
constexpr int EventCodeMaximum = 9999;

// Fields placed at the columns of their table's field constants.
class FieldList
{
public:
    explicit FieldList(int count) : m_fields(count) { }
    FieldList &operator()(int column, FieldDef field)
    {
        m_fields[column] = std::move(field);
        return *this;
    }
    operator QVector<FieldDef>() const
    {
        Q_ASSERT_X(std::none_of(m_fields.cbegin(), m_fields.cend(), [](const FieldDef &f) { return f.name.isEmpty(); }),
                   "Configuration", "a column without its field");
        return m_fields;
    }

private:
    QVector<FieldDef> m_fields;
};

} // namespace

Configuration::Configuration()
    : m_references(ReferenceTables::instance()),
      m_mtDev(QStringLiteral("mtDev"), moduleFields()),
      m_mtRepEnt(QStringLiteral("mtRepEnt"),
                 FieldList(MessageField::Count)(MessageField::id, integers(QStringLiteral("id")))(
                         MessageField::name,
                         FieldDef::string(QStringLiteral("name"), ImageLayout::MessageTextSize).storedAsCapitals())),
      m_mtArea(QStringLiteral("mtArea"), zoneFields()),
      m_mtAreaCopy(QStringLiteral("mtAreaCopy"), zoneFields()),
      m_mtSensor(QStringLiteral("mtSensor"), sensorFields()),
      m_mtSensorCopy(QStringLiteral("mtSensorCopy"), sensorFields()),
      m_mtReturn(QStringLiteral("mtReturn"), returnFields()),
      m_mtReturnCopy(QStringLiteral("mtReturnCopy"), returnFields()),
      m_mtEntrance(QStringLiteral("mtEntrance"), entranceFields()),
      m_mtSensorNew(QStringLiteral("mtSensorNew"), sensorNewFields()),
      m_mtTempType(QStringLiteral("mtTempType"),
                   FieldList(ProfileField::Count)(ProfileField::id, integers(QStringLiteral("id")).readOnlyField())(
                           ProfileField::begin_day, FieldDef::time(QStringLiteral("begin_day")).inTenMinuteSteps())(
                           ProfileField::begin_night,
                           FieldDef::time(QStringLiteral("begin_night")).inTenMinuteSteps())),
      m_mtRepComm(QStringLiteral("mtRepComm"),
                  FieldList(EventCodeField::Count)(EventCodeField::code,
                                                         integers(QStringLiteral("code")).within(0, EventCodeMaximum))(
                          EventCodeField::name, FieldDef::string(QStringLiteral("name"), 40).readOnlyField()))
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

QString Configuration::moduleCaption(int type, int number)
{
    switch (type) {
    case DeviceCodes::LoopModule:
        return QStringLiteral("КЛМ № ") + QString::number(number);
    case DeviceCodes::EightChannelModule:
        return QStringLiteral("КВ-8 № ") + QString::number(number);
    default:
        return {};
    }
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
                                  return m_mtDev.lookupValue(ModuleField::addr, key, ModuleField::mname);
                              })
            .readingFrom(m_mtDev);
}

QVector<FieldDef> Configuration::zoneFields()
{
    namespace F = ZoneField;
    FieldList fields(F::Count);
    fields(F::id, integers(QStringLiteral("id")))
          (F::num, FieldDef::string(QStringLiteral("num"), 8))
          (F::name, FieldDef::string(QStringLiteral("name"), 40).storedAsCapitals())
          (F::id_being, integers(QStringLiteral("id_being")))
          (F::id_verif, integers(QStringLiteral("id_verif")))
          (F::id_temp, integers(QStringLiteral("id_temp")))
          (F::bname, beingName(10))
          (F::vname, nameIn(QStringLiteral("vname"), 20, QStringLiteral("id_verif"), m_references.mtVeriff))
          (F::tname, nameIn(QStringLiteral("tname"), 20, QStringLiteral("id_temp"), m_references.mtTemp))
          (F::id_return, integers(QStringLiteral("id_return")))
          (F::boolarea, FieldDef::boolean(QStringLiteral("boolarea")));
    for (int slot = 1; slot <= OutputLinksPerZone; ++slot)
        fields(F::r(slot), integers(outputLinkField(slot)));
    return fields;
}

QVector<FieldDef> Configuration::moduleFields()
{
    namespace F = ModuleField;
    return FieldList(F::Count)
            (F::id_name, integers(QStringLiteral("id_name")))
            (F::name, nameIn(QStringLiteral("name"), 10, QStringLiteral("id_name"), m_references.mtDevType))
            (F::addr, integers(QStringLiteral("addr")))
            (F::id_tname, integers(QStringLiteral("id_tname")))
            (F::tname, nameIn(QStringLiteral("tname"), 20, QStringLiteral("id_tname"), m_references.mtTypeChain))
            (F::mname, FieldDef::string(QStringLiteral("mname"), 15))
            (F::id_being, integers(QStringLiteral("id_being")))
            (F::bname, beingName(6));
}

QVector<FieldDef> Configuration::sensorFields()
{
    namespace F = SensorField;
    const ReferenceTable &sensorTypes = m_references.mtSensorType;
    return FieldList(F::Count)
            (F::id_sen, integers(QStringLiteral("id_sen")))
            (F::name, FieldDef::lookupIn(
                    QStringLiteral("name"), 10, QStringLiteral("id_sen"),
                    [&sensorTypes](const QVariant &key) { return sensorTypes.dname(key); }, &sensorTypes))
            (F::id_chan, integers(QStringLiteral("id_chan")))
            (F::cname, nameIn(QStringLiteral("cname"), 20, QStringLiteral("id_chan"), m_references.mtChanType))
            (F::addr, integers(QStringLiteral("addr")))
            (F::id_mode, integers(QStringLiteral("id_mode")))
            (F::mode, nameIn(QStringLiteral("mode"), 16, QStringLiteral("id_mode"), m_references.mtTypeMode))
            (F::time, integers(QStringLiteral("time")))
            (F::id_being, integers(QStringLiteral("id_being")))
            (F::bname, beingName(6))
            (F::offset, integers(QStringLiteral("offset")))
            (F::id_area, integers(QStringLiteral("id_area")))
            (F::ver, integers(QStringLiteral("ver")))
            (F::year, integers(QStringLiteral("year")))
            (F::month, integers(QStringLiteral("month")))
            (F::saddrh, integers(QStringLiteral("saddrh")))
            (F::saddrl, integers(QStringLiteral("saddrl")))
            (F::id_dev, integers(QStringLiteral("id_dev")))
            (F::mname, moduleLabel(10))
            (F::boolarea, FieldDef::boolean(QStringLiteral("boolarea")))
            (F::index, integers(QStringLiteral("index")))
            (F::snum, serialText(F::saddrl))
            // The channel record a loaded row came from: zone records name detectors by it,
            // so the next build must put the row back there. Empty for rows added since.
            (F::record, integers(QStringLiteral("record")).internalField());
}

QVector<FieldDef> Configuration::returnFields()
{
    namespace F = OutputField;
    return FieldList(F::Count)
            (F::id_chan, integers(QStringLiteral("id_chan")))
            (F::cname, nameIn(QStringLiteral("cname"), 20, QStringLiteral("id_chan"), m_references.mtChanType))
            (F::addr, integers(QStringLiteral("addr")))
            (F::id_mode, integers(QStringLiteral("id_mode")))
            (F::mode, nameIn(QStringLiteral("mode"), 15, QStringLiteral("id_mode"), m_references.mtMode))
            (F::time, integers(QStringLiteral("time")))
            (F::id_being, integers(QStringLiteral("id_being")))
            (F::bname, beingName(10))
            (F::offset, integers(QStringLiteral("offset")))
            (F::id_area, integers(QStringLiteral("id_area")))
            (F::ver, integers(QStringLiteral("ver")))
            (F::year, integers(QStringLiteral("year")))
            (F::month, integers(QStringLiteral("month")))
            (F::saddrh, integers(QStringLiteral("saddrh")))
            (F::saddrl, integers(QStringLiteral("saddrl")))
            (F::id_dev, integers(QStringLiteral("id_dev")))
            (F::mname, moduleLabel(10))
            (F::boolarea, FieldDef::boolean(QStringLiteral("boolarea")))
            (F::id_return, integers(QStringLiteral("id_return")))
            (F::index, integers(QStringLiteral("index")))
            (F::snum, serialText(F::saddrl))
            (F::vname, FieldDef::string(QStringLiteral("vname"), 6));
}

QVector<FieldDef> Configuration::entranceFields()
{
    namespace F = InputField;
    return FieldList(F::Count)
            (F::id, integers(QStringLiteral("id")))
            (F::addr, integers(QStringLiteral("addr")).readOnlyField())
            (F::id_being, integers(QStringLiteral("id_being")))
            (F::bname, beingName(6))
            (F::id_repent, integers(QStringLiteral("id_repent")))
            (F::rname, FieldDef::lookupIn(
                               QStringLiteral("rname"), 30, QStringLiteral("id_repent"),
                               [this](const QVariant &key) {
                                   return m_mtRepEnt.lookupValue(MessageField::id, key, MessageField::name);
                               },
                               [this] { return inputMessages(); })
                               .readingFrom(m_mtRepEnt))
            (F::num, integers(QStringLiteral("num")).readOnlyField())
            (F::level, integers(QStringLiteral("level")).within(0, ByteMaximum))
            (F::mname, FieldDef::lookupIn(QStringLiteral("mname"), 20, QStringLiteral("id"),
                                          [this](const QVariant &key) {
                                              return m_mtDev.lookupValue(ModuleField::id_name, key, ModuleField::name);
                                          })
                               .readingFrom(m_mtDev)
                               .readOnlyField());
}

QVector<FieldDef> Configuration::sensorNewFields()
{
    namespace F = FoundField;
    const ReferenceTable &sensorTypes = m_references.mtSensorType;
    return FieldList(F::Count)
            (F::id_sen, integers(QStringLiteral("id_sen")))
            (F::name, FieldDef::lookupIn(
                    QStringLiteral("name"), 10, QStringLiteral("id_sen"),
                    [&sensorTypes](const QVariant &key) { return sensorTypes.dname(key); }, &sensorTypes))
            (F::id_area, integers(QStringLiteral("id_area")))
            (F::ver, integers(QStringLiteral("ver")))
            (F::year, integers(QStringLiteral("year")))
            (F::month, integers(QStringLiteral("month")))
            (F::saddrh, integers(QStringLiteral("saddrh")))
            (F::saddrl, integers(QStringLiteral("saddrl")))
            (F::id_dev, integers(QStringLiteral("id_dev")))
            (F::mname, moduleLabel(15))
            (F::snum, serialText(F::saddrh))
            (F::addr, integers(QStringLiteral("addr")))
            (F::note, FieldDef::string(QStringLiteral("note"), 60));
}

ReferenceTable Configuration::inputMessages() const
{
    QVector<ReferenceTable::Row> rows;
    for (int row = 0; row < m_mtRepEnt.rowCount(); ++row) {
        const QVariant id = m_mtRepEnt.rowValue(row, MessageField::id);
        if (!id.isNull())
            rows.append({ id.toInt(), m_mtRepEnt.rowValue(row, MessageField::name).toString(), {} });
    }
    return ReferenceTable(m_mtRepEnt.tableName(), rows);
}

void Configuration::setSettings(const SystemSettings &settings)
{
    changeSettings([&settings](SystemSettings &current) { current = settings; });
}

void Configuration::createFixedRows()
{
    for (int profile = 1; profile <= 4; ++profile) {
        m_mtTempType.append();
        m_mtTempType.setValue(ProfileField::id, profile);
        m_mtTempType.setValue(ProfileField::begin_day, QTime(0, 0));
        m_mtTempType.setValue(ProfileField::begin_night, QTime(0, 0));
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
        m_mtRepComm.setValue(EventCodeField::code, code);
        m_mtRepComm.setValue(EventCodeField::name, QString::fromUtf16(name));
    }
    m_mtRepComm.post();
    m_mtRepComm.first();

    for (int message = 1; message <= 4; ++message) {
        m_mtRepEnt.append();
        m_mtRepEnt.setValue(MessageField::id, message);
        m_mtRepEnt.setValue(MessageField::name,
                            QStringLiteral("ВХІД %1 СПРАЦЮВАВ").arg(message - 1));
    }
    m_mtRepEnt.post();
    m_mtRepEnt.first();
}

void Configuration::createZoneRows()
{
    m_mtArea.beginUpdate();
    m_mtArea.reserve(ZoneCount);
    for (int zone = 1; zone <= ZoneCount; ++zone) {
        m_mtArea.append();
        m_mtArea.setValue(ZoneField::id, zone);
        m_mtArea.setValue(ZoneField::num, zoneLabel(zone));
        m_mtArea.setValue(ZoneField::id_return, 0);
        m_mtArea.setValue(ZoneField::boolarea, false);
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
            m_mtDev.setValue(ModuleField::id_name, 2);
            m_mtDev.setValue(ModuleField::mname, QStringLiteral("КЛМ № 1"));
            m_mtDev.setValue(ModuleField::id_being, 0);
        } else {
            m_mtDev.setValue(ModuleField::id_name, 0);
            m_mtDev.setValue(ModuleField::id_being, 1);
        }
        m_mtDev.setValue(ModuleField::id_tname, 1);
        m_mtDev.setValue(ModuleField::addr, module);
        m_mtDev.post();
    }
    m_mtDev.first();
    m_mtDev.endUpdate();
}
