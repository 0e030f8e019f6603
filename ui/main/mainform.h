#pragma once

#include <exchange/devicesearch.h>
#include <exchange/memorytransfer.h>
#include <link/frametrace.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <link/portsettingsstore.h>
#include <link/qtseriallink.h>
#include <messages/messages.h>
#include <model/availablezones.h>
#include <model/configuration.h>
#include <model/configurationfind.h>
#include <model/edithistory.h>
#include <model/outputassignment.h>
#include <model/pagefilters.h>
#include <model/zonemembership.h>
#include <model/unsavedchanges.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <ui/help/helplauncher.h>
#include <ui/main/messageboxnotifier.h>
#include <ui/progress/progresswindow.h>

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QSettings;
class QShortcut;
class QLabel;
class QTabWidget;
class TAButton;
class TAPanel;

// Where the window finds what lies outside it; tests point these at their own folders.
struct MainFormEnvironment
{
    QString applicationDir; // holds "adjustments"; the executable's folder when empty
    QString portSettingsFile; // an INI file instead of the user's store when not empty
    QString backupFolder; // the copies of what was read and written; the user's when empty
};

// The program's one main window: it owns the configuration, the port and the transfer,
// and binds its menu, tool bar, pages and status bar to them.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 874;
    static constexpr int ClientHeight = 672;
    static constexpr int ToolBarHeight = 68;
    static constexpr int StatusBarHeight = 19;

    explicit TMainForm(const MainFormEnvironment &environment = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    Configuration &configuration() { return m_configuration; }
    const PortSettings &portSettings() const { return m_portSettings; }
    MemoryTransfer &transfer() { return m_transfer; }
    DeviceSearch &search() { return m_search; }
    QString statusText() const;

    // The commands, each called alike from its menu item and its tool-bar button.
    void N3Click(); // open file
    // "Открыть файл" for a file named beforehand, as on the command line.
    void openFileNamed(const QString &name);
    void N4Click(); // save file
    void N6Click(); // exit
    void N7Click(); // factory settings
    void N8Click(); // write to the panel
    void N9Click(); // read from the panel
    void COM1Click(); // port setup
    void N14Click(); // working mode
    void N12Click(); // about box
    void openManual(); // "Руководство пользователя"
    void N10Click() { } // "Помощь": the item is there and does nothing
    void openBackup(); // "Резервные копии…"
    void compareWithPanel(); // "Сравнить с прибором"
    void saveReport(); // "Отчёт…"
    void exportCsv(); // "Экспорт в CSV…"
    void importZoneNames(); // "Импорт имён зон из CSV…"
    void BitBtn1Click(); // zones page: the zone's devices
    void BitBtn2Click(); // zones page: the zone's outputs
    void BitBtn7Click(); // modules page: search for new devices
    // "Правка"
    void undoStep();
    void redoStep();
    void findText();
    void findNext();
    EditHistory &history() { return m_history; }

    // Re-applies the filters of the page shown.
    void PageControlChange();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Command
    {
        const char *component;
        const char *caption;
        void (TMainForm::*handler)();
    };

    void FormCreate();
    void createMenu();
    void createOptions();
    void createFileOwn();
    void createEditMenu();
    void createHelpOwn();
    // Each action is one step: its changes are committed once control is back in the event loop.
    void followChanges();
    void commitStep();
    void updateEditMenu();
    // Runs `action` (a dialog, a search) as one step called `name`, or as `named` says after it.
    void asOneStep(const std::function<void()> &action, const std::function<QString()> &named);
    void showFound(const std::optional<FoundRow> &match, const QString &text);
    std::unique_ptr<QSettings> userSettings() const;
    // The file dialogs open where the user last chose something, kept per user.
    QString lastFolder() const;
    void rememberFolder(const QString &folder);
    void rememberFolderOf(const QString &fileName);
    void createToolBar(QWidget *client);
    void createPages(QWidget *client);
    void createStatusBar();
    void setStatusText(const QString &text);
    // Asks whether to save first; false when the user chose to stay (or the save failed).
    bool unsavedChangesSettled();
    bool saveFile();
    // What the image cannot hold, asked about with `question`; true when there is none or
    // the user goes on all the same.
    bool writeCheckAccepted(MessageId question);
    void transferFinished(bool success);

    MainFormEnvironment m_environment;
    Configuration m_configuration;
    MessageBoxNotifier m_notifier;
    FileCommands m_files;
    UnsavedChanges m_unsaved;
    PageFilters m_filters;
    OutputAssignment m_assignment;
    AvailableZones m_availableZones;
    ZoneDevices m_zoneDevices;
    ZoneOutputs m_zoneOutputs;
    EditHistory m_history;
    ConfigurationFind m_find;
    QTimer m_commitTimer;
    int m_commitsHeld = 0; // while a dialog's or a search's changes make one step
    QMetaObject::Connection m_focusFollowed;
    PortSettingsStore m_portStore;
    PortSettings m_portSettings;
    QtSerialLink m_link;
    PacketChannel m_channel;
    std::unique_ptr<FrameTrace> m_trace; // MIRVANE_TRACE=FILE: every frame, for a fault report
    BackupStore m_backups;
    MemoryTransfer m_transfer;
    DeviceSearch m_search;
    ProgressWindow m_progress;
    QString m_documentName; // where the configuration shown came from, as a report names it
    std::optional<QStringList> m_comparison; // what the comparison under way found
    HelpLauncher m_help;

    TAPanel *m_toolBar = nullptr;
    QTabWidget *m_pages = nullptr;
    QLabel *m_statusPanel = nullptr;
    QShortcut *m_cancel = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
};
