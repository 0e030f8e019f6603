#pragma once

#include <QDialog>

class Configuration;
class DataGrid;
class ZoneOutputs;

// The outputs of the zone current on the zones page: the zone's outputs above, every
// output below, given and taken by their marks.
class TReturnForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 754;
    static constexpr int ClientHeight = 631;

    // Shows the lists as they stand; ZoneOutputs::prepare() makes the list below first.
    TReturnForm(Configuration &configuration, ZoneOutputs &outputs, QWidget *parent = nullptr);

    // As the zones page opens it: every output copied aside, the dialog run modally, then
    // gone.
    static void runModal(Configuration &configuration, ZoneOutputs &outputs, QWidget *parent);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void resetMarkTitles();

    Configuration &m_configuration;
    ZoneOutputs &m_outputs;
    DataGrid *m_zoneOutputs = nullptr;
    DataGrid *m_allOutputs = nullptr;
};
