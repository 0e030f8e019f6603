#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <deque>

// Hands replies to the line whole and at once, or as a slower or choppier line would
// deliver them: in two pieces a few milliseconds apart, or no faster than a baud rate
// allows. Order is kept; nothing blocks.
class ReplyPacer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        bool split = false;
        int baud = 0; // 0: no pacing
    };

    explicit ReplyPacer(Options options, QObject *parent = nullptr);

    void send(const QByteArray &reply);

signals:
    void bytesDue(const QByteArray &bytes);

private:
    struct Piece
    {
        QByteArray bytes;
        int delay; // milliseconds after the piece before it went out
    };

    void enqueue(const QByteArray &bytes, int extraDelay);
    void releaseNext();
    int transmissionTime(qsizetype bytes) const;

    const Options m_options;
    std::deque<Piece> m_queue;
    QTimer m_timer;
};
