#include <model/configurationdiff.h>

#include <image/devicecodes.h>
#include <model/configuration.h>
#include <model/settingsinput.h>

#include <QHash>

#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>
#include <utility>

namespace {

const QString nothing = QStringLiteral("пусто");

QString quoted(const QString &text)
{
    return QStringLiteral("«%1»").arg(text);
}

// The image pads texts with blanks, so trailing blanks tell nothing apart.
QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

QString shownText(const QString &text)
{
    const QString trimmed = withoutTrailingBlanks(text);
    return trimmed.isEmpty() ? nothing : quoted(trimmed);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("да") : QStringLiteral("нет");
}

QString shownValue(FieldType type, const QVariant &value)
{
    if (value.isNull())
        return nothing;
    switch (type) {
    case FieldType::Integer:
        return QString::number(value.toInt());
    case FieldType::String:
        return shownText(value.toString());
    case FieldType::Boolean:
        return yesNo(value.toBool());
    case FieldType::Time:
        return value.toTime().toString(QStringLiteral("HH:mm"));
    }
    return nothing;
}

QString change(const QString &before, const QString &after)
{
    return before + QStringLiteral(" → ") + after;
}

// One thing a row or the settings say. Two sides differ when their codes differ; a name,
// where there is one, is what the installer is shown, with the code only when the names
// alone would not tell the two apart.
template<typename Source>
struct Facet
{
    using Text = std::function<QString(const Source &source)>;

    QString word;
    Text code;
    Text name; // may be empty

    std::optional<QString> compared(const Source &before, const Source &after) const
    {
        const QString codeBefore = code(before);
        const QString codeAfter = code(after);
        if (codeBefore == codeAfter)
            return std::nullopt;
        if (!name)
            return change(codeBefore, codeAfter);
        const QString nameBefore = name(before);
        const QString nameAfter = name(after);
        if (nameBefore != nameAfter)
            return change(nameBefore, nameAfter);
        return change(QStringLiteral("%1 (%2)").arg(nameBefore, codeBefore),
                      QStringLiteral("%1 (%2)").arg(nameAfter, codeAfter));
    }
};

struct RowRef
{
    const MemTable &table;
    int row;
};
using RowFacet = Facet<RowRef>;
using SettingFacet = Facet<SystemSettings>;

// "module.output", the output counted from 1 as the lists and the report count it.
QString outputName(int module, int number)
{
    return QStringLiteral("%1.%2").arg(module).arg(number + 1);
}

// Zones name an output by its module × 1000 + its number from 0.
QString outputName(int key)
{
    return outputName(key / 1000, key % 1000);
}

RowFacet outputKey(int field)
{
    return { QStringLiteral("выход"),
             [field](const RowRef &ref) {
                 const QVariant key = ref.table.rowValue(ref.row, field);
                 if (key.isNull())
                     return nothing;
                 return key.toInt() == 0 ? QStringLiteral("нет") : quoted(outputName(key.toInt()));
             },
             {} };
}

// Which slot holds an output link says nothing; which outputs the zone drives does.
RowFacet outputLinks(const QVector<int> &fields)
{
    return { QStringLiteral("выходы"),
             [fields](const RowRef &ref) {
                 QVector<int> keys;
                 for (const int field : fields) {
                     const int key = ref.table.rowValue(ref.row, field).toInt();
                     if (key != 0)
                         keys.append(key);
                 }
                 if (keys.isEmpty())
                     return QStringLiteral("нет");
                 std::sort(keys.begin(), keys.end());
                 QStringList names;
                 for (const int key : std::as_const(keys))
                     names.append(outputName(key));
                 return quoted(names.join(QStringLiteral(", ")));
             },
             {} };
}

RowFacet serialNumber(int highField, int lowField)
{
    return { QStringLiteral("серийный номер"),
             [highField, lowField](const RowRef &ref) {
                 const QVariant high = ref.table.rowValue(ref.row, highField);
                 const QVariant low = ref.table.rowValue(ref.row, lowField);
                 if (high.isNull() && low.isNull())
                     return nothing;
                 return quoted(QStringLiteral("%1%2")
                                       .arg(high.toInt() & 0xFF, 2, 16, QLatin1Char('0'))
                                       .arg(low.toInt() & 0xFF, 2, 16, QLatin1Char('0'))
                                       .toUpper());
             },
             {} };
}

int lookupFieldOf(const MemTable &table, const QString &keyField)
{
    const QVector<FieldDef> &fields = table.fields();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).kind == FieldKind::Lookup && fields.at(i).keyField == keyField)
            return i;
    }
    return -1;
}

