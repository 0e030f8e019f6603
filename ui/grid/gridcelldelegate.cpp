#include <ui/grid/gridcelldelegate.h>

#include <ui/grid/titlecells.h>
#include <ui/input/checkvalidator.h>

#include <model/memtablemodel.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolTip>
#include <QWidget>

namespace {

InputCheck checkOf(const QModelIndex &index)
{
    const auto *model = qobject_cast<const MemTableModel *>(index.model());
    return model ? model->inputCheck(index.column()) : InputCheck();
}

} // namespace

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
    const InputCheck check = checkOf(index);
    QWidget *editor = nullptr;
    switch (check.kind()) {
    case InputCheck::Kind::Number: {
        // A spin box whatever the value, also an empty one, which would get a text box.
        auto *box = new QSpinBox(parent);
        box->setFrame(false);
        box->setRange(check.minimum(), check.maximum());
        editor = box;
        break;
    }
    case InputCheck::Kind::Time: {
        // Typed as HH:mm: a time box would offer every minute, most of which are not kept.
        auto *box = new QLineEdit(parent);
        box->setFrame(false);
        CheckValidator::bind(box, check);
        editor = box;
        break;
    }
    case InputCheck::Kind::Text:
        editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *box = qobject_cast<QLineEdit *>(editor))
            CheckValidator::bind(box, check);
        break;
    case InputCheck::Kind::None:
        editor = QStyledItemDelegate::createEditor(parent, option, index);
        break;
    }
    if (editor)
        nameAfterColumn(*editor, index);
    return editor;
}

void GridCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const InputCheck check = checkOf(index);
    auto *box = qobject_cast<QLineEdit *>(editor);
    if (box && check.kind() == InputCheck::Kind::Time) {
        box->setText(check.editText(index.data(Qt::EditRole)));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // A text the check does not pass whole (a time half typed) is not taken; the model
    // refuses it too, so the cell keeps what it had.
    if (const auto *box = qobject_cast<QLineEdit *>(editor); box && !box->hasAcceptableInput())
        return;
    if (const auto *box = qobject_cast<QLineEdit *>(editor); box && checkOf(index).kind() == InputCheck::Kind::Time) {
        model->setData(index, box->text(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool GridCellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                 const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.isValid() && !index.data(Qt::ToolTipRole).isValid()) {
        const QString whole = cutText(option, index);
        if (!whole.isEmpty()) {
            QToolTip::showText(event->globalPos(), whole, view->viewport(), option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

QString GridCellDelegate::cutText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (!cell.features.testFlag(QStyleOptionViewItem::HasDisplay) || cell.text.isEmpty())
        return {};
    // The room the style lays the text out in: the text rectangle less its margins.
    const QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget)
                               .adjusted(margin, 0, -margin, 0);
    return QFontMetricsF(cell.font).horizontalAdvance(cell.text) > room.width() ? cell.text : QString();
}

void GridCellDelegate::nameAfterColumn(QWidget &editor, const QModelIndex &index)
{
    editor.setAccessibleName(titleCaption(index.model()->headerData(index.column(), Qt::Horizontal).toString()));
}
