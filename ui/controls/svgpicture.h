#pragma once

#include <QImage>
#include <QString>

class QPushButton;
class QRect;
class QWidget;

// One of the program's pictures drawn at the size it is shown at, transparent around it.
QImage svgPicture(const QString &resource, const QSize &size);

// A button showing only its picture (`side` pixels square); its hint is its balloon, its
// status-bar text and its accessible name. It is never a dialog's default button, so
// Return in a list beside it does not press it.
QPushButton *pictureButton(QWidget *parent, const char *name, const QRect &geometry, const char *picture, int side,
                           const QString &hint);
