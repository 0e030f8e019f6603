#include <ui/main/svgpicture.h>

#include <QPainter>
#include <QSvgRenderer>

QImage svgPicture(const QString &resource, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    return image;
}
