#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>

// The panel as the program sees it: the settings memory at 0x1D044000 behind a current
// address that reads and writes walk on.
class VirtualPanel : public QObject
{
    Q_OBJECT

public:
    // `memory` is the whole settings memory.
    explicit VirtualPanel(QByteArray memory, QObject *parent = nullptr);

    // The replies to one frame whose CRC is correct; none to a frame the panel does not know.
    QByteArrayList handle(const QByteArray &frame);

    const QByteArray &memory() const { return m_memory; }

signals:
    // The memory holds a finished write: a block reached the end of the memory, or the
    // panel went to working mode after writes. Emitted before the frame's reply exists.
    void writeFinished();

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
    QByteArrayList workingMode(const QByteArray &frame);

    Overlap overlap(qsizetype length) const;
    void advance(qsizetype length);
    void finishWrite();

    QByteArray m_memory;
    quint32 m_address = 0;
    bool m_unfinishedWrite = false;
};
