#include <storage/csvlists.h>

#include <image/cp1251.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <model/crossreferences.h>
#include <storage/filereading.h>
#include <systemerror/systemerror.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>
#include <vector>

namespace CsvLists {

namespace {

constexpr QChar Separator = u';';
constexpr QChar Quote = u'"';
constexpr int NameLength = 40; // mtArea.name

QString shown(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

QString csvField(const QString &text)
{
    const bool edgeBlank = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    if (!edgeBlank && !text.contains(Separator) && !text.contains(Quote) && !text.contains(u'\r')
        && !text.contains(u'\n'))
        return text;
    QString doubled = text;
    doubled.replace(Quote, QStringLiteral("\"\""));
    return Quote + doubled + Quote;
}

QByteArray csvFile(const QStringList &titles, const QList<QStringList> &rows)
{
    QString text;
    const auto appendRow = [&text](const QStringList &fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += Separator;
            text += csvField(fields.at(i));
        }
        text += QStringLiteral("\r\n");
    };
    appendRow(titles);
    for (const QStringList &row : rows)
        appendRow(row);
    // Without the mark, spreadsheets take the file for the system's code page.
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::WriteBom);
    return utf8(text);
}

// Names and lookups come padded from the image and the reference lists.
QString tableText(const MemTable &table, int row, int field)
{
    return Cp1251::withoutTrailingBlanks(table.rowValue(row, field).toString());
}

// A number the row may lack: read from a device, never typed.
QString optionalNumber(const MemTable &table, int row, int field)
{
    const QVariant value = table.rowValue(row, field);
    return value.isNull() ? QString() : QString::number(value.toInt());
}

QString numbers(const QList<int> &values)
{
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    return texts.join(QStringLiteral(", "));
}

// "КЛМ № 3: SD 1"; an output the table does not hold is named by its number.
QString outputCaption(const Configuration &config, const CrossReferences &references, int key)
{
    const std::optional<int> row = references.outputRow(key);
    const QString label = row ? tableText(config.mtReturn(), *row, OutputField::vname) : QString();
    return references.moduleLabel(key / 1000) + QStringLiteral(": ")
            + (label.isEmpty() ? QStringLiteral("выход %1").arg(key % 1000 + 1) : label);
}

QByteArray zonesFile(const Configuration &config, const CrossReferences &references)
{
    const MemTable &zones = config.mtArea();
    QList<QStringList> rows;
    for (int row = 0; row < zones.rowCount(); ++row) {
        const int zone = zones.rowInteger(row, ZoneField::id);
        QStringList outputs;
        for (const int key : references.outputsOf(row))
            outputs << outputCaption(config, references, key);
        rows << QStringList { QString::number(zone),
                              tableText(zones, row, ZoneField::name),
                              tableText(zones, row, ZoneField::bname),
                              tableText(zones, row, ZoneField::vname),
                              tableText(zones, row, ZoneField::tname),
                              outputs.join(QStringLiteral(", ")),
                              QString::number(references.devicesIn(zone)) };
    }
    return csvFile({ QStringLiteral("Зона"), QStringLiteral("Имя"), QStringLiteral("Состояние"),
                     QStringLiteral("Верификация"), QStringLiteral("Профиль"), QStringLiteral("Выходы"),
                     QStringLiteral("Устройств") },
                   rows);
}

QByteArray devicesFile(const Configuration &config, const CrossReferences &references)
{
    const MemTable &sensors = config.mtSensor();
    QList<int> order(sensors.rowCount());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&sensors](int a, int b) {
        return std::pair(sensors.rowInteger(a, SensorField::id_dev), sensors.rowInteger(a, SensorField::addr))
                < std::pair(sensors.rowInteger(b, SensorField::id_dev), sensors.rowInteger(b, SensorField::addr));
    });
    QList<QStringList> rows;
    for (const int row : std::as_const(order)) {
        const int zone = sensors.rowInteger(row, SensorField::id_area);
        rows << QStringList { references.moduleLabel(sensors.rowInteger(row, SensorField::id_dev)),
                              QString::number(sensors.rowInteger(row, SensorField::addr)),
                              tableText(sensors, row, SensorField::name),
                              tableText(sensors, row, SensorField::cname),
                              tableText(sensors, row, SensorField::mode),
                              tableText(sensors, row, SensorField::bname),
                              zone == 0 ? QString() : QString::number(zone),
                              tableText(sensors, row, SensorField::snum),
                              optionalNumber(sensors, row, SensorField::ver),
                              optionalNumber(sensors, row, SensorField::year),
                              optionalNumber(sensors, row, SensorField::month) };
    }
    return csvFile({ QStringLiteral("Модуль"), QStringLiteral("Адрес"), QStringLiteral("Устройство"),
                     QStringLiteral("Тип канала"), QStringLiteral("Режим"), QStringLiteral("Состояние"),
                     QStringLiteral("Зона"), QStringLiteral("Серийный номер"), QStringLiteral("Версия"),
                     QStringLiteral("Год"), QStringLiteral("Месяц") },
                   rows);
}

