#pragma once

#include <model/inputcheck.h>
#include <model/referencetables.h>

#include <QString>
#include <QVariant>

#include <functional>

class MemTable;

enum class FieldType { Integer, String, Boolean, Time };
enum class FieldKind { Data, Lookup, Calculated };

// One column of a configuration table. Data fields hold a value (or nothing);
// lookup fields show another table's text for the row's key; calculated fields
// are derived from the row whenever it is read.
struct FieldDef
{
    using Lookup = std::function<QVariant(const QVariant &key)>;
    using Calculation = std::function<QVariant(const MemTable &table, int row)>;
    // The codes and names a grid offers for a lookup, as they stand when asked.
    using Choices = std::function<ReferenceTable()>;

    QString name;
    FieldKind kind = FieldKind::Data;
    FieldType type = FieldType::Integer;
    int size = 0; // String(n): at most n characters
    bool readOnly = false; // for the grids only; code may still write it
    // The program's own bookkeeping: read-only, and neither exported nor compared.
    bool internal = false;
    // What an edit may write: a value the image would not keep as typed is not taken.
    InputCheck input;

    QString keyField; // lookup: the row's own key field
    Lookup lookup;
    Choices choices; // a lookup whose names can be picked in a grid
    const MemTable *source = nullptr; // a table the lookup reads: its changes change what it shows
    Calculation calculate;

    static FieldDef integer(const QString &name) { return make(name, FieldKind::Data, FieldType::Integer); }
    static FieldDef string(const QString &name, int size)
    {
        return make(name, FieldKind::Data, FieldType::String, size);
    }
    static FieldDef boolean(const QString &name) { return make(name, FieldKind::Data, FieldType::Boolean); }
    static FieldDef time(const QString &name) { return make(name, FieldKind::Data, FieldType::Time); }
    static FieldDef lookupIn(const QString &name, int size, const QString &keyField, Lookup lookup,
                             const ReferenceTable *reference = nullptr)
    {
        FieldDef field = make(name, FieldKind::Lookup, FieldType::String, size);
        field.keyField = keyField;
        field.lookup = std::move(lookup);
        if (reference)
            field.choices = [reference] { return *reference; };
        return field;
    }
    // A lookup into a list the user edits: the names offered change with it.
    static FieldDef lookupIn(const QString &name, int size, const QString &keyField, Lookup lookup, Choices choices)
    {
        FieldDef field = lookupIn(name, size, keyField, std::move(lookup));
        field.choices = std::move(choices);
        return field;
    }
    static FieldDef calculated(const QString &name, int size, Calculation calculate)
    {
        FieldDef field = make(name, FieldKind::Calculated, FieldType::String, size);
        field.calculate = std::move(calculate);
        return field;
    }

    FieldDef readOnlyField() const
    {
        FieldDef field = *this;
        field.readOnly = true;
        return field;
    }

    // Text the image keeps in windows-1251 capitals, no longer than the field.
    FieldDef storedAsCapitals() const
    {
        FieldDef field = *this;
        field.input = InputCheck::text(size, InputCheck::Characters::Cp1251Capitals);
        return field;
    }

    FieldDef within(int minimum, int maximum) const
    {
        FieldDef field = *this;
        field.input = InputCheck::number(minimum, maximum);
        return field;
    }

    FieldDef inTenMinuteSteps() const
    {
        FieldDef field = *this;
        field.input = InputCheck::tenMinuteTime();
        return field;
    }

    FieldDef readingFrom(const MemTable &table) const
    {
        FieldDef field = *this;
        field.source = &table;
        return field;
    }

    FieldDef internalField() const
    {
        FieldDef field = readOnlyField();
        field.internal = true;
        return field;
    }

    bool isData() const { return kind == FieldKind::Data; }

private:
    static FieldDef make(const QString &name, FieldKind kind, FieldType type, int size = 0)
    {
        FieldDef field;
        field.name = name;
        field.kind = kind;
        field.type = type;
        field.size = size;
        if (kind == FieldKind::Data && type == FieldType::String)
            field.input = InputCheck::text(size, InputCheck::Characters::Any);
        return field;
    }
};
