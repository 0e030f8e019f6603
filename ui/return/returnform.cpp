#include <ui/return/returnform.h>

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

TReturnForm::TReturnForm(Configuration &configuration, ZoneOutputs &outputs, QWidget *parent)
    : QDialog(parent), m_configuration(configuration), m_outputs(outputs)
{
    setObjectName(u"ReturnForm"_s);
    QWidget *panel = fixedFrame(*this, QSize(ClientWidth, ClientHeight));

    m_zoneOutputs = grid(panel, DialogGrids::dbgeReturnZone(), configuration.mtReturn(), { 3, 10, 744, 273 });
    QPushButton *give = pictureButton(panel, "BitBtn1", { 7, 289, 56, 53 }, ":/buttons/arrow-up.svg",
                                      u"Приписать отмеченые выходы к зоне"_s);
    QPushButton *take = pictureButton(panel, "BitBtn2", { 69, 291, 56, 53 }, ":/buttons/arrow-down.svg",
                                      u"Удалить отмеченые выходы из зоны"_s);
    QPushButton *remove = pictureButton(panel, "BitBtn3", { 694, 289, 53, 53 }, ":/buttons/cross.svg",
                                        u"Удалить выделеные устройства из списка доступных "_s);
    m_allOutputs = grid(panel, DialogGrids::dbgeReturnAcc(), configuration.mtReturnCopy(), { 7, 350, 740, 273 });

    connect(give, &QPushButton::clicked, this, &TReturnForm::BitBtn1Click);
    connect(take, &QPushButton::clicked, this, &TReturnForm::BitBtn2Click);
    connect(remove, &QPushButton::clicked, this, &TReturnForm::BitBtn3Click);
    for (DataGrid *list : { m_zoneOutputs, m_allOutputs })
        markAllOnTitleClick(list, OutputField::boolarea);
}

void TReturnForm::runModal(Configuration &configuration, ZoneOutputs &outputs, QWidget *parent)
{
    outputs.prepare();
    TReturnForm form(configuration, outputs, parent);
    form.exec();
}

void TReturnForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TReturnForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TReturnForm::FormShow()
{
    setWindowTitle(zoneDialogCaption(m_configuration.mtArea()));
    m_outputs.FormShow();
}

void TReturnForm::FormClose()
{
    resetMarkTitles();
}

void TReturnForm::BitBtn1Click()
{
    m_outputs.BitBtn1Click();
    resetMarkTitles();
}

void TReturnForm::BitBtn2Click()
{
    m_outputs.BitBtn2Click();
    resetMarkTitles();
}

void TReturnForm::BitBtn3Click()
{
    askRemoval(this, message(MessageId::RemoveOutputs));
}

void TReturnForm::resetMarkTitles()
{
    ZoneDialogParts::resetMarkTitles(m_zoneOutputs);
    ZoneDialogParts::resetMarkTitles(m_allOutputs);
}