QByteArray outputsFile(const Configuration &config, const CrossReferences &references)
{
    const MemTable &outputs = config.mtReturn();
    QList<QStringList> rows;
    for (int row = 0; row < outputs.rowCount(); ++row) {
        rows << QStringList { references.moduleLabel(outputs.rowInteger(row, OutputField::id_dev)),
                              QString::number(outputs.rowInteger(row, OutputField::offset) + 1),
                              tableText(outputs, row, OutputField::vname),
                              tableText(outputs, row, OutputField::cname),
                              tableText(outputs, row, OutputField::mode),
                              tableText(outputs, row, OutputField::bname),
                              numbers(references.zonesDriving(outputs.rowInteger(row, OutputField::id_return))) };
    }
    return csvFile({ QStringLiteral("Модуль"), QStringLiteral("Выход"), QStringLiteral("Обозначение"),
                     QStringLiteral("Тип канала"), QStringLiteral("Режим"), QStringLiteral("Состояние"),
                     QStringLiteral("Зоны") },
                   rows);
}

QString writeFailure(const QString &path, const QFileDevice &file, int code)
{
    return message(MessageId::FileNotWritten).arg(shown(path), SystemError::describe(file, code));
}

// One CSV record: its fields and the line it starts on.
struct Record
{
    int line = 1;
    QStringList fields;
    bool quoteOpen = false; // the file ended inside a quoted field

    bool isBlank() const
    {
        return std::all_of(fields.cbegin(), fields.cend(),
                           [](const QString &field) { return field.trimmed().isEmpty(); });
    }
};

// Quoted fields may hold ";", doubled quotes and line breaks, so lines are not records.
QList<Record> records(const QString &text)
{
    QList<Record> found;
    Record record;
    QString field;
    int line = 1;
    bool quoted = false;
    bool fieldStart = true;
    bool recordStarted = false;
    const auto endField = [&] {
        record.fields << std::exchange(field, QString());
        fieldStart = true;
    };
    const auto endRecord = [&] {
        endField();
        found << std::exchange(record, Record { line, {}, false });
        recordStarted = false;
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        const bool crlf = c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n';
        recordStarted = true;
        if (quoted) {
            if (c == Quote && i + 1 < size && text.at(i + 1) == Quote) {
                field += Quote;
                ++i;
            } else if (c == Quote) {
                quoted = false;
            } else {
                if ((c == u'\r' && !crlf) || c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == Quote && fieldStart) {
            quoted = true;
            fieldStart = false;
        } else if (c == Separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (crlf)
                ++i;
            ++line;
            endRecord();
        } else {
            field += c; // a quote inside an unquoted field is kept as typed
            fieldStart = false;
        }
    }
    if (quoted) {
        record.quoteOpen = true;
        endRecord();
    } else if (recordStarted) {
        endRecord();
    }
    return found;
}

QString decoded(const QByteArray &contents)
{
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(contents))
        return QStringDecoder(*marked)(contents);
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(contents);
    // Spreadsheets of the region save "CSV" in the system's code page.
    return utf8.hasError() ? Cp1251::decode(contents) : text;
}

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// The characters of `text` that windows-1251 has no byte for, each once.
QStringList foreignCharacters(const QString &text)
{
    QStringList found;
    if (Cp1251::decode(Cp1251::encode(text)) == text)
        return found;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype width =
                text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, width);
        if (Cp1251::decode(Cp1251::encode(character)) != character && !found.contains(character))
            found << character;
        i += width;
    }
    return found;
}

// Why the name cannot go into the panel, or nothing.
std::optional<QString> nameProblem(const QString &name)
{
    if (hasControlCharacter(name))
        return message(MessageId::NameControlCharacter);
    const QStringList foreign = foreignCharacters(name);
    if (!foreign.isEmpty())
        return message(MessageId::NameForeignCharacters)
                .arg(name, foreign.join(QStringLiteral("», «")));
    if (name.size() > NameLength)
        return message(MessageId::NameTooLong).arg(name, QString::number(NameLength));
    return std::nullopt;
}

// The names reach every zone, whatever the lists show; the filters test numbers only, so
// the same rows show once it is back.
class FilterLifted
{
public:
    explicit FilterLifted(MemTable &table) : m_table(table), m_filtered(table.isFiltered())
    {
        if (m_filtered)
            m_table.setFiltered(false);
    }
    ~FilterLifted()
    {
        if (m_filtered)
            m_table.setFiltered(true);
    }
    FilterLifted(const FilterLifted &) = delete;
    FilterLifted &operator=(const FilterLifted &) = delete;

private:
    MemTable &m_table;
    const bool m_filtered;
};

} // namespace

