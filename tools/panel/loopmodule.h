#pragma once

#include "scenario.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include <deque>
#include <optional>

// The technological loop module behind the panel's relay address, playing a scenario's
// devices to the program's search: it reports them, tells sub-device kinds, reports the
// status of devices still without an address and takes the addresses the program gives.
class LoopModule : public QObject
{
    Q_OBJECT

public:
    LoopModule(Scenario scenario, quint8 moduleAddress, QObject *parent = nullptr);

    // The relay frame the panel returns for one module message.
    QByteArray answer(const QByteArray &message);

signals:
    // A line for the log about something the program sent.
    void noted(const QString &line);

private:
    enum class ReportKind { Identity, FollowUp, Status, Answered };
    struct Report
    {
        ReportKind kind = ReportKind::Identity;
        qsizetype device = 0; // in the scenario
    };

    bool fits(const QByteArray &message, const char *pattern) const;

    QByteArray start();
    QByteArray poll();
    QByteArray acknowledge(quint8 number);
    QByteArray requestStatus();
    QByteArray followUp(quint8 reference);
    QByteArray takeAddress(const QByteArray &message);

    QByteArray sendReport(const Report &report);
    QByteArray contents(const Report &report) const;
    QByteArray reply(quint8 code, const QByteArray &rest = {});
    bool isQueued(const Report &report) const;

    const Scenario m_scenario;
    const quint8 m_moduleAddress;
    QList<std::optional<quint8>> m_loopAddresses; // one per scenario device, once given
    std::deque<Report> m_queue; // reports waiting for a poll
    QHash<quint8, Report> m_sent; // by reference byte
    quint8 m_nextReference;
    quint8 m_nextNumber;
    std::optional<quint8> m_lastNumber;
    bool m_discovering = false;
    int m_busyPollsLeft = 0;
    int m_replyCount = 0;
};
