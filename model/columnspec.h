#pragma once

#include <QString>
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
    };
    Q_DECLARE_FLAGS(Options, Option)

    int field = -1; // the table's field constant
    QString title; // "|" separates the levels of a banded title
    int width = 64; // pixels
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Options options;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(ColumnSpec::Options)
