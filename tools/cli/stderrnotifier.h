#pragma once

#include <model/notifier.h>

// Tells the user on stderr, where a script's log collects it, and remembers whether
// anything went wrong so the command can fail instead of writing a bad result.
class StderrNotifier : public Notifier
{
public:
    void information(const QString &text) override;
    void warning(const QString &text) override;
    // Nobody to ask: the answer is "no" unless the command line has already said yes.
    bool question(const QString &text) override;
    void answerYes() { m_answer = true; }

    bool warned() const { return m_warned; }

private:
    bool m_warned = false;
    bool m_answer = false;
};
