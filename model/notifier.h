#pragma once

#include <QString>

// How the core speaks to the user: the window shows message boxes, tests record the
// texts, the command-line tool prints them.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void information(const QString &text) = 0;
    virtual void warning(const QString &text) = 0;
    virtual bool question(const QString &text) = 0; // yes: true
    // An error that ends what the user started, shown as the general error report.
    virtual void error(const QString &text) { warning(text); }
};
