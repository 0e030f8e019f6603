#pragma once

#include <QByteArray>
#include <QByteArrayList>

// Joins received bytes into whole frames by the start byte and the length byte, so a
// frame split over several batches, or several frames in one batch, each reach the
// reply handler once. Bytes before a start byte are dropped.
class FrameAssembler
{
public:
    QByteArrayList feed(const QByteArray &bytes);
    void clear() { m_pending.clear(); }
    bool hasPartialFrame() const { return !m_pending.isEmpty(); }

private:
    QByteArray m_pending;
};