// Codes the reference lists give no name, by code.
using UnnamedCodes = QHash<int, QString>;

// A code is never shown bare: one the lists do not name is said to be so.
QString unnamedCode(const UnnamedCodes &words, int code)
{
    return words.value(code, QStringLiteral("без названия (код %1)").arg(code));
}

RowFacet fieldFacet(const MemTable &table, int field, const QString &word, const UnnamedCodes &unnamed)
{
    const FieldType type = table.fields().at(field).type;
    RowFacet facet { word,
                       [field, type](const RowRef &ref) {
                           return shownValue(type, ref.table.rowValue(ref.row, field));
                       },
                       {} };
    const int lookup = lookupFieldOf(table, table.fields().at(field).name);
    if (lookup >= 0) {
        facet.name = [field, lookup, unnamed](const RowRef &ref) {
            const QVariant code = ref.table.rowValue(ref.row, field);
            if (code.isNull())
                return nothing;
            const QString name = withoutTrailingBlanks(ref.table.rowValue(ref.row, lookup).toString());
            return name.isEmpty() ? unnamedCode(unnamed, code.toInt()) : quoted(name);
        };
    }
    return facet;
}

const QHash<QString, QString> &fieldWords()
{
    static const QHash<QString, QString> words {
        { QStringLiteral("name"), QStringLiteral("имя") },
        { QStringLiteral("num"), QStringLiteral("обозначение") },
        { QStringLiteral("id_being"), QStringLiteral("состояние") },
        { QStringLiteral("id_verif"), QStringLiteral("верификация") },
        { QStringLiteral("id_temp"), QStringLiteral("профиль") },
        { QStringLiteral("id_name"), QStringLiteral("тип") },
        { QStringLiteral("id_tname"), QStringLiteral("цепь") },
        { QStringLiteral("mname"), QStringLiteral("название") },
        { QStringLiteral("id_chan"), QStringLiteral("тип канала") },
        { QStringLiteral("id_mode"), QStringLiteral("режим") },
        { QStringLiteral("id_area"), QStringLiteral("зона") },
        { QStringLiteral("id_sen"), QStringLiteral("тип устройства") },
        { QStringLiteral("time"), QStringLiteral("время") },
        { QStringLiteral("ver"), QStringLiteral("версия") },
        { QStringLiteral("year"), QStringLiteral("год выпуска") },
        { QStringLiteral("month"), QStringLiteral("месяц выпуска") },
        { QStringLiteral("vname"), QStringLiteral("обозначение") },
        { QStringLiteral("code"), QStringLiteral("код") },
        { QStringLiteral("begin_day"), QStringLiteral("начало дня") },
        { QStringLiteral("begin_night"), QStringLiteral("начало ночи") },
        { QStringLiteral("level"), QStringLiteral("уровень") },
        { QStringLiteral("id_repent"), QStringLiteral("сообщение") },
        { QStringLiteral("offset"), QStringLiteral("смещение") },
        { QStringLiteral("index"), QStringLiteral("индекс") },
        { QStringLiteral("addr"), QStringLiteral("адрес") },
        { QStringLiteral("boolarea"), QStringLiteral("отметка") },
    };
    return words;
}

