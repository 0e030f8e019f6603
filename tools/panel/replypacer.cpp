#include "replypacer.h"

namespace {
constexpr int splitGap = 5; // ms
constexpr int bitsPerByte = 10; // start bit, 8 data bits, stop bit
} // namespace

ReplyPacer::ReplyPacer(Options options, QObject *parent) : QObject(parent), m_options(options)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplyPacer::releaseNext);
}

void ReplyPacer::send(const QByteArray &reply)
{
    if (!m_options.split && m_options.baud <= 0) {
        emit bytesDue(reply);
        return;
    }
    if (m_options.split) {
        const qsizetype half = reply.size() / 2;
        enqueue(reply.left(half), 0);
        enqueue(reply.mid(half), splitGap);
    } else {
        enqueue(reply, 0);
    }
    if (!m_timer.isActive())
        m_timer.start(m_queue.front().delay);
}

void ReplyPacer::enqueue(const QByteArray &bytes, int extraDelay)
{
    m_queue.push_back({ bytes, extraDelay + transmissionTime(bytes.size()) });
}

void ReplyPacer::releaseNext()
{
    const QByteArray bytes = m_queue.front().bytes;
    m_queue.pop_front();
    if (!m_queue.empty())
        m_timer.start(m_queue.front().delay);
    emit bytesDue(bytes);
}

int ReplyPacer::transmissionTime(qsizetype bytes) const
{
    if (m_options.baud <= 0)
        return 0;
    const qint64 bits = qint64(bytes) * bitsPerByte;
    return int((bits * 1000 + m_options.baud - 1) / m_options.baud); // rounded up
}
