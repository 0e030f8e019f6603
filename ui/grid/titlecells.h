#pragma once

#include <QRect>
#include <QString>
#include <QVector>

// Banded titles: a title's parts, separated by "|", are drawn one level under the other.
// Neighbouring shown columns that agree on their first part share one band; those that
// agree on the first two parts share the second-level cell too, as long as both stop there
// or both go on to a third part. A third part is each column's own. The last part of a
// title fills the height the deepest title leaves under it.

// A header section as the title layout needs it, in the header's visual order.
struct TitleColumn
{
    int column = -1; // the model's column
    QString title;
    int width = 0;
    int icon = -1; // a title picture drawn in place of the lowest part's text
    bool hidden = false;
};

// One drawn title cell, in section coordinates: x from the start of the first section.
struct TitleCell
{
    QRect rect;
    QString text; // blank parts and picture cells have none
    int icon = -1;
    int column = -1; // the column whose lowest cell this is alone; -1 for a shared cell

    bool operator==(const TitleCell &other) const
    {
        return rect == other.rect && text == other.text && icon == other.icon && column == other.column;
    }
};

// The number of levels of the deepest shown title, at least one.
int titleLevels(const QVector<TitleColumn> &columns);

// `levels`, when deeper than the deepest title, gives the lowest cells more lines to wrap in.
QVector<TitleCell> titleCells(const QVector<TitleColumn> &columns, int levelHeight, int levels = 0);

// What names a column in words: its deepest part that is not blank.
QString titleCaption(const QString &title);