// How the rows of one table are told apart and named.
struct TableDescription
{
    MemTable &(Configuration::*table)();
    QVector<int> identity; // fields naming a row; none: the row's position, for fixed lists
    // `ordinal` counts the rows with the same identity, in table order, from 1.
    QString (*label)(const QVector<int> &identity, int ordinal);
    QHash<QString, QString> words; // this table's own words, before the common ones
    // Fields told apart as one: a zone's output links, a device's serial number (high, low).
    QVector<int> outputLinks = {};
    QVector<int> serialNumber = {};
    QHash<int, UnnamedCodes> unnamedCodes = {}; // by field
};

QVector<int> zoneOutputLinks()
{
    QVector<int> fields;
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
        fields.append(ZoneField::r(slot));
    return fields;
}

QString numbered(const QString &label, int ordinal)
{
    return ordinal == 1 ? label : QStringLiteral("%1 (%2)").arg(label).arg(ordinal);
}

const QVector<TableDescription> &tables()
{
    static const QVector<TableDescription> descriptions {
        { &Configuration::mtArea, { ZoneField::id },
          [](const QVector<int> &id, int ordinal) { return numbered(QStringLiteral("Зона %1").arg(id[0]), ordinal); },
          {}, zoneOutputLinks() },
        { &Configuration::mtDev, { ModuleField::addr },
          [](const QVector<int> &id, int ordinal) { return numbered(QStringLiteral("Модуль %1").arg(id[0]), ordinal); },
          {}, {}, {},
          // No module, and the chain a КВ-8 gets, which is none of the two.
          { { ModuleField::id_name, { { DeviceCodes::NoModule, QStringLiteral("нет") } } },
            { ModuleField::id_tname, { { DeviceCodes::EightChannelChain, QStringLiteral("нет") } } } } },
        { &Configuration::mtSensor, { SensorField::id_dev, SensorField::addr },
          [](const QVector<int> &id, int ordinal) {
              return QStringLiteral("Модуль %1, адрес %2, канал %3").arg(id[0]).arg(id[1]).arg(ordinal);
          },
          {}, {}, { SensorField::saddrh, SensorField::saddrl } },
        { &Configuration::mtReturn, { OutputField::id_dev, OutputField::offset },
          [](const QVector<int> &id, int ordinal) {
              return numbered(QStringLiteral("Выход ") + outputName(id[0], id[1]), ordinal);
          },
          {}, {}, { OutputField::saddrh, OutputField::saddrl } },
        { &Configuration::mtEntrance, { InputField::addr, InputField::num },
          [](const QVector<int> &id, int ordinal) {
              return numbered(QStringLiteral("Вход %1 модуля %2").arg(id[1]).arg(id[0]), ordinal);
          },
          { { QStringLiteral("id"), QStringLiteral("тип модуля") } } },
        { &Configuration::mtTempType, { ProfileField::id },
          [](const QVector<int> &id, int ordinal) { return numbered(QStringLiteral("Профиль %1").arg(id[0]), ordinal); },
          {} },
        { &Configuration::mtRepComm, {},
          [](const QVector<int> &id, int) { return QStringLiteral("Код события %1").arg(id[0]); },
          { { QStringLiteral("name"), QStringLiteral("название") } } },
        { &Configuration::mtRepEnt, { MessageField::id },
          [](const QVector<int> &id, int ordinal) { return numbered(QStringLiteral("Сообщение %1").arg(id[0]), ordinal); },
          { { QStringLiteral("name"), QStringLiteral("текст") } } },
    };
    return descriptions;
}

QVector<RowFacet> facetsOf(const MemTable &table, const TableDescription &description)
{
    QVector<RowFacet> facets;
    bool linksAdded = false;
    bool serialAdded = false;
    const QVector<FieldDef> &fields = table.fields();
    for (int field = 0; field < fields.size(); ++field) {
        const QString &name = fields.at(field).name;
        if (!fields.at(field).isData() || fields.at(field).internal || description.identity.contains(field))
            continue;
        if (description.outputLinks.contains(field)) {
            if (!std::exchange(linksAdded, true))
                facets.append(outputLinks(description.outputLinks));
        } else if (description.serialNumber.contains(field)) {
            if (!std::exchange(serialAdded, true))
                facets.append(serialNumber(description.serialNumber.at(0), description.serialNumber.at(1)));
        } else if (name == QLatin1String("id_return")) {
            facets.append(outputKey(field));
        } else {
            const QString word = description.words.value(name, fieldWords().value(name, name));
            facets.append(fieldFacet(table, field, word, description.unnamedCodes.value(field)));
        }
    }
    return facets;
}

