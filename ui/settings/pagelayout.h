#pragma once

#include <QString>
#include <Qt>

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

// How the settings pages set out their controls, as a classic Windows settings page:
// 8 pixels around and between them, captions left of the boxes.
namespace PageLayout {

inline constexpr int Spacing = 8;

// A named box with its caption in a row of the grid: caption in column 0, box in
// column 1, at its left unless told otherwise.
QLineEdit *addCaptionedBox(QGridLayout *grid, int row, const QString &caption, const QString &name,
                           Qt::Alignment alignment = Qt::AlignLeft);
// Only the caption, in column 0, for `control` wherever that goes; it is the control's
// accessible name unless the control has one.
QLabel *addCaption(QGridLayout *grid, int row, const QString &caption, QWidget *control);

// A box just wide enough for `widest`, its widest text.
void fitWidth(QLineEdit *box, const QString &widest);

} // namespace PageLayout
