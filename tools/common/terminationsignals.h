#pragma once

#include <tools/common/filedescriptor.h>

#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <signal.h>

// SIGTERM and SIGINT delivered as a Qt signal: the handler only writes a byte to a
// socket pair whose other end the event loop watches. One instance at a time.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~TerminationSignals() override;

    bool install(QString *error);

signals:
    void arrived();

private:
    void drain();

    FileDescriptor m_reader;
    FileDescriptor m_writer;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousTerm {};
    struct sigaction m_previousInt {};
    bool m_installed = false;
};
