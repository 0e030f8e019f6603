#include <ui/settings/keyfilter.h>

#include <QKeyEvent>
#include <QWidget>

std::optional<QChar> typedCharacter(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    default:
        break;
    }
    // Ctrl with Alt is AltGr on some layouts and types the printable character.
    const Qt::KeyboardModifiers chord = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const QString text = event.text();
    if (chord == Qt::ControlModifier) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
            return QChar(event.key() - Qt::Key_A + 1);
        if (!text.isEmpty() && text.front().unicode() < 0x20)
            return text.front(); // another layout's letter, already made a control character
    }
    if (text.isEmpty() || text.front().category() == QChar::Other_Control)
        return std::nullopt; // Delete types DEL on X11, yet it types nothing into the text
    return text.front();
}

KeyFilter::KeyFilter(QWidget *box, Rule accept) : QObject(box), m_accept(std::move(accept))
{
    box->setAcceptDrops(false);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const std::optional<QChar> typed = typedCharacter(*static_cast<QKeyEvent *>(event));
        if (typed && !m_accept(*typed))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
