#pragma once

#include <QByteArray>

#include <optional>

// Spoils or withholds replies by their number, counted from 1 over all replies.
class ReplyFaults
{
public:
    struct Options
    {
        int corruptAt = 0; // this reply goes out with a wrong CRC; 0: none
        int silentAt = 0; // from this reply on nothing goes out; 0: never
    };

    explicit ReplyFaults(Options options) : m_options(options) {}

    // The reply as it goes out, or nothing when it is withheld.
    std::optional<QByteArray> apply(QByteArray reply);

private:
    const Options m_options;
    qint64 m_count = 0;
};
