#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the virtual loop module finds on its loop and how it misbehaves, read from a JSON file.
struct Scenario
{
    // Bytes exactly as the module reports them; the program reads some of them as BCD.
    struct Device
    {
        quint8 type = 0;
        quint8 version = 0;
        quint8 year = 0;
        quint8 month = 0;
        quint16 serial = 0;
        quint8 kind = 0; // sub-device kind, reported for an address tag (type 6 or 7)

        bool isAddressTag() const { return type == 0x06 || type == 0x07; }
    };

    std::optional<int> technologicalAddress; // overrides --klm when given
    QList<Device> devices; // in the order the module reports them
    int busyPolls = 0; // polls after a start answered "busy"
    bool noAnswer = false; // the module never answers
    int unknownCodeAt = 0; // this module reply, counted from 1, gets an unknown code; 0: none

    static std::optional<Scenario> load(const QString &fileName, QString *error);
    static std::optional<Scenario> fromJson(const QByteArray &json, QString *error);
};
