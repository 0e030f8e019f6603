#include <ui/grid/picturelist.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

PictureList::PictureList(const QString &list) : m_folder(QStringLiteral(":/icons/%1/").arg(list)) { }

QPixmap PictureList::picture(int value, qreal devicePixelRatio) const
{
    auto found = m_pictures.find(value);
    if (found == m_pictures.end())
        found = m_pictures.insert(value, rendered(value, devicePixelRatio));
    else if (!found->isNull() && !qFuzzyCompare(found->devicePixelRatio(), devicePixelRatio))
        *found = rendered(value, devicePixelRatio); // moved to another screen
    return *found;
}

QPixmap PictureList::rendered(int value, qreal devicePixelRatio) const
{
    const QString path = m_folder + QString::number(value) + QStringLiteral(".svg");
    // Checked first: the renderer warns about a file it cannot open.
    if (!QFile::exists(path))
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int side = qRound(Side * devicePixelRatio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
