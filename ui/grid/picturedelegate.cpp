#include <ui/grid/picturedelegate.h>

#include <QApplication>
#include <QPainter>

PictureDelegate::PictureDelegate(const QString &list, QObject *parent) : GridCellDelegate(parent), m_pictures(list) { }

void PictureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    cell.features &= ~QStyleOptionViewItem::HasDisplay;
    const QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    const QVariant value = index.data(Qt::DisplayRole);
    if (value.isNull())
        return;
    const QPixmap picture = m_pictures.picture(value.toInt(), painter->device()->devicePixelRatioF());
    if (picture.isNull())
        return;
    QRect place(QPoint(), QSize(PictureList::Side, PictureList::Side));
    place.moveCenter(option.rect.center());
    painter->drawPixmap(place, picture);
}
