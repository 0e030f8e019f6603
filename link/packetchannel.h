#pragma once

#include <link/frameassembler.h>

#include <QByteArray>
#include <QObject>
#include <QQueue>

class SerialLink;
struct PortSettings;

// Whoever currently answers the panel's replies: the memory transfers or the search.
class ReplyHandler
{
public:
    virtual ~ReplyHandler() = default;
    virtual void handleReply(const QByteArray &frame) = 0;
    // Everything sent has left: from now on the panel may be expected to answer.
    virtual void handleWritten() = 0;
    // What was sent could not leave; the line stays open.
    virtual void handleSendFailure(const QString &reason) = 0;
    virtual void handleLinkFailure(const QString &reason) = 0;
    // Another exchange takes the port: end without a word, so that nothing of this one (a
    // timer, a progress window, a late message) reaches into the new one.
    virtual void endQuietly() = 0;
};

// The port and its one reply handler. Received bytes are joined into whole frames and
// handed over one at a time: a frame that arrives while a handler is still busy (showing
// a message, say) waits until it returns, as it would in the line's own buffer.
class PacketChannel : public QObject
{
    Q_OBJECT

public:
    explicit PacketChannel(SerialLink &link, QObject *parent = nullptr);

    // Closes the port first, so that a reply under way for the old handler is dropped, and
    // ends the old handler's exchange quietly.
    void setHandler(ReplyHandler *handler);
    ReplyHandler *handler() const { return m_handler; }
    // A handler that goes away takes itself off, so that nothing calls it afterwards.
    void removeHandler(const ReplyHandler *handler);

    bool open(const PortSettings &settings, QString *error);
    void close();
    bool isOpen() const;
    // Returns at once; the handler hears when the frame has left or could not.
    bool send(const QByteArray &frame, QString *error);
    // Drops the start of a frame whose rest never came, so that it does not swallow the
    // next reply.
    void discardPartialFrame();

signals:
    // Each frame that went to the line, and each whole frame that came from it.
    void frameSent(const QByteArray &frame);
    void frameReceived(const QByteArray &frame);

private:
    void receive(const QByteArray &bytes);
    void deliverPending();

    SerialLink &m_link;
    ReplyHandler *m_handler = nullptr;
    FrameAssembler m_assembler;
    QQueue<QByteArray> m_pending;
    bool m_delivering = false;
};
