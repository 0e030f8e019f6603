#include <report/handoverreport.h>

#include <image/cp1251.h>
#include <image/devicecodes.h>
#include <model/configuration.h>
#include <model/crossreferences.h>
#include <storage/writecheck.h>

#include <QCryptographicHash>
#include <QTime>

#include <algorithm>
#include <array>

namespace {

const QString none = QStringLiteral("—");

// Names and lookups come padded from the image and the reference lists.
QString trimmed(const QVariant &value)
{
    return Cp1251::withoutTrailingBlanks(value.toString());
}

QString shownOrNone(const QString &text)
{
    return text.isEmpty() ? none : text;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("да") : QStringLiteral("нет");
}

// The number with the noun in its Russian plural: 1 знак, 2 знака, 5 знаков.
QString counted(int count, const std::array<QString, 3> &forms)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    const QString &form = last == 1 && lastTwo != 11                                  ? forms[0]
                        : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? forms[1]
                                                                                     : forms[2];
    return QStringLiteral("%1 %2").arg(count).arg(form);
}

QString timeOfDay(const QVariant &value)
{
    const QTime time = value.toTime();
    return time.isValid() ? time.toString(QStringLiteral("HH:mm")) : none;
}

// An output as "module.output", counted from 1 as the outputs list counts them.
QString outputName(const Configuration &config, const CrossReferences &references, int key)
{
    const std::optional<int> row = references.outputRow(key);
    if (!row)
        return QStringLiteral("%1.%2 (нет такого)").arg(key / 1000).arg(key % 1000 + 1);
    const MemTable &outputs = config.mtReturn();
    return QStringLiteral("%1.%2")
            .arg(outputs.rowInteger(*row, OutputField::id_dev))
            .arg(outputs.rowInteger(*row, OutputField::offset) + 1);
}

struct Zone
{
    int number = 0;
    QString name;
    QString state;
    QString verification;
    QString profile;
    QList<int> outputKeys; // ascending
    int devices = 0;

    bool inUse() const { return !name.isEmpty() || devices > 0 || !outputKeys.isEmpty(); }
};

QVector<Zone> zonesOf(const Configuration &config, const CrossReferences &references)
{
    const MemTable &table = config.mtArea();
    QVector<Zone> zones;
    zones.reserve(table.rowCount());
    for (int row = 0; row < table.rowCount(); ++row) {
        Zone zone;
        zone.number = table.rowInteger(row, ZoneField::id);
        zone.name = trimmed(table.rowValue(row, ZoneField::name));
        zone.state = shownOrNone(trimmed(table.rowValue(row, ZoneField::bname)));
        zone.verification = shownOrNone(trimmed(table.rowValue(row, ZoneField::vname)));
        zone.profile = shownOrNone(trimmed(table.rowValue(row, ZoneField::tname)));
        zone.outputKeys = references.outputsOf(row);
        zone.devices = references.devicesIn(zone.number);
        zones << zone;
    }
    return zones;
}

