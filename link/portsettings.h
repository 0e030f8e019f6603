#pragma once

#include <QString>
#include <QStringList>

// The serial line settings of "ComPort1", kept as the texts the setup dialog offers.
struct PortSettings
{
    QString port; // empty until a port is chosen
    QString baudRate = QStringLiteral("9600"); // one of baudRates()
    int customBaudRate = 9600; // used when baudRate is "Custom"
    QString dataBits = QStringLiteral("8");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("None");

    // Flow control is a summary of four line settings; "Custom" is any other mix.
    bool rtsHandshake = false;
    bool ctsOutputFlow = false;
    bool xonXoffInput = false;
    bool xonXoffOutput = false;

    static const QStringList &baudRates();
    static const QStringList &dataBitsList();
    static const QStringList &stopBitsList();
    static const QStringList &parities();
    static const QStringList &flowControls();

    QString flowControl() const; // "Hardware", "Software", "None" or "Custom"
    void setFlowControl(const QString &flowControl); // "Custom" leaves the four as they are
    int effectiveBaudRate() const;

    bool operator==(const PortSettings &other) const;
    bool operator!=(const PortSettings &other) const { return !(*this == other); }
};
