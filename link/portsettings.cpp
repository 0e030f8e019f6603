#include <link/portsettings.h>

const QStringList &PortSettings::baudRates()
{
    static const QStringList list {
        QStringLiteral("Custom"), QStringLiteral("110"),    QStringLiteral("300"),
        QStringLiteral("600"),    QStringLiteral("1200"),   QStringLiteral("2400"),
        QStringLiteral("4800"),   QStringLiteral("9600"),   QStringLiteral("14400"),
        QStringLiteral("19200"),  QStringLiteral("38400"),  QStringLiteral("56000"),
        QStringLiteral("57600"),  QStringLiteral("115200"), QStringLiteral("128000"),
        QStringLiteral("256000"),
    };
    return list;
}

const QStringList &PortSettings::dataBitsList()
{
    static const QStringList list { QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                    QStringLiteral("8") };
    return list;
}

const QStringList &PortSettings::stopBitsList()
{
    static const QStringList list { QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2") };
    return list;
}

const QStringList &PortSettings::parities()
{
    static const QStringList list { QStringLiteral("None"), QStringLiteral("Odd"),
                                    QStringLiteral("Even"), QStringLiteral("Mark"),
                                    QStringLiteral("Space") };
    return list;
}

const QStringList &PortSettings::flowControls()
{
    static const QStringList list { QStringLiteral("Hardware"), QStringLiteral("Software"),
                                    QStringLiteral("None"), QStringLiteral("Custom") };
    return list;
}

QString PortSettings::flowControl() const
{
    const bool hardware = rtsHandshake && ctsOutputFlow;
    const bool software = xonXoffInput && xonXoffOutput;
    const bool anyHardware = rtsHandshake || ctsOutputFlow;
    const bool anySoftware = xonXoffInput || xonXoffOutput;
    if (hardware && !anySoftware)
        return QStringLiteral("Hardware");
    if (software && !anyHardware)
        return QStringLiteral("Software");
    if (!anyHardware && !anySoftware)
        return QStringLiteral("None");
    return QStringLiteral("Custom");
}

void PortSettings::setFlowControl(const QString &flowControl)
{
    if (flowControl == QLatin1String("Hardware")) {
        rtsHandshake = ctsOutputFlow = true;
        xonXoffInput = xonXoffOutput = false;
    } else if (flowControl == QLatin1String("Software")) {
        rtsHandshake = ctsOutputFlow = false;
        xonXoffInput = xonXoffOutput = true;
    } else if (flowControl == QLatin1String("None")) {
        rtsHandshake = ctsOutputFlow = xonXoffInput = xonXoffOutput = false;
    }
}

int PortSettings::effectiveBaudRate() const
{
    return baudRate == QLatin1String("Custom") ? customBaudRate : baudRate.toInt();
}

bool PortSettings::operator==(const PortSettings &other) const
{
    return port == other.port && baudRate == other.baudRate
            && customBaudRate == other.customBaudRate && dataBits == other.dataBits
            && stopBits == other.stopBits && parity == other.parity
            && rtsHandshake == other.rtsHandshake && ctsOutputFlow == other.ctsOutputFlow
            && xonXoffInput == other.xonXoffInput && xonXoffOutput == other.xonXoffOutput;
}
