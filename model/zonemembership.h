#pragma once

#include <QString>

class Configuration;
class MemTable;

// The zone dialogs' work on the zone current on the zones page: which devices belong to
// it, and which outputs it drives. Each move changes the tables and, at once, the
// channel and zone records of the image.

// A zone dialog's caption: the zone's label, a space and its name.
QString zoneDialogCaption(const MemTable &zones);

// The devices of one zone.
class ZoneDevices
{
public:
    explicit ZoneDevices(Configuration &configuration);

    // Before the dialog opens: the free devices, copied aside.
    void prepare();
    // As the dialog is shown: the zone's devices above, the free ones below.
    void FormShow(int zone);
    // The marked free devices join `zone`.
    void BitBtn1Click(int zone);
    // Every marked device, whatever zone it is in, becomes free; the lists show `zone`.
    void BitBtn2Click(int zone);

    // The image's side of a device (module, loop address) joining or leaving a zone.
    void AddSensorToAreaRecord(int module, int address, int zone);
    void RemoveSensorFromAreaRecord(int module, int address, int zone);

private:
    void copyFreeDevices();

    Configuration &m_configuration;
};

// The outputs of one zone.
class ZoneOutputs
{
public:
    explicit ZoneOutputs(Configuration &configuration);

    // Before the dialog opens: every output, copied aside.
    void prepare();
    // As the dialog is shown: the zone's outputs above (the zone table's current row).
    void FormShow();
    // The marked outputs of the copy are given to the current zone.
    void BitBtn1Click();
    // The marked outputs of the zone are taken from it.
    void BitBtn2Click();

private:
    Configuration &m_configuration;
};
