#pragma once

#include <QDialog>

#include <functional>

class Configuration;
class DataGrid;
class DeviceSearch;
class QLabel;
struct PortSettings;

// The devices a search finds, listed as they come; the search runs while the window is
// open. A line under the list tells why the search stopped when it stopped on its own.
class TNewSensorForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 842;
    static constexpr int ClientHeight = 373;

    TNewSensorForm(Configuration &configuration, QWidget *parent = nullptr);

    // Shows `reason` under the list; the rows stay.
    void showHalt(const QString &reason);

    // Starts `search` on `module`'s loop (asking the user first) and, once it runs, shows
    // the window modally until the user closes it, which ends the search. `beforeShow`
    // runs just before the window opens. Opens nothing when the search did not start.
    static void runSearch(DeviceSearch &search, const PortSettings &settings, int module,
                          const QString &technologicalAddress, Configuration &configuration, QWidget *parent,
                          std::function<void()> beforeShow);

private:
    DataGrid *m_found;
    QLabel *m_halt;
};
