#include <ui/grid/lookupdelegate.h>

#include <model/memtable.h>
#include <model/memtablemodel.h>

#include <QComboBox>

QWidget *LookupDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const QVariantList choices = index.data(MemTableModel::ChoicesRole).toList();
    if (choices.isEmpty())
        return GridCellDelegate::createEditor(parent, option, index);
    auto *box = new QComboBox(parent);
    box->setFrame(false);
    nameAfterColumn(*box, index);
    for (const QVariant &choice : choices) {
        const QVariantList pair = choice.toList();
        box->addItem(pair.value(1).toString(), pair.value(0));
    }
    return box;
}

void LookupDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = qobject_cast<QComboBox *>(editor);
    if (!box) {
        GridCellDelegate::setEditorData(editor, index);
        return;
    }
    box->setCurrentIndex(box->findData(index.data(MemTableModel::KeyRole)));
}

void LookupDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto *box = qobject_cast<QComboBox *>(editor);
    if (!box) {
        GridCellDelegate::setModelData(editor, model, index);
        return;
    }
    if (box->currentIndex() >= 0)
        model->setData(index, box->currentData(), MemTableModel::KeyRole);
}
