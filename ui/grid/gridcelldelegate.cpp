#include <ui/grid/gridcelldelegate.h>

#include <ui/grid/titlecells.h>

#include <QWidget>

const QColor GridCellDelegate::OddRowColour(234, 244, 255);

void GridCellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.row() % 2 == 0) // the first row shown is row 0
        option->backgroundBrush = OddRowColour;
    // Names stored padded to their slot: the padding would only be elided into "…".
    while (option->text.endsWith(QLatin1Char(' ')))
        option->text.chop(1);
}

QWidget *GridCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        nameAfterColumn(*editor, index);
    return editor;
}

void GridCellDelegate::nameAfterColumn(QWidget &editor, const QModelIndex &index)
{
    editor.setAccessibleName(titleCaption(index.model()->headerData(index.column(), Qt::Horizontal).toString()));
}
