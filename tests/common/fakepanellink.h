#pragma once

#include <link/frames.h>
#include <link/seriallink.h>

#include <QTimer>

// An in-process stand-in for the line and the panel behind it: it keeps the settings
// memory, answers each frame on the next turn of the event loop, records what was sent,
// and can be told to fail in the ways a real line fails.
class FakePanelLink : public SerialLink
{
public:
    QByteArray memory = QByteArray(204800, '\0');
    QByteArrayList sent;
    int replies = 0;

    // Faults, counted over replies from 1; 0 is never.
    int silentAt = 0; // no reply from this one on
    int corruptAt = 0; // this reply's last byte is flipped
    int cutAt = 0; // this reply arrives without its second half
    int lineFailsAt = 0; // instead of this reply the line fails
    int writeFailsAt = 0; // this write (counted from 1) cannot leave
    bool openFails = false;
    bool byteByByte = false; // each reply arrives one byte at a time

    bool open(const PortSettings &, QString *error) override
    {
        if (openFails) {
            *error = QStringLiteral("Unable to open com port (Error: 1)");
            return false;
        }
        m_open = true;
        ++m_session;
        return true;
    }
    void close() override
    {
        m_open = false;
        ++m_session;
    }
    bool isOpen() const override { return m_open; }

    bool write(const QByteArray &bytes, QString *error) override
    {
        if (!m_open) {
            *error = QStringLiteral("port closed");
            return false;
        }
        if (++m_writes == writeFailsAt) {
            later([this] { emit writeFailed(QStringLiteral("write failed")); });
            return true;
        }
        sent << bytes;
        later([this] { emit written(); });
        const QByteArray reply = answer(bytes);
        if (reply.isEmpty())
            return true;
        const int number = ++replies;
        if (silentAt && number >= silentAt)
            return true;
        // A reply under way when the port closes is lost with it, as on a real line.
        later([this, reply, number] {
            if (lineFailsAt == number) {
                m_open = false;
                emit failed(QStringLiteral("cable pulled"));
                return;
            }
            QByteArray bytes = reply;
            if (corruptAt == number)
                bytes[bytes.size() - 1] = char(bytes.back() ^ 0x5A);
            if (cutAt == number)
                bytes.truncate(bytes.size() / 2);
            if (!byteByByte) {
                emit received(bytes);
                return;
            }
            for (const char byte : std::as_const(bytes))
                emit received(QByteArray(1, byte));
        });
        return true;
    }

    // The next write cannot leave, as on a jammed line.
    void jamNextWrite() { writeFailsAt = m_writes + 1; }

    // The line fails on the next turn of the event loop, as a pulled cable does.
    void pullCable()
    {
        later([this] {
            m_open = false;
            ++m_session;
            emit failed(QStringLiteral("cable pulled"));
        });
    }

    int sentWithCommand(quint8 command, int length) const
    {
        int count = 0;
        for (const QByteArray &frame : sent)
            count += (quint8(frame.at(3)) == command && frame.size() == length) ? 1 : 0;
        return count;
    }

private:
    // Runs `what` on the next turn of the event loop unless the port has closed since.
    template <typename What>
    void later(What what)
    {
        QTimer::singleShot(0, this, [this, what, session = m_session] {
            if (m_open && session == m_session)
                what();
        });
    }

    QByteArray answer(const QByteArray &frame)
    {
        using namespace Frames;
        switch (quint8(frame.at(3))) {
        case CommandSetAddress:
            m_address = quint8(frame.at(4)) | quint8(frame.at(5)) << 8 | quint8(frame.at(6)) << 16
                    | quint32(quint8(frame.at(7))) << 24;
            return frame;
        case CommandReadMemory: {
            const int count = quint8(frame.at(4)) | quint8(frame.at(5)) << 8;
            const qint64 offset = qint64(m_address) - SettingsAddress;
            const QByteArray data = (offset >= 0 && offset < memory.size())
                    ? memory.mid(int(offset), count).leftJustified(count, '\0')
                    : QByteArray(count, '\0');
            m_address += count;
            return withCrc(QByteArray::fromHex("c601") + char(count + 5) + char(CommandReadMemory) + data);
        }
        case CommandWriteMemory: {
            const QByteArray data = frame.mid(4, frame.size() - 5);
            const qint64 offset = qint64(m_address) - SettingsAddress;
            if (offset >= 0 && offset + data.size() <= memory.size())
                memory.replace(int(offset), data.size(), data);
            m_address += data.size();
            return WriteMemory(2, data);
        }
        case CommandWorkingMode:
            return frame;
        }
        return {};
    }

    bool m_open = false;
    int m_session = 0;
    int m_writes = 0;
    quint32 m_address = 0;
};