struct LabelledRows
{
    QStringList labels; // in table order
    QHash<QString, int> rowOf;
};

LabelledRows labelledRows(const MemTable &table, const TableDescription &description)
{
    const QVector<int> &columns = description.identity;
    LabelledRows labelled;
    QHash<QVector<int>, int> seen;
    for (int row = 0; row < table.rowCount(); ++row) {
        QVector<int> identity;
        for (const int column : std::as_const(columns))
            identity.append(table.rowValue(row, column).toInt());
        if (columns.isEmpty())
            identity.append(row + 1);
        const QString label = description.label(identity, ++seen[identity]);
        labelled.labels.append(label);
        labelled.rowOf.insert(label, row);
    }
    return labelled;
}

void compareTable(const TableDescription &description, Configuration &before, Configuration &after,
                  QStringList &lines)
{
    const MemTable &tableBefore = (before.*description.table)();
    const MemTable &tableAfter = (after.*description.table)();
    const LabelledRows rowsBefore = labelledRows(tableBefore, description);
    const LabelledRows rowsAfter = labelledRows(tableAfter, description);
    const QVector<RowFacet> facets = facetsOf(tableBefore, description);

    for (const QString &label : rowsBefore.labels) {
        const auto match = rowsAfter.rowOf.constFind(label);
        if (match == rowsAfter.rowOf.cend()) {
            lines.append(label + QStringLiteral(": удалён"));
            continue;
        }
        const RowRef rowBefore { tableBefore, rowsBefore.rowOf.value(label) };
        const RowRef rowAfter { tableAfter, *match };
        for (const RowFacet &facet : facets) {
            if (const auto difference = facet.compared(rowBefore, rowAfter))
                lines.append(QStringLiteral("%1: %2 %3").arg(label, facet.word, *difference));
        }
    }
    for (const QString &label : rowsAfter.labels) {
        if (!rowsBefore.rowOf.contains(label))
            lines.append(label + QStringLiteral(": добавлен"));
    }
}

SettingFacet textSetting(const QString &caption, QString SystemSettings::*field)
{
    return { caption, [field](const SystemSettings &s) { return shownText(s.*field); }, {} };
}

SettingFacet flagSetting(const QString &caption, bool SystemSettings::*field)
{
    return { caption, [field](const SystemSettings &s) { return yesNo(s.*field); }, {} };
}

SettingFacet numberSetting(const QString &caption, int SystemSettings::*field)
{
    return { caption, [field](const SystemSettings &s) { return QString::number(s.*field); }, {} };
}

// The raw form is what reaches the image, so it decides; the number is what is shown.
SettingFacet telephoneSetting(const QString &caption, QString SystemSettings::*text,
                               QString SystemSettings::*raw)
{
    return { caption,
             [raw](const SystemSettings &s) { return QStringLiteral("запись ") + shownText(s.*raw); },
             [text](const SystemSettings &s) { return shownText(s.*text); } };
}

