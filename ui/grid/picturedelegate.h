#pragma once

#include <ui/grid/gridcelldelegate.h>
#include <ui/grid/picturelist.h>

// A cell that shows its value as a picture of a list, centred, and no text; a value the
// list has no picture for shows nothing.
class PictureDelegate : public GridCellDelegate
{
    Q_OBJECT

public:
    PictureDelegate(const QString &list, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A picture has no text to cut.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    PictureList m_pictures;
};
