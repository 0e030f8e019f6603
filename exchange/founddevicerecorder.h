#pragma once

#include <QByteArray>
#include <QList>
#include <QVariant>

#include <functional>

class Configuration;

// What a running search keeps between replies.
struct SearchState
{
    QList<QByteArray> CommandQueue; // module messages waiting to be sent
    QList<QByteArray> ReportQueue; // status reports (from offset 6) waiting to be matched
    bool SearchStarted = false;
    bool StatusQueued = false;
    QByteArray PendingQuery; // a follow-up query for the next idle reply
    QByteArray PendingIdentity; // the six identity bytes the follow-up is about
};

// Lists each device the loop module reports, checks it against the configuration, gives
// a new one the next free loop address of the module and adds it to the device table.
class FoundDeviceRecorder
{
public:
    // Loop addresses 2..129: the addresses the image's device table describes, so that
    // nothing is added that a reload would lose.
    static constexpr int FreeRecordLimit = 128;

    FoundDeviceRecorder(Configuration &config, SearchState &state);

    void setModule(int module, quint8 moduleAddressByte);

    void recordDevice(const QByteArray &identityReport);
    void recordSubDevice(const QByteArray &followUpReport);
    void markAnswerReceived(const QByteArray &answerReport);

private:
    struct Identity
    {
        int type, version, year, month, serialHigh, serialLow;
    };
    // A row of the found list, with its note; its index, for reading it back.
    int appendFoundRow(const Identity &identity, const QString &note);
    void appendSensorRow(int type, const QVariant &channelType, int address, const Identity &identity);
    bool alreadyConfigured(const Identity &identity) const;
    bool tagAlreadyConfigured(const Identity &identity) const;
    bool hasRowWithIdentity(const Identity &identity, const std::function<bool(int type)> &typeMatches) const;
    int firstFreeChannelRecord() const;
    void writeDeviceRecord(const Identity &identity);

    Configuration &m_config;
    SearchState &m_state;
    int m_module = 0;
    quint8 m_moduleAddressByte = 0;
};
