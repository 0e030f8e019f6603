#include <ui/settings/pagelayout.h>

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace PageLayout {

namespace {
// The frame, the inner margins and the caret beside the text.
constexpr int BoxPadding = 10;
} // namespace

QLineEdit *addCaptionedBox(QGridLayout *grid, int row, const QString &caption, const QString &name,
                           Qt::Alignment alignment)
{
    auto *box = new QLineEdit;
    box->setObjectName(name);
    addCaption(grid, row, caption, box);
    grid->addWidget(box, row, 1, alignment);
    return box;
}

QLabel *addCaption(QGridLayout *grid, int row, const QString &caption, QWidget *control)
{
    auto *label = new QLabel(caption);
    label->setBuddy(control);
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(caption);
    grid->addWidget(label, row, 0);
    return label;
}

void fitWidth(QLineEdit *box, const QString &widest)
{
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(widest) + BoxPadding);
}

} // namespace PageLayout
