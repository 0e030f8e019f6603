#pragma once

#include <QChar>
#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// The character a key press types, as the settings' key rules count keys: Backspace,
// Enter and Escape as their control characters, Ctrl+letter as the letter's control
// character (Ctrl+V is 22); none for a key that types nothing (arrows, Delete, Tab).
std::optional<QChar> typedCharacter(const QKeyEvent &event);

// Drops, before the box sees them, the key presses whose character the rule refuses.
// The box then takes text only from keys and from a paste: no drops, no input method.
class KeyFilter : public QObject
{
public:
    using Rule = std::function<bool(QChar)>;

    // Owned by the box.
    KeyFilter(QWidget *box, Rule accept);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Rule m_accept;
};
