#pragma once

#include <ui/grid/gridcelldelegate.h>

// A lookup cell, edited in a drop-down of its reference's names. The choice is written
// back by its key, so two codes that share a name stay apart; the row's own key is the
// one offered first.
class LookupDelegate : public GridCellDelegate
{
    Q_OBJECT

public:
    using GridCellDelegate::GridCellDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};
