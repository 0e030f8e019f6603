#include <link/portchoices.h>

#include <QSerialPortInfo>

#include <algorithm>

namespace {

// Digit runs compare as numbers, so "COM2" comes before "COM10" and "ttyS2" before "ttyS10".
bool naturallyBefore(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a.at(i).isDigit())
                ++i;
            while (j < b.size() && b.at(j).isDigit())
                ++j;
            const qulonglong numberA = a.mid(startA, i - startA).toULongLong();
            const qulonglong numberB = b.mid(startB, j - startB).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
            continue;
        }
        const int order = QString::compare(a.mid(i, 1), b.mid(j, 1), Qt::CaseInsensitive);
        if (order != 0)
            return order < 0;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // a total order, so the list comes out the same on every run
}

} // namespace

QStringList PortChoices::systemPortNames()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    return names;
}

QList<PortChoice> PortChoices::choices(const QStringList &systemNames, const QStringList &virtualPanels,
                                       const QString &current)
{
    QStringList names = systemNames + virtualPanels;
    if (!current.isEmpty())
        names.append(current);
    names.removeAll(QString());
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), naturallyBefore);
    QList<PortChoice> offered;
    offered.reserve(names.size());
    for (const QString &name : std::as_const(names))
        offered.append({ name, virtualPanels.contains(name) ? VirtualPanels::caption(name) : name });
    return offered;
}

QList<PortDetails> PortChoices::systemPortDetails(const QString &panelFolder)
{
    QList<PortDetails> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortDetails port { info.portName(), info.description(), info.manufacturer(), std::nullopt, std::nullopt,
                           info.serialNumber() };
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        ports.append(port);
    }
    for (const QString &panel : VirtualPanels::runningPorts(panelFolder))
        ports.append({ panel, QStringLiteral("виртуальный прибор"), {}, std::nullopt, std::nullopt, {} });
    std::sort(ports.begin(), ports.end(),
              [](const PortDetails &a, const PortDetails &b) { return naturallyBefore(a.name, b.name); });
    return ports;
}

QString PortChoices::describe(const PortDetails &port)
{
    const auto hex = [](std::optional<quint16> id) {
        return id ? QStringLiteral("%1").arg(*id, 4, 16, QLatin1Char('0')) : QStringLiteral("?");
    };
    QStringList known;
    if (!port.description.isEmpty())
        known << port.description;
    if (!port.manufacturer.isEmpty())
        known << QStringLiteral("изготовитель %1").arg(port.manufacturer);
    if (port.vendorId || port.productId)
        known << QStringLiteral("USB %1:%2").arg(hex(port.vendorId), hex(port.productId));
    if (!port.serialNumber.isEmpty())
        known << QStringLiteral("серийный номер %1").arg(port.serialNumber);
    return known.isEmpty() ? port.name : port.name + QStringLiteral("  ") + known.join(QStringLiteral("; "));
}
