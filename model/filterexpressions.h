#pragma once

#include <QString>
#include <QVector>

// The filter texts the pages and dialogs set on the zone, device and output tables.
// Their spacing differs from one to the next and is kept exactly.
namespace FilterExpressions {

QString allRows(); // ""
QString zonesHoldingOutput(int outputKey); // "r1=X or r2=X … or r16=X"
QString zoneById(int zone); // "id=Z"
QString devicesOfZone(int zone); // "id_area =Z"
QString devicesOfZoneInDialog(int zone); // "id_area = Z"
QString devicesInNoZone(); // "id_area = 0"
QString ofModule(int module); // "id_dev =A", devices and outputs alike
QString outputsWithKeys(const QVector<int> &keys); // "id_return=a or id_return=b", "id_return=0" when none
QString deviceChannel(int channelType, int address, int serialLow); // "(id_chan = C) and (addr = A) and (saddrl = S)"

} // namespace FilterExpressions
