#pragma once

#include <exchange/founddevicerecorder.h>
#include <link/packetchannel.h>

#include <QObject>
#include <QTimer>

class Configuration;
class Notifier;
struct PortSettings;

// "Поиск новых устройств модуля": module messages go to the technological loop module
// in relay frames, paced by a poll timer; each reply decides what is sent next. The
// search runs from start() until stop() (its window closing).
class DeviceSearch : public QObject, public ReplyHandler
{
    Q_OBJECT

public:
    static constexpr int DefaultPollInterval = 100; // ms
    static constexpr int DefaultStatusRepeatInterval = 5000; // ms
    static constexpr int DefaultSilenceInterval = 5000; // ms without a reply before the user hears of it

    DeviceSearch(PacketChannel &channel, Configuration &config, Notifier &notifier, QObject *parent = nullptr);
    ~DeviceSearch() override { m_channel.removeHandler(this); }

    void setPollInterval(int milliseconds) { m_timer1.setInterval(milliseconds); }
    void setStatusRepeatInterval(int milliseconds) { m_timer2.setInterval(milliseconds); }
    void setSilenceInterval(int milliseconds) { m_silence.setInterval(milliseconds); }

    // Searches the loop of the module at address `module` through the technological loop
    // module whose address the text `technologicalAddress` names (as typed into edAddrKLM).
    // Asks the user first; false when the search did not start (the user has been told why).
    bool start(const PortSettings &settings, int module, const QString &technologicalAddress);
    void stop();
    bool isActive() const { return m_active; }
    const SearchState &state() const { return m_state; }

    void handleReply(const QByteArray &frame) override;
    void handleWritten() override { } // replies are not timed; polls go on regardless
    void handleSendFailure(const QString &reason) override;
    void handleLinkFailure(const QString &reason) override;
    void endQuietly() override { stop(); }

    static QString warningText(const QString &moduleName, const QString &technologicalAddress);

signals:
    // The exchange has come to a halt (no answer, an unknown reply, a failing line), and
    // why, in the words the user was told; only closing the window ends the search.
    void halted(const QString &reason);
    // No reply has come for a while; the search goes on should one come.
    void fellSilent(const QString &note);

private:
    void queueStep();
    void report(const QByteArray &frame);
    bool send(const QByteArray &message);
    void poll();
    void repeatStatusRequest();
    void halt(const QString &reason);

    PacketChannel &m_channel;
    Configuration &m_config;
    Notifier &m_notifier;
    SearchState m_state;
    FoundDeviceRecorder m_recorder;
    QTimer m_timer1; // poll
    QTimer m_timer2; // status repeat
    QTimer m_silence; // no reply for this long: the user is told, nothing is sent
    quint8 m_moduleAddress = 0;
    bool m_active = false;
};
