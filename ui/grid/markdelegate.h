#pragma once

#include <ui/grid/gridcelldelegate.h>

// A yes/no cell drawn as a check box in its middle; one click anywhere in the cell, or the
// space bar, turns it over. It opens no editor.
class MarkDelegate : public GridCellDelegate
{
    Q_OBJECT

public:
    using GridCellDelegate::GridCellDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};
