#include "replyfaults.h"

std::optional<QByteArray> ReplyFaults::apply(QByteArray reply)
{
    ++m_count;
    if (m_options.silentAt > 0 && m_count >= m_options.silentAt)
        return std::nullopt;
    if (m_count == m_options.corruptAt && !reply.isEmpty())
        reply.back() = char(~quint8(reply.back()));
    return reply;
}