QVector<SettingFacet> settingFacets()
{
    QVector<SettingFacet> facets {
        textSetting(QStringLiteral("Первый регистрационный номер"), &SystemSettings::edNumReg1),
        textSetting(QStringLiteral("Второй регистрационный номер"), &SystemSettings::edNumReg2),
        telephoneSetting(QStringLiteral("Первый телефонный номер"), &SystemSettings::edTelNum1,
                         &SystemSettings::edTelNum1Raw),
        flagSetting(QStringLiteral("Тональный набор первого номера"), &SystemSettings::sbTonePulse1),
        telephoneSetting(QStringLiteral("Второй телефонный номер"), &SystemSettings::edTelNum2,
                         &SystemSettings::edTelNum2Raw),
        flagSetting(QStringLiteral("Тональный набор второго номера"), &SystemSettings::sbTonePulse2),
        { QStringLiteral("Режим дозвона (И/ИЛИ)"),
          [](const SystemSettings &s) {
              switch (s.cbModeAndOr) {
              case 0:
                  return quoted(SettingsInput::ModeOrText.toString());
              case 1:
                  return quoted(SettingsInput::ModeAndText.toString());
              default:
                  return QStringLiteral("не выбран");
              }
          },
          {} },
        textSetting(QStringLiteral("Число попыток дозвона"), &SystemSettings::edCount),
        numberSetting(QStringLiteral("Первый тест, часы"), &SystemSettings::ud6),
        numberSetting(QStringLiteral("Первый тест, минуты"), &SystemSettings::ud7),
        numberSetting(QStringLiteral("Интервал тестирования, часы"), &SystemSettings::ud8),
        // The image keeps no blanks around the message.
        { QStringLiteral("Информационное сообщение"),
          [](const SystemSettings &s) { return shownText(s.edInfMessage.trimmed()); }, {} },
        flagSetting(QStringLiteral("Реле «ПОЖАР»"), &SystemSettings::ckbFire),
        flagSetting(QStringLiteral("Реле «НЕИСПРАВНОСТЬ»"), &SystemSettings::ckbNeisp),
        flagSetting(QStringLiteral("Выход коммуникатора"), &SystemSettings::ckbComm),
        flagSetting(QStringLiteral("Второй АПК"), &SystemSettings::ckbAPK),
        flagSetting(QStringLiteral("Повторное оповещение"), &SystemSettings::ckbNotiv),
    };
    for (int i = 0; i < SystemSettings::AdminCodeCount; ++i) {
        facets.append({ QStringLiteral("Код доступа администратора %1").arg(i + 1),
                         [i](const SystemSettings &s) { return shownText(s.edAdminPass.at(i)); }, {} });
    }
    for (int i = 0; i < SystemSettings::MasterCodeCount; ++i) {
        facets.append({ QStringLiteral("Код доступа мастера %1").arg(i + 1),
                         [i](const SystemSettings &s) { return shownText(s.edMasterPass.at(i)); }, {} });
    }
    facets.append(textSetting(QStringLiteral("Технологический адрес КЛМ"), &SystemSettings::edAddrKLM));
    return facets;
}

void compareSettings(const SystemSettings &before, const SystemSettings &after, QStringList &lines)
{
    static const QVector<SettingFacet> facets = settingFacets();
    for (const SettingFacet &facet : facets) {
        if (const auto difference = facet.compared(before, after))
            lines.append(QStringLiteral("%1: %2").arg(facet.word, *difference));
    }
}

QString differingBytes(int count)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("отличается %1 байт").arg(count);
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("отличаются %1 байта").arg(count);
    return QStringLiteral("отличаются %1 байт").arg(count);
}

} // namespace

QStringList describeDifferences(Configuration &before, Configuration &after)
{
    QStringList lines;
    for (const TableDescription &description : tables())
        compareTable(description, before, after, lines);
    compareSettings(before.settings(), after.settings(), lines);
    if (!lines.isEmpty())
        return lines;

    // Bytes no table or setting shows would otherwise let different images pass as equal.
    const QByteArray &bytesBefore = before.image().Bytes();
    const QByteArray &bytesAfter = after.image().Bytes();
    Q_ASSERT(bytesBefore.size() == bytesAfter.size());
    const int differing = std::inner_product(bytesBefore.cbegin(), bytesBefore.cend(), bytesAfter.cbegin(), 0,
                                             std::plus<>(), std::not_equal_to<>());
    if (differing > 0)
        lines.append(QStringLiteral("Прочие байты образа: ") + differingBytes(differing));
    return lines;
}
