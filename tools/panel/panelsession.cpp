#include "panelsession.h"

#include "framelog.h"
#include "virtualpanel.h"

#include <link/frames.h>

PanelSession::PanelSession(VirtualPanel &panel, ReplyFaults faults, FrameLog &log, QObject *parent)
    : QObject(parent), m_panel(panel), m_faults(faults), m_log(log)
{
    connect(&m_panel, &VirtualPanel::noted, this, [this](const QString &line) { m_log.note(line); });
}

void PanelSession::receive(const QByteArray &bytes)
{
    for (const QByteArray &frame : m_assembler.feed(bytes)) {
        if (!Frames::hasValidCrc(frame)) {
            m_log.rejected(frame);
            continue;
        }
        for (const QByteArray &reply : m_panel.handle(frame)) {
            if (const std::optional<QByteArray> sent = m_faults.apply(reply))
                emit replyReady(*sent);
        }
        // Logged after the reply is on its way: a reader who sees the line knows that an
        // unpaced reply has already been written.
        m_log.received(frame);
    }
}
