#include <ui/controls/svgpicture.h>

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
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

QPushButton *pictureButton(QWidget *parent, const char *name, const QRect &geometry, const char *picture, int side,
                           const QString &hint)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIcon(QIcon(QPixmap::fromImage(svgPicture(QString::fromLatin1(picture), QSize(side, side)))));
    button->setIconSize(QSize(side, side));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAccessibleName(hint);
    button->setAutoDefault(false);
    return button;
}
