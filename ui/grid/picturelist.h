#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

// One of the program's lists of 16 × 16 pictures, ":/icons/<list>/<value>.svg", each read
// and drawn once: grids paint them on every repaint of every row.
class PictureList
{
public:
    static constexpr int Side = 16;

    explicit PictureList(const QString &list);

    // Null when the list has no picture for the value.
    QPixmap picture(int value, qreal devicePixelRatio = 1.0) const;

private:
    QPixmap rendered(int value, qreal devicePixelRatio) const;

    QString m_folder;
    mutable QHash<int, QPixmap> m_pictures;
};
