#pragma once

#include "replyfaults.h"

#include <link/frameassembler.h>

#include <QObject>

class FrameLog;
class VirtualPanel;

// Joins the bytes from the line into frames, turns away those with a wrong CRC, and
// passes the panel's replies on with the faults the command line asked for. The log gets
// each frame and whatever the panel notes about it.
class PanelSession : public QObject
{
    Q_OBJECT

public:
    PanelSession(VirtualPanel &panel, ReplyFaults faults, FrameLog &log, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);

signals:
    void replyReady(const QByteArray &reply);

private:
    VirtualPanel &m_panel;
    ReplyFaults m_faults;
    FrameLog &m_log;
    FrameAssembler m_assembler;
};
