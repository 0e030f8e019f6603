#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Ctrl+C delivered as a Qt signal, so that a command can end its exchange with the panel
// cleanly: SIGINT and SIGTERM on POSIX, Ctrl+C and Ctrl+Break at a Windows console. One
// instance at a time.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool install(QString *error);

signals:
    void arrived();

private:
    struct Handler; // what the system needs to deliver them
    std::unique_ptr<Handler> m_handler;
};
