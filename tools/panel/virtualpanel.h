#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>

class LoopModule;

// The panel as the program sees it: the settings memory at 0x1D044000 behind a current
// address that reads and writes walk on, and at the relay address the way to the loop module.
class VirtualPanel : public QObject
{
    Q_OBJECT

public:
    // `memory` is the whole settings memory.
    VirtualPanel(QByteArray memory, LoopModule &module, QObject *parent = nullptr);

    // The replies to one frame whose CRC is correct; none to a frame the panel does not know.
    QByteArrayList handle(const QByteArray &frame);

    const QByteArray &memory() const { return m_memory; }
    // A memory fault: the byte at `offset` of the settings memory turned over.
    void flipByte(qsizetype offset);

signals:
    // The memory holds a finished write: a block reached the end of the memory, or the
    // panel went to working mode after writes. Emitted before the frame's reply exists.
    void writeFinished();
    // A line for the log about a relayed message or a relay frame turned away.
    void noted(const QString &line);

private:
    // Where [current address, + length) meets the settings memory.
    struct Overlap
    {
        qsizetype blockOffset; // in the block
        qsizetype memoryOffset; // in the memory
        qsizetype length; // 0 when they do not meet
    };

    QByteArrayList setAddress(const QByteArray &frame, const QByteArray &payload);
    QByteArrayList readMemory(const QByteArray &payload);
    QByteArrayList writeMemory(const QByteArray &payload);
    QByteArrayList relay(const QByteArray &payload);
    QByteArrayList workingMode(const QByteArray &frame);

    Overlap overlap(qsizetype length) const;
    void advance(qsizetype length);
    void finishWrite();

    QByteArray m_memory;
    LoopModule &m_module;
    quint32 m_address = 0;
    bool m_unfinishedWrite = false;
};
