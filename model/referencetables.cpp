#include <model/referencetables.h>

ReferenceTable::ReferenceTable(const QString &tableName, QVector<Row> rows)
    : m_tableName(tableName), m_rows(std::move(rows))
{
}

const ReferenceTable::Row *ReferenceTable::find(const QVariant &code) const
{
    if (code.isNull())
        return nullptr;
    const int id = code.toInt();
    for (const Row &row : m_rows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

QVariant ReferenceTable::name(const QVariant &code) const
{
    const Row *row = find(code);
    return row ? QVariant(row->name) : QVariant();
}

QVariant ReferenceTable::dname(const QVariant &code) const
{
    const Row *row = find(code);
    return row ? QVariant(row->dname) : QVariant();
}

std::optional<int> ReferenceTable::idOfName(const QString &name) const
{
    for (const Row &row : m_rows) {
        if (row.name == name || (!row.dname.isEmpty() && row.dname == name))
            return row.id;
    }
    return std::nullopt;
}

namespace {

QVector<ReferenceTable::Row> analogueLoops(const QString &prefix, bool withShortLabel)
{
    QVector<ReferenceTable::Row> rows;
    for (int loop = 1; loop <= 16; ++loop) {
        const QString number = QString::number(loop);
        rows.append({ 15 + loop, prefix + number,
                      withShortLabel ? QStringLiteral("ШС") + number : QString() });
    }
    return rows;
}

QVector<ReferenceTable::Row> channelTypes()
{
    QVector<ReferenceTable::Row> rows {
        { 1, QStringLiteral("Дымовой оптический"), {} },
        { 2, QStringLiteral("Тепловой "), {} },
        { 3, QStringLiteral("Тепловой диффер."), {} },
        { 4, QStringLiteral("Ручной"), {} },
        { 5, QStringLiteral("Сирена"), {} },
    };
    rows += analogueLoops(QStringLiteral("Аналоговый  ШС"), false);
    rows += {
        { 193, QStringLiteral("Выход без контроля"), {} },
        { 194, QStringLiteral("Вход"), {} },
        { 195, QStringLiteral("Выход с контролем"), {} },
        { 196, QStringLiteral("Выход пожаротушения"), {} },
    };
    return rows;
}

QVector<ReferenceTable::Row> sensorTypes()
{
    QVector<ReferenceTable::Row> rows {
        { 1, QStringLiteral("Дымовой оптический"), QStringLiteral("ЛОР-1") },
        { 2, QStringLiteral("Тепловой"), QStringLiteral("ЛОР-2") },
        { 3, QStringLiteral("Ручной"), QStringLiteral("ЛОР-3") },
        { 4, QStringLiteral("Комбинированный"), QStringLiteral("ЛОР-4") },
        { 5, QStringLiteral("Адресная метка КВ-1"), QStringLiteral("КВ-1") },
        { 6, QStringLiteral("Адресная метка КВ-3"), QStringLiteral("КВ-3") },
        { 7, QStringLiteral("Адресная метка КВ-3"), QStringLiteral("КВ-3") },
        { 8, QStringLiteral("Адресная сирена"), QStringLiteral("СИРЕНА") },
        { 9, QStringLiteral("ППКП Ворсен - 8П"), QStringLiteral("Ворсен-8П") },
        { 10, QStringLiteral("ППКП Ворсен - 16П"), QStringLiteral("Ворсен-16П") },
        { 11, QStringLiteral("ППКП Ворсен - 4П"), QStringLiteral("Ворсен-4П") },
        { 12, QStringLiteral("ЗНК - 8"), QStringLiteral("ЗНК-8") },
        { 13, QStringLiteral("ПУиЗ Ворсен - 1"), QStringLiteral("Ворсен-1") },
    };
    rows += analogueLoops(QStringLiteral("Аналоговый ШС"), true);
    rows += {
        { 193, QStringLiteral("Выход без контроля"), QStringLiteral("Выход") },
        { 194, QStringLiteral("Вход"), QStringLiteral("Вход") },
        { 195, QStringLiteral("Выход с контролем"), QStringLiteral("КВ-3") },
        { 196, QStringLiteral("Выход пожаротушения"), QStringLiteral("Выход пож.") },
    };
    return rows;
}

} // namespace

ReferenceTables::ReferenceTables()
    : mtBeing(QStringLiteral("mtBeing"),
              { { 0, QStringLiteral("Подкл."), {} }, { 1, QStringLiteral("Откл."), {} } }),
      mtVeriff(QStringLiteral("mtVeriff"),
               { { 0, QStringLiteral("Без верификации"), {} },
                 { 1, QStringLiteral("Повторная сработка"), {} },
                 { 2, QStringLiteral("Два извещателя"), {} } }),
      mtTemp(QStringLiteral("mtTemp"),
             { { 0, QStringLiteral("Отключен"), {} },
               { 1, QStringLiteral("Профиль 1"), {} },
               { 2, QStringLiteral("Профиль 2"), {} },
               { 3, QStringLiteral("Профиль 3"), {} },
               { 4, QStringLiteral("Профиль 4"), {} } }),
      mtMode(QStringLiteral("mtMode"),
             { { 0, QStringLiteral("Пожар"), {} },
               { 1, QStringLiteral("Пожаротушение"), {} },
               { 2, QStringLiteral("Оповещение"), {} } }),
      mtDevType(QStringLiteral("mtDevType"),
                { { 2, QStringLiteral("КЛМ"), {} }, { 3, QStringLiteral("КВ-8"), {} } }),
      mtTypeChain(QStringLiteral("mtTypeChain"),
                  { { 0, QStringLiteral("кольцевая цепь"), {} },
                    { 1, QStringLiteral("радиальная цепь"), {} } }),
      mtTypeMode(QStringLiteral("mtTypeMode"),
                 { { 0, QStringLiteral("A1    ( 65 C )"), {} },
                   { 1, QStringLiteral("A2    ( 70 C )"), {} },
                   { 2, QStringLiteral("B      ( 85 C )"), {} },
                   { 3, QStringLiteral("A1R ( 65 C ) "), {} },
                   { 4, QStringLiteral("A2R ( 70 C )"), {} },
                   { 5, QStringLiteral("BR   ( 85 C )"), {} } }),
      mtChanType(QStringLiteral("mtChanType"), channelTypes()),
      mtSensorType(QStringLiteral("mtSensorType"), sensorTypes())
{
}

const ReferenceTables &ReferenceTables::instance()
{
    static const ReferenceTables tables;
    return tables;
}
