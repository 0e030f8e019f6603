#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

// A fixed list of codes and the names the user sees and picks from.
class ReferenceTable
{
public:
    struct Row
    {
        int id;
        QString name;
        QString dname; // short label; only the device types have one
    };

    ReferenceTable(const QString &tableName, QVector<Row> rows);

    QString tableName() const { return m_tableName; }
    const QVector<Row> &rows() const { return m_rows; }

    // The text of the first row with this code; null when no row has it.
    QVariant name(const QVariant &code) const;
    QVariant dname(const QVariant &code) const;
    std::optional<int> idOfName(const QString &name) const;

private:
    const Row *find(const QVariant &code) const;

    QString m_tableName;
    QVector<Row> m_rows;
};

// The nine reference tables, the same for the whole program.
struct ReferenceTables
{
    ReferenceTable mtBeing;
    ReferenceTable mtVeriff;
    ReferenceTable mtTemp;
    ReferenceTable mtMode;
    ReferenceTable mtDevType;
    ReferenceTable mtTypeChain;
    ReferenceTable mtTypeMode;
    ReferenceTable mtChanType;
    ReferenceTable mtSensorType;

    static const ReferenceTables &instance();

private:
    ReferenceTables();
};
