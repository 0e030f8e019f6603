#include <ui/grid/markdelegate.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

const QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

bool toggle(QAbstractItemModel &model, const QModelIndex &index)
{
    const bool checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    return model.setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

} // namespace

void MarkDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const Qt::CheckState state = cell.checkState;
    cell.features &= ~(QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay);
    cell.text.clear();
    const QStyle *style = styleOf(cell);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    QStyleOptionViewItem check = cell;
    check.features |= QStyleOptionViewItem::HasCheckIndicator;
    QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &check, cell.widget);
    box.moveCenter(option.rect.center());
    check.rect = box;
    check.state &= ~QStyle::State_HasFocus;
    check.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, cell.widget);
}

bool MarkDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    const Qt::ItemFlags flags = model->flags(index);
    if (!flags.testFlag(Qt::ItemIsUserCheckable) || !flags.testFlag(Qt::ItemIsEnabled))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
            return false;
        // The release makes the click; the press and a double-click's second press are taken
        // so that they start nothing else.
        return event->type() != QEvent::MouseButtonRelease || toggle(*model, index);
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        return (key == Qt::Key_Space || key == Qt::Key_Select) && toggle(*model, index);
    }
    default:
        return false;
    }
}
