#include <model/filterexpressions.h>

#include <model/configuration.h>

#include <QStringList>

namespace FilterExpressions {

QString allRows()
{
    return {};
}

QString zonesHoldingOutput(int outputKey)
{
    QStringList terms;
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
        terms << Configuration::outputLinkField(slot) + QLatin1Char('=') + QString::number(outputKey);
    return terms.join(QLatin1String(" or "));
}

QString zoneById(int zone)
{
    return QStringLiteral("id=") + QString::number(zone);
}

QString devicesOfZone(int zone)
{
    return QStringLiteral("id_area =") + QString::number(zone);
}

QString devicesOfZoneInDialog(int zone)
{
    return QStringLiteral("id_area = ") + QString::number(zone);
}

QString devicesInNoZone()
{
    return devicesOfZoneInDialog(0);
}

QString ofModule(int module)
{
    return QStringLiteral("id_dev =") + QString::number(module);
}

QString outputsWithKeys(const QVector<int> &keys)
{
    if (keys.isEmpty())
        return QStringLiteral("id_return=0");
    QStringList terms;
    for (const int key : keys)
        terms << QStringLiteral("id_return=") + QString::number(key);
    return terms.join(QLatin1String(" or "));
}

QString deviceChannel(int channelType, int address, int serialLow)
{
    return QStringLiteral("(id_chan = %1) and (addr = %2) and (saddrl = %3)")
            .arg(channelType)
            .arg(address)
            .arg(serialLow);
}

} // namespace FilterExpressions
