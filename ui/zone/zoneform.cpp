#include <ui/zone/zoneform.h>

#include <messages/messages.h>
#include <ui/dialog/zonedialogparts.h>
#include <ui/grid/datagrid.h>

#include <model/configuration.h>
#include <model/dialoggrids.h>
#include <model/tablefields.h>
#include <model/zonemembership.h>

#include <QPushButton>
#include <QShowEvent>

using namespace Qt::StringLiterals;
using namespace ZoneDialogParts;

TZoneForm::TZoneForm(Configuration &configuration, ZoneDevices &devices, QWidget *parent)
    : QDialog(parent), m_configuration(configuration), m_devices(devices)
{
    setObjectName(u"ZoneForm"_s);
    QWidget *panel = fixedFrame(*this, QSize(ClientWidth, ClientHeight));

    m_zoneDevices = grid(panel, DialogGrids::dbgeSensorZone(), configuration.mtSensor(), { 7, 10, 858, 273 });
    QPushButton *attach = pictureButton(panel, "BitBtn1", { 7, 289, 53, 53 }, ":/buttons/arrow-up.svg",
                                        u"Приписать отмеченые устройства зоне"_s);
    QPushButton *detach = pictureButton(panel, "BitBtn2", { 63, 289, 53, 53 }, ":/buttons/arrow-down.svg",
                                        u"Удалить отмеченые устройства из зоны"_s);
    QPushButton *remove = pictureButton(panel, "BitBtn3", { 812, 289, 53, 53 }, ":/buttons/cross.svg",
                                        u"Удалить выделеные устройства из списка доступных "_s);
    m_freeDevices = grid(panel, DialogGrids::dbgeSensorAcc(), configuration.mtSensorCopy(), { 7, 348, 858, 273 });

    connect(attach, &QPushButton::clicked, this, &TZoneForm::BitBtn1Click);
    connect(detach, &QPushButton::clicked, this, &TZoneForm::BitBtn2Click);
    connect(remove, &QPushButton::clicked, this, &TZoneForm::BitBtn3Click);
    for (DataGrid *list : { m_zoneDevices, m_freeDevices })
        markAllOnTitleClick(list, SensorField::boolarea);
}

void TZoneForm::runModal(Configuration &configuration, ZoneDevices &devices, QWidget *parent)
{
    devices.prepare();
    TZoneForm form(configuration, devices, parent);
    form.exec();
}

int TZoneForm::currentZone() const
{
    return m_configuration.mtArea().asInteger(ZoneField::id);
}

void TZoneForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TZoneForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TZoneForm::FormShow()
{
    setWindowTitle(zoneDialogCaption(m_configuration.mtArea()));
    m_devices.FormShow(currentZone());
}

void TZoneForm::FormClose()
{
    resetMarkTitles();
}

void TZoneForm::BitBtn1Click()
{
    m_devices.BitBtn1Click(currentZone());
    resetMarkTitles();
}

void TZoneForm::BitBtn2Click()
{
    m_devices.BitBtn2Click(currentZone());
    resetMarkTitles();
}

void TZoneForm::BitBtn3Click()
{
    askRemoval(this, message(MessageId::RemoveDevices));
}

void TZoneForm::resetMarkTitles()
{
    ZoneDialogParts::resetMarkTitles(m_zoneDevices);
    ZoneDialogParts::resetMarkTitles(m_freeDevices);
}
