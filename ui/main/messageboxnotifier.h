#pragma once

#include <model/notifier.h>

class QWidget;

// What the core tells the user, as message boxes over the main window.
class MessageBoxNotifier : public Notifier
{
public:
    explicit MessageBoxNotifier(QWidget *parent) : m_parent(parent) { }

    void information(const QString &text) override;
    void warning(const QString &text) override;
    bool question(const QString &text) override;
    // The general error report: the error's text and OK; the program goes on.
    void error(const QString &text) override;

private:
    QWidget *m_parent;
};
