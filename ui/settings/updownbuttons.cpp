#include <ui/settings/updownbuttons.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr int ArrowWidth = 16;
} // namespace

UpDownButtons::UpDownButtons(QLineEdit *box, QWidget *parent) : QWidget(parent)
{
    box->setReadOnly(true);
    box->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = addArrow(Qt::UpArrow, u"Увеличить"_s, 1);
    m_down = addArrow(Qt::DownArrow, u"Уменьшить"_s, -1);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    setFixedSize(ArrowWidth, box->sizeHint().height());
}

QToolButton *UpDownButtons::addArrow(Qt::ArrowType arrow, const QString &name, int direction)
{
    auto *button = new QToolButton(this);
    button->setObjectName(arrow == Qt::UpArrow ? u"up"_s : u"down"_s);
    button->setAccessibleName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The box keeps the focus, as beside any spin box; the keyboard steps it with Up and Down.
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    connect(button, &QToolButton::clicked, this, [this, direction] { emit stepped(direction); });
    return button;
}

bool UpDownButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            emit stepped(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