// "1–4, 7, 9–500": the zones a note speaks of, short enough to read.
QString ranges(const QVector<int> &numbers)
{
    QStringList parts;
    for (int i = 0; i < numbers.size();) {
        int j = i;
        while (j + 1 < numbers.size() && numbers.at(j + 1) == numbers.at(j) + 1)
            ++j;
        parts << (j == i ? QString::number(numbers.at(i))
                         : QStringLiteral("%1–%2").arg(numbers.at(i)).arg(numbers.at(j)));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

void writeSystem(ReportContent &page, const SystemSettings &s)
{
    page.add(ReportBlock::Kind::Section, QStringLiteral("Конфигурация системы"));
    page.addFacts({
            { QStringLiteral("Информационное сообщение"), shownOrNone(s.edInfMessage.trimmed()) },
            { QStringLiteral("Включить реле \"Пожар\""), yesNo(s.ckbFire) },
            { QStringLiteral("Включить реле \"Неисправность\""), yesNo(s.ckbNeisp) },
            { QStringLiteral("Включить коммуникатор"), yesNo(s.ckbComm) },
            { QStringLiteral("Включить вторую АПК"), yesNo(s.ckbAPK) },
            { QStringLiteral("Повторное включение оповещения"), yesNo(s.ckbNotiv) },
    });
    page.add(ReportBlock::Kind::Subsection, QStringLiteral("Пользователи"));
    QList<QStringList> codes;
    for (int i = 0; i < SystemSettings::AdminCodeCount; ++i)
        codes << QStringList { QStringLiteral("Администраторы"), QStringLiteral("Код доступа %1").arg(i + 1),
                               maskedCode(s.edAdminPass.at(i)) };
    for (int i = 0; i < SystemSettings::MasterCodeCount; ++i)
        codes << QStringList { QStringLiteral("Установщики"), QStringLiteral("Код доступа %1").arg(i + 1),
                               maskedCode(s.edMasterPass.at(i)) };
    page.addTable({ QStringLiteral("Группа"), QStringLiteral("Код"), QStringLiteral("Значение") }, codes);
}

void writeCommunicator(ReportContent &page, const SystemSettings &s, const MemTable &eventCodes)
{
    page.add(ReportBlock::Kind::Section, QStringLiteral("Настройки коммуникатора"));
    const QString mode = s.cbModeAndOr == 0 ? QStringLiteral("ИЛИ")
                       : s.cbModeAndOr == 1 ? QStringLiteral("И")
                                            : QStringLiteral("не выбран");
    page.addFacts({
            { QStringLiteral("Первый регистрационный номер"), shownOrNone(s.edNumReg1) },
            { QStringLiteral("Второй регистрационный номер"), shownOrNone(s.edNumReg2) },
            { QStringLiteral("Первый телефонный номер"), dialledNumber(s.edTelNum1Raw) },
            { QStringLiteral("Второй телефонный номер"), dialledNumber(s.edTelNum2Raw) },
            { QStringLiteral("Режим дозвона"), mode },
            { QStringLiteral("Количество попыток"), shownOrNone(s.edCount) },
            { QStringLiteral("Время первого теста"), QStringLiteral("%1 час %2 мин").arg(s.ud6).arg(s.ud7) },
            { QStringLiteral("Интервал тестов"), QStringLiteral("%1 час").arg(s.ud8) },
    });
    page.add(ReportBlock::Kind::Subsection, QStringLiteral("Коды оповещения (%1)").arg(eventCodes.rowCount()));
    QList<QStringList> rows;
    for (int row = 0; row < eventCodes.rowCount(); ++row) {
        rows << QStringList { QString::number(row + 1), trimmed(eventCodes.rowValue(row, EventCodeField::name)),
                              QStringLiteral("%1").arg(eventCodes.rowInteger(row, EventCodeField::code), 3, 10,
                                                       QLatin1Char('0')) };
    }
    page.addTable({ QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Код") }, rows);
}

void writeModules(ReportContent &page, const Configuration &config)
{
    const MemTable &modules = config.mtDev();
    int present = 0;
    QList<QStringList> rows;
    for (int row = 0; row < modules.rowCount(); ++row) {
        const int type = modules.rowInteger(row, ModuleField::id_name);
        if (type != DeviceCodes::NoModule)
            ++present;
        rows << QStringList { QString::number(modules.rowInteger(row, ModuleField::addr)),
                              type == DeviceCodes::NoModule ? QStringLiteral("нет")
                                                            : trimmed(modules.rowValue(row, ModuleField::name)),
                              shownOrNone(trimmed(modules.rowValue(row, ModuleField::mname))),
                              shownOrNone(trimmed(modules.rowValue(row, ModuleField::tname))),
                              shownOrNone(trimmed(modules.rowValue(row, ModuleField::bname))) };
    }
    page.add(ReportBlock::Kind::Section, QStringLiteral("Модули (%1 из %2)").arg(present).arg(modules.rowCount()));
    page.addTable({ QStringLiteral("Адрес"), QStringLiteral("Тип"), QStringLiteral("Название"), QStringLiteral("Цепь"),
                 QStringLiteral("Состояние") },
               rows);
    page.addFacts({ { QStringLiteral("Адрес технологического модуля"), shownOrNone(config.settings().edAddrKLM) } });
}

void writeZones(ReportContent &page, const Configuration &config, const QVector<Zone> &zones,
                const CrossReferences &references)
{
    QList<QStringList> rows;
    QVector<int> unused;
    for (const Zone &zone : zones) {
        if (!zone.inUse()) {
            unused << zone.number;
            continue;
        }
        QStringList driven;
        for (const int key : zone.outputKeys)
            driven << outputName(config, references, key);
        rows << QStringList { QString::number(zone.number), shownOrNone(zone.name), zone.state, zone.verification,
                              zone.profile, QString::number(zone.devices),
                              driven.isEmpty() ? none : driven.join(QStringLiteral(", ")) };
    }
    page.add(ReportBlock::Kind::Section, QStringLiteral("Зоны (%1 из %2)").arg(rows.size()).arg(zones.size()));
    page.addTable({ QStringLiteral("Зона"), QStringLiteral("Имя"), QStringLiteral("Состояние"),
                 QStringLiteral("Верификация"), QStringLiteral("Профиль"), QStringLiteral("Устройств"),
                 QStringLiteral("Выходы") },
               rows);
    page.add(ReportBlock::Kind::Note, QStringLiteral("Выходы названы номером модуля и номером выхода на нём, "
                                                     "как в списке выходов."));
    if (!unused.isEmpty())
        page.add(ReportBlock::Kind::Note, QStringLiteral("Без имени, устройств и выходов: %1 — зоны %2.")
                          .arg(counted(unused.size(), { QStringLiteral("зона"), QStringLiteral("зоны"),
                                                        QStringLiteral("зон") }),
                               ranges(unused)));
}

struct Device
{
    int zone;
    int module;
    int address;
    int row; // table order among a device's channels
    QStringList cells;
};

// Devices in zone order, then by module and address; `inZones` picks which side.
QVector<Device> devicesOf(const MemTable &sensors, const CrossReferences &references, bool inZones)
{
    QVector<Device> devices;
    for (int row = 0; row < sensors.rowCount(); ++row) {
        const int zone = sensors.rowInteger(row, SensorField::id_area);
        if ((zone != 0) != inZones)
            continue;
        const int module = sensors.rowInteger(row, SensorField::id_dev);
        const int address = sensors.rowInteger(row, SensorField::addr);
        QStringList cells;
        if (inZones)
            cells << QString::number(zone);
        cells << references.moduleLabel(module) << QString::number(address)
              << shownOrNone(trimmed(sensors.rowValue(row, SensorField::name)))
              << shownOrNone(trimmed(sensors.rowValue(row, SensorField::cname)))
              << shownOrNone(trimmed(sensors.rowValue(row, SensorField::mode)))
              << shownOrNone(trimmed(sensors.rowValue(row, SensorField::snum)))
              << shownOrNone(trimmed(sensors.rowValue(row, SensorField::bname)));
        devices.push_back({ zone, module, address, row, cells });
    }
    std::sort(devices.begin(), devices.end(), [](const Device &a, const Device &b) {
        return std::tie(a.zone, a.module, a.address, a.row) < std::tie(b.zone, b.module, b.address, b.row);
    });
    return devices;
}

void writeDevices(ReportContent &page, const Configuration &config, const CrossReferences &references)
{
    const QStringList titles { QStringLiteral("Модуль"), QStringLiteral("Адрес"), QStringLiteral("Тип"),
                               QStringLiteral("Канал"), QStringLiteral("Режим"), QStringLiteral("Серийный номер"),
                               QStringLiteral("Состояние") };
    for (const bool inZones : { true, false }) {
        const QVector<Device> devices = devicesOf(config.mtSensor(), references, inZones);
        QList<QStringList> rows;
        rows.reserve(devices.size());
        for (const Device &device : devices)
            rows << device.cells;
        page.add(ReportBlock::Kind::Section, (inZones ? QStringLiteral("Устройства в зонах (%1)") : QStringLiteral("Устройства вне зон (%1)"))
                                .arg(rows.size()));
        page.addTable(inZones ? QStringList { QStringLiteral("Зона") } + titles : titles, rows);
    }
}

void writeOutputs(ReportContent &page, const Configuration &config, const CrossReferences &references)
{
    const MemTable &outputs = config.mtReturn();
    QList<QStringList> rows;
    for (int row = 0; row < outputs.rowCount(); ++row) {
        const QList<int> driving = references.zonesDriving(outputs.rowInteger(row, OutputField::id_return));
        rows << QStringList { references.moduleLabel(outputs.rowInteger(row, OutputField::id_dev)),
                              QString::number(outputs.rowInteger(row, OutputField::offset) + 1),
                              shownOrNone(trimmed(outputs.rowValue(row, OutputField::vname))),
                              shownOrNone(trimmed(outputs.rowValue(row, OutputField::cname))),
                              shownOrNone(trimmed(outputs.rowValue(row, OutputField::mode))),
                              shownOrNone(trimmed(outputs.rowValue(row, OutputField::bname))),
                              driving.isEmpty() ? none : ranges(driving) };
    }
    page.add(ReportBlock::Kind::Section, QStringLiteral("Выходы (%1)").arg(rows.size()));
    page.addTable({ QStringLiteral("Модуль"), QStringLiteral("Выход"), QStringLiteral("Обозначение"), QStringLiteral("Тип"),
                 QStringLiteral("Режим"), QStringLiteral("Состояние"), QStringLiteral("Зоны") },
               rows);
}

void writeInputs(ReportContent &page, const Configuration &config, const CrossReferences &references)
{
    const MemTable &inputs = config.mtEntrance();
    QList<QStringList> rows;
    for (int row = 0; row < inputs.rowCount(); ++row) {
        rows << QStringList { references.moduleLabel(inputs.rowInteger(row, InputField::addr)),
                              QString::number(inputs.rowInteger(row, InputField::num)),
                              shownOrNone(trimmed(inputs.rowValue(row, InputField::bname))),
                              QString::number(inputs.rowInteger(row, InputField::level)),
                              shownOrNone(trimmed(inputs.rowValue(row, InputField::rname))) };
    }
    page.add(ReportBlock::Kind::Section, QStringLiteral("Входы (%1)").arg(rows.size()));
    page.addTable({ QStringLiteral("Модуль"), QStringLiteral("Вход"), QStringLiteral("Состояние"), QStringLiteral("Уровень"),
                 QStringLiteral("Сообщение") },
               rows);

    const MemTable &messages = config.mtRepEnt();
    QList<QStringList> texts;
    for (int row = 0; row < messages.rowCount(); ++row)
        texts << QStringList { QString::number(messages.rowInteger(row, MessageField::id)),
                               shownOrNone(trimmed(messages.rowValue(row, MessageField::name))) };
    page.add(ReportBlock::Kind::Subsection, QStringLiteral("Сообщения входов (%1)").arg(texts.size()));
    page.addTable({ QStringLiteral("№"), QStringLiteral("Текст") }, texts);
}

void writeProfiles(ReportContent &page, const MemTable &profiles)
{
    QList<QStringList> rows;
    for (int row = 0; row < profiles.rowCount(); ++row)
        rows << QStringList { QStringLiteral("Профиль %1").arg(profiles.rowInteger(row, ProfileField::id)),
                              timeOfDay(profiles.rowValue(row, ProfileField::begin_day)),
                              timeOfDay(profiles.rowValue(row, ProfileField::begin_night)) };
    page.add(ReportBlock::Kind::Section, QStringLiteral("Настройка режима ДЕНЬ/НОЧЬ (%1)").arg(rows.size()));
    page.addTable({ QStringLiteral("Профиль"), QStringLiteral("Начало дня"), QStringLiteral("Начало ночи") }, rows);
}

void writeCheck(ReportContent &page, const Configuration &config)
{
    const QStringList problems = WriteCheck::problems(config);
    page.add(ReportBlock::Kind::Section, QStringLiteral("Проверка перед записью (%1)").arg(problems.size()));
    if (problems.isEmpty()) {
        page.add(ReportBlock::Kind::Note, QStringLiteral("Замечаний нет: образ вмещает всю конфигурацию."));
        return;
    }
    QList<QStringList> rows;
    for (int i = 0; i < problems.size(); ++i)
        rows << QStringList { QString::number(i + 1), problems.at(i) };
    page.addTable({ QStringLiteral("№"), QStringLiteral("Что не попадёт в прибор") }, rows);
}

} // namespace

QString dialledNumber(const QString &raw)
{
    QString symbols = raw.toUpper();
    const qsizetype end = symbols.indexOf(QLatin1Char('D'));
    if (end >= 0)
        symbols.truncate(end);
    const bool tone = symbols.startsWith(QLatin1Char('E'));
    if (tone)
        symbols.remove(0, 1);
    // As a load reads it: nothing but zeros is no number.
    if (std::all_of(symbols.cbegin(), symbols.cend(), [](QChar c) { return c == QLatin1Char('0'); }))
        return QStringLiteral("не задан");
    QStringList parts;
    QString digits;
    const auto flush = [&] {
        if (!digits.isEmpty())
            parts << std::exchange(digits, QString());
    };
    for (const QChar symbol : std::as_const(symbols)) {
        if (symbol.isDigit()) {
            digits += symbol;
            continue;
        }
        flush();
        if (symbol == QLatin1Char('B'))
            parts << QStringLiteral("пауза");
        else if (symbol == QLatin1Char('C'))
            parts << QStringLiteral("ожидание сигнала");
        else
            parts << QStringLiteral("символ %1").arg(symbol);
    }
    flush();
    return parts.join(QStringLiteral(" · "))
            + (tone ? QStringLiteral(" (тоновый набор)") : QStringLiteral(" (импульсный набор)"));
}

QString maskedCode(const QString &code)
{
    if (code.isEmpty())
        return QStringLiteral("не задан");
    return QString(code.size(), QChar(0x2022)) + QStringLiteral(" (")
            + counted(int(code.size()), { QStringLiteral("знак"), QStringLiteral("знака"), QStringLiteral("знаков") })
            + QLatin1Char(')');
}

ReportContent handoverReport(const Configuration &config, const ReportSource &source)
{
    ReportContent page;
    page.title = QStringLiteral("Конфигурация прибора «Ворсен-А»");
    page.add(ReportBlock::Kind::Title, page.title);
    page.addFacts({
            { QStringLiteral("Файл"),
              shownOrNone(source.fileName)
                      + (source.unsaved ? QStringLiteral(" (есть несохранённые изменения: файл их не содержит)")
                                        : QString()) },
            { QStringLiteral("SHA-256 образа конфигурации"),
              QString::fromLatin1(QCryptographicHash::hash(source.image, QCryptographicHash::Sha256).toHex()) },
            { QStringLiteral("Составлен"), source.madeAt.toString(QStringLiteral("dd.MM.yyyy HH:mm")) },
    });

    const CrossReferences references(config);
    const QVector<Zone> zones = zonesOf(config, references);
    writeSystem(page, config.settings());
    writeCommunicator(page, config.settings(), config.mtRepComm());
    writeModules(page, config);
    writeZones(page, config, zones, references);
    writeDevices(page, config, references);
    writeOutputs(page, config, references);
    writeInputs(page, config, references);
    writeProfiles(page, config.mtTempType());
    writeCheck(page, config);
    page.add(ReportBlock::Kind::Signatures,
             QStringLiteral("Передал: ______________________    Принял: ______________________    "
                            "Дата: ______________"));
    return page;
}
