#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// One column of a grid, as data: which field it shows and how. A grid is a list of these
// over a table's model; the window's delegates read the options the model leaves to them.
struct ColumnSpec
{
    enum Option {
        ReadOnly = 0x01, // shown, never edited
        NoTyping = 0x02, // picked from a list, never typed
        Lookup = 0x04, // a name shown for a key, edited by key
        DoubleClickSteps = 0x08, // a double click steps to the next value
        Icon = 0x10, // drawn as a picture
        Mark = 0x20, // a check mark
        Hidden = 0x40, // bound, not shown
    };
    Q_DECLARE_FLAGS(Options, Option)

    // The 16 × 16 picture lists: title icons, module and input types, device types.
    enum class Icons { None, Title, ModuleType, DeviceType };

    static constexpr int NaturalWidth = 0; // as wide as the field's values

    int field = -1; // the table's field constant
    QString title; // "|" separates the levels of a banded title
    int width = 64; // pixels, or NaturalWidth
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Options options;
    Icons icons = Icons::None; // the list an Icon column draws from, by the field's value
    int titleIcon = -1; // a title-list picture drawn in place of the title's text
    QString titleHint {}; // the balloon over the column's lowest title cell
};
Q_DECLARE_OPERATORS_FOR_FLAGS(ColumnSpec::Options)

// A whole grid as data: its name, its row indicator, how it selects, and its columns in
// display order (hidden ones last).
struct GridSpec
{
    enum class Indicator { None, Plain, Numbered };

    QString name;
    Indicator indicator = Indicator::Numbered;
    bool wholeRows = false; // selects whole rows; nothing but its marks is edited
    QVector<ColumnSpec> columns;
    bool movableColumns = false; // the user may drag columns into another order
};