QStringList listFileNames()
{
    return { QStringLiteral("зоны.csv"), QStringLiteral("устройства.csv"), QStringLiteral("выходы.csv") };
}

QStringList exportLists(const Configuration &config, const QString &folder, QString *error)
{
    int code = 0;
    if (!QFileInfo::exists(folder) && !SystemError::attempt([&] { return QDir().mkpath(folder); }, code)) {
        if (error)
            *error = message(MessageId::FolderNotCreated)
                             .arg(shown(folder), SystemError::describe(code));
        return {};
    }
    const CrossReferences references(config);
    const QStringList names = listFileNames();
    const std::pair<QString, QByteArray> lists[] = {
        { names.at(0), zonesFile(config, references) },
        { names.at(1), devicesFile(config, references) },
        { names.at(2), outputsFile(config, references) },
    };
    // All three written out before any replaces its file: a failure leaves none half new.
    std::vector<std::unique_ptr<QSaveFile>> files;
    QStringList paths;
    for (const auto &list : lists) {
        // Named, not bound: lambdas may not capture structured bindings before C++20.
        const QByteArray &contents = list.second;
        const QString path = QDir(folder).filePath(list.first);
        auto file = std::make_unique<QSaveFile>(path);
        if (!SystemError::attempt([&] { return file->open(QIODevice::WriteOnly); }, code)
            || !SystemError::attempt([&] { return file->write(contents) == contents.size(); }, code)) {
            if (error)
                *error = writeFailure(path, *file, code);
            return {};
        }
        files.push_back(std::move(file));
        paths << path;
    }
    for (const std::unique_ptr<QSaveFile> &file : files) {
        if (!SystemError::attempt([&] { return file->commit(); }, code)) {
            if (error)
                *error = writeFailure(file->fileName(), *file, code);
            return {};
        }
    }
    return paths;
}

ZoneNames parseZoneNames(const QByteArray &contents)
{
    ZoneNames read;
    QHash<int, int> lineOfZone;
    bool first = true;
    for (const Record &record : records(decoded(contents))) {
        if (record.isBlank())
            continue;
        const bool isFirst = std::exchange(first, false);
        const auto refuse = [&read, &record](const QString &reason) {
            read.refusals << message(MessageId::RefusedLine).arg(record.line).arg(reason);
        };
        if (record.quoteOpen) {
            refuse(message(MessageId::QuoteNotClosed));
            continue;
        }
        const QString number = record.fields.at(0).trimmed();
        bool isNumber = false;
        const int zone = number.toInt(&isNumber);
        if (isFirst && !isNumber)
            continue; // the title row
        // Before the number: "7 склад" and "7,склад" lack the separator, not a number.
        if (record.fields.size() < 2) {
            refuse(message(MessageId::NoZoneName));
            continue;
        }
        if (!isNumber || zone < 1 || zone > Configuration::ZoneCount) {
            refuse(message(MessageId::BadZoneNumber).arg(number).arg(Configuration::ZoneCount));
            continue;
        }
        if (const auto earlier = lineOfZone.constFind(zone); earlier != lineOfZone.cend()) {
            refuse(message(MessageId::ZoneNamedTwice).arg(zone).arg(*earlier));
            continue;
        }
        lineOfZone.insert(zone, record.line);
        const QString name = Cp1251::withoutTrailingBlanks(record.fields.at(1));
        if (const std::optional<QString> problem = nameProblem(name)) {
            refuse(*problem);
            continue;
        }
        read.names.append({ zone, name });
    }
    if (!read.refusals.isEmpty())
        read.names.clear();
    return read;
}

int applyZoneNames(Configuration &config, const QList<ZoneName> &names)
{
    if (names.isEmpty())
        return 0;
    MemTable &zones = config.mtArea();
    // One reset for the lot, after which the lists are told their current row again.
    const MemTable::UpdateGuard update(zones);
    const MemTable::CursorKept kept(zones);
    const FilterLifted lifted(zones);
    int named = 0;
    for (const ZoneName &zone : names) {
        if (!zones.locate(ZoneField::id, zone.zone))
            continue;
        zones.setValue(ZoneField::name, zone.name);
        zones.post();
        ++named;
    }
    return named;
}

std::optional<int> importZoneNames(Configuration &config, const QString &fileName, QStringList *refusals,
                                   QString *error)
{
    if (refusals)
        refusals->clear();
    const std::optional<QByteArray> contents = readFileBytes(fileName, -1, error);
    if (!contents)
        return std::nullopt;
    const ZoneNames read = parseZoneNames(*contents);
    if (!read.refusals.isEmpty()) {
        if (refusals)
            *refusals = read.refusals;
        return std::nullopt;
    }
    return applyZoneNames(config, read.names);
}

} // namespace CsvLists
