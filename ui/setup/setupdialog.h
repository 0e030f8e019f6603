#pragma once

#include <link/portchoices.h>
#include <link/portsettings.h>

#include <QDialog>
#include <QStringList>

class QComboBox;
class QGridLayout;

// "Setup": the port and its line settings, chosen together and applied only by "OK".
class SetupDialog : public QDialog
{
    Q_OBJECT

public:
    // Offers the serial ports the system reports and the virtual panels running.
    explicit SetupDialog(const PortSettings &current, QWidget *parent = nullptr);
    // Offers the given port names instead, so the choice does not depend on the machine.
    SetupDialog(const PortSettings &current, const QStringList &portNames, QWidget *parent = nullptr);

    // What "OK" chose; what was given while the dialog is open or after it was cancelled.
    PortSettings settings() const { return m_result; }

    void accept() override;

private:
    SetupDialog(const PortSettings &current, const QList<PortChoice> &ports, QWidget *parent);

    QComboBox *addList(QGridLayout *grid, const QString &caption, const QString &name,
                       const QStringList &values, const QString &current);
    PortSettings chosen() const;

    const PortSettings m_current;
    PortSettings m_result;
    QComboBox *m_port = nullptr;
    QComboBox *m_baudRate = nullptr;
    QComboBox *m_dataBits = nullptr;
    QComboBox *m_stopBits = nullptr;
    QComboBox *m_parity = nullptr;
    QComboBox *m_flowControl = nullptr;
};
