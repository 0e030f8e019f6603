#pragma once

#include <QDialog>

class Configuration;
class DataGrid;
class ZoneDevices;

// The devices of the zone current on the zones page: the zone's devices above, the free
// ones below, moved between the two by their marks.
class TZoneForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 874;
    static constexpr int ClientHeight = 634;

    // Shows the lists as they stand; ZoneDevices::prepare() makes the free list first.
    TZoneForm(Configuration &configuration, ZoneDevices &devices, QWidget *parent = nullptr);

    // As the zones page opens it: the free devices copied aside, the dialog run modally,
    // then gone.
    static void runModal(Configuration &configuration, ZoneDevices &devices, QWidget *parent);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    int currentZone() const;
    void FormShow();
    void FormClose();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void resetMarkTitles();

    Configuration &m_configuration;
    ZoneDevices &m_devices;
    DataGrid *m_zoneDevices = nullptr;
    DataGrid *m_freeDevices = nullptr;
};
