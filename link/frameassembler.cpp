#include <link/frameassembler.h>

#include <link/frames.h>

namespace {
constexpr int shortestFrame = 5; // start, 01, length, command, CRC
}

QByteArrayList FrameAssembler::feed(const QByteArray &bytes)
{
    m_pending.append(bytes);
    QByteArrayList frames;
    for (;;) {
        const qsizetype start = m_pending.indexOf(char(Frames::StartByte));
        if (start < 0) {
            m_pending.clear();
            break;
        }
        m_pending.remove(0, start);
        if (m_pending.size() < 3)
            break;
        const int length = quint8(m_pending.at(2));
        if (length < shortestFrame) {
            m_pending.remove(0, 1); // not a frame start after all
            continue;
        }
        if (m_pending.size() < length)
            break;
        frames.append(m_pending.left(length));
        m_pending.remove(0, length);
    }
    return frames;
}
