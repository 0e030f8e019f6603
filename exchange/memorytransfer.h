#pragma once

#include <exchange/transferoutcome.h>
#include <link/packetchannel.h>
#include <messages/messages.h>

#include <QFile>
#include <QObject>
#include <QTimer>

#include <optional>

class Configuration;
class Notifier;
class BackupStore;
class TransferProgress;
struct PortSettings;

// "Загрузить в прибор", "Прочитать из прибора" and "Переход в рабочий режим": the whole
// settings memory moves in 1600 blocks of 128 bytes, each reply triggering the next
// request. Any failure ends the transfer with one message; a read changes the image and
// the tables only once every block has arrived intact.
class MemoryTransfer : public QObject, public ReplyHandler
{
    Q_OBJECT

public:
    enum class Mode { Idle, Writing, Verifying, Reading, Comparing, AwaitingWorkingMode };

    static constexpr int DefaultReplyTimeout = 2000; // ms

    MemoryTransfer(PacketChannel &channel, Configuration &config, Notifier &notifier,
                   QObject *parent = nullptr);
    ~MemoryTransfer() override;

    void setProgress(TransferProgress *progress) { m_progress = progress; }
    void setReplyTimeout(int milliseconds) { m_replyTimer.setInterval(milliseconds); }
    // "temp.tab" where the current folder allows by default (TransferFile::location).
    void setTransferFile(const QString &path) { m_transferFile = path; }
    // After a write, read the memory back and compare it with what was sent; off by default.
    void setVerifyAfterWrite(bool verify) { m_verify = verify; }
    // Where each image read or written whole is kept as well; none by default.
    void setBackups(BackupStore *backups) { m_backups = backups; }
    QString transferFile() const { return transferPath(); }

    // Each returns false, having told the user why, when the command could not start.
    bool writeToPanel(const PortSettings &settings);
    bool readFromPanel(const PortSettings &settings);
    bool switchToWorkingMode(const PortSettings &settings);
    // Reads the panel's memory and reports through compared() how the configuration, as a
    // write would send it, differs from it; the configuration, its image included, stays
    // as it is.
    bool compareWithPanel(const PortSettings &settings);
    // A block transfer (or the check after a write) under way is running.
    bool isTransferring() const;
    // The user ends the block transfer at once: the panel still goes back to work, a read
    // changes nothing, and a write says where the panel's memory stops being the new one.
    void cancel();

    Mode mode() const { return m_mode; }
    // How the last exchange ended; in force once finished() is emitted.
    const TransferOutcome &outcome() const { return m_outcome; }
    int blockCounter() const { return m_blockCounter; }

    void handleReply(const QByteArray &frame) override;
    void handleWritten() override;
    void handleSendFailure(const QString &reason) override;
    void handleLinkFailure(const QString &reason) override;
    // Nothing more is awaited and nothing more is said; finished() is not emitted either.
    void endQuietly() override;

signals:
    // The tables hold what was read; the grids should show it.
    void configurationLoaded();
    // The whole memory has come: how the configuration differs from what the panel holds,
    // in the diff's words; empty when the panel holds it. finished() follows.
    void compared(const QStringList &differences);
    // Nothing more is awaited; false when anything went wrong (the user has been told).
    void finished(bool success);

private:
    bool start(Mode mode, const PortSettings &settings);
    bool sendFrame(const QByteArray &frame);
    void handleWriteReply(const QByteArray &frame);
    void handleReadReply(const QByteArray &frame);
    bool keepReadBackBlock(const QByteArray &frame, MessageId interrupted);
    void handleVerifyReply(const QByteArray &frame);
    void handleCompareReply(const QByteArray &frame);
    void startVerifying();
    void reportVerification();
    void endCancelled();
    void handleWorkingModeReply(const QByteArray &frame);
    void replyTimedOut();
    // Ends a transfer; the panel is told to go back to work when it is still answering.
    // `stoppedAt` is the block that did not get through; by default the one awaited.
    void abort(const QString &message, bool panelAnswers, std::optional<int> stoppedAt = std::nullopt);
    void workingModeNotConfirmed();
    // Absolute, so that a message names the file wherever the program was started.
    QString transferPath() const;
    void sendWorkingMode(bool reportSilence);
    void stopBlockTransfer();
    void settle();
    void closeTransferFile();
    void keepBackup(const QByteArray &image, bool written);
    int currentBlock() const;

    PacketChannel &m_channel;
    Configuration &m_config;
    Notifier &m_notifier;
    TransferProgress *m_progress = nullptr;
    QString m_transferFile; // empty: chosen for each use

    Mode m_mode = Mode::Idle;
    int m_blockCounter = 0;
    QByteArray m_expectedReply;
    QByteArray m_image; // what is being written or compared with what the panel holds
    bool m_verify = false;
    bool m_cancelRequested = false; // acted on when the reply in flight has come
    QByteArray m_readBack; // the panel's memory as read after a write or for a comparison
    QFile m_file; // what is being read
    QTimer m_replyTimer;
    bool m_succeeded = true;
    TransferOutcome m_outcome;
    BackupStore *m_backups = nullptr;
    bool m_reportWorkingModeSilence = true;
};
