#include <link/packetchannel.h>

#include <link/seriallink.h>

PacketChannel::PacketChannel(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&m_link, &SerialLink::received, this, &PacketChannel::receive);
    connect(&m_link, &SerialLink::written, this, [this] {
        if (m_handler)
            m_handler->handleWritten();
    });
    connect(&m_link, &SerialLink::writeFailed, this, [this](const QString &reason) {
        if (m_handler)
            m_handler->handleSendFailure(reason);
    });
    connect(&m_link, &SerialLink::failed, this, [this](const QString &reason) {
        m_assembler.clear();
        m_pending.clear();
        if (m_handler)
            m_handler->handleLinkFailure(reason);
    });
}

void PacketChannel::setHandler(ReplyHandler *handler)
{
    close();
    if (m_handler && m_handler != handler)
        m_handler->endQuietly();
    m_handler = handler;
}

void PacketChannel::removeHandler(const ReplyHandler *handler)
{
    if (m_handler == handler)
        m_handler = nullptr;
}

bool PacketChannel::open(const PortSettings &settings, QString *error)
{
    if (m_link.isOpen())
        return true;
    m_assembler.clear();
    m_pending.clear();
    return m_link.open(settings, error);
}

void PacketChannel::close()
{
    m_link.close();
    m_assembler.clear();
    m_pending.clear();
}

bool PacketChannel::isOpen() const
{
    return m_link.isOpen();
}

bool PacketChannel::send(const QByteArray &frame, QString *error)
{
    if (!m_link.write(frame, error))
        return false;
    emit frameSent(frame);
    return true;
}

void PacketChannel::discardPartialFrame()
{
    m_assembler.clear();
}

void PacketChannel::receive(const QByteArray &bytes)
{
    const QByteArrayList frames = m_assembler.feed(bytes);
    for (const QByteArray &frame : frames) {
        emit frameReceived(frame);
        m_pending.enqueue(frame);
    }
    deliverPending();
}

void PacketChannel::deliverPending()
{
    if (m_delivering)
        return; // the running delivery picks these up when its handler returns
    m_delivering = true;
    while (!m_pending.isEmpty()) {
        const QByteArray frame = m_pending.dequeue();
        if (m_handler)
            m_handler->handleReply(frame);
    }
    m_delivering = false;
}
