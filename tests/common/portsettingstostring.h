#pragma once

#include <link/portsettings.h>

#include <QString>

// How QCOMPARE shows port settings that differ.
inline char *toString(const PortSettings &s)
{
    return qstrdup(qPrintable(QStringLiteral("%1 %2 (custom %3) %4 bits, %5 stop, %6, lines %7%8%9%10")
                                      .arg(s.port, s.baudRate)
                                      .arg(s.customBaudRate)
                                      .arg(s.dataBits, s.stopBits, s.parity)
                                      .arg(int(s.rtsHandshake))
                                      .arg(int(s.ctsOutputFlow))
                                      .arg(int(s.xonXoffInput))
                                      .arg(int(s.xonXoffOutput))));
}
