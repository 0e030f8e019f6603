#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// A grid's ordinary cell: the 1st, 3rd, 5th … row shown is tinted, the others keep the
// window's base colour; text that does not fit ends in "…", and shows whole as the cell's
// tooltip. An editor is named after its
// column's title. The cells that draw or edit otherwise build on it, so every cell of a
// row has the same ground. A data field's editor takes only what its input check
// passes: a text no longer than the field and in characters the image keeps, a number
// within its range, a time the image stores.
class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static const QColor OddRowColour;

    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The whole text of a cell drawn with it cut; empty where it shows whole.
    QString cutText(const QStyleOptionViewItem &option, const QModelIndex &index) const;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    static void nameAfterColumn(QWidget &editor, const QModelIndex &index);
};
