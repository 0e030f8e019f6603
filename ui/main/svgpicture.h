#pragma once

#include <QImage>
#include <QString>

// One of the program's pictures drawn at the size it is shown at, transparent around it.
QImage svgPicture(const QString &resource, const QSize &size);
