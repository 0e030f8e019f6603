#include <ui/main/mainform.h>

#include <messages/messages.h>
#include <model/memtablemodel.h>
#include <report/handoverreport.h>
#include <report/reportdocument.h>
#include <storage/csvlists.h>
#include <storage/imagebuilder.h>
#include <storage/writecheck.h>
#include <ui/about/aboutform.h>
#include <ui/backups/backupsform.h>
#include <ui/comparison/comparisonform.h>
#include <ui/controls/abutton.h>
#include <ui/controls/apanel.h>
#include <ui/controls/pagecontrol.h>
#include <ui/controls/svgpicture.h>
#include <ui/main/filedialogs.h>
#include <ui/main/pagecontents.h>
#include <ui/newsensor/newsensorform.h>
#include <ui/return/returnform.h>
#include <ui/setup/setupdialog.h>
#include <ui/zone/zoneform.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTime>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString Caption = u"Mirvane программа для чтения, записи настроек прибора \"Ворсен-А\" "_s;
const QColor PageColour(229, 229, 229);
constexpr int PageWidth = 866;
constexpr int PageHeight = 557;
const QString VerifyAfterWriteKey = u"Options/VerifyAfterWrite"_s;
const QString LastFolderKey = u"Options/LastFolder"_s;

struct ToolButton
{
    const char *component;
    int x;
    const char *hint;
    const char *picture;
    void (TMainForm::*handler)();
};

const ToolButton ToolButtons[] = {
    { "AButton1", 8, "Открыть файл", ":/toolbar/open.svg", &TMainForm::N3Click },
    { "AButton2", 78, "Записать файл", ":/toolbar/save.svg", &TMainForm::N4Click },
    { "AButton3", 220, "Заводские настройки", ":/toolbar/factory.svg", &TMainForm::N7Click },
    { "AButton4", 280, "Загрузить в прибор", ":/toolbar/write.svg", &TMainForm::N8Click },
    { "AButton5", 340, "Прочитать из прибора", ":/toolbar/read.svg", &TMainForm::N9Click },
    { "AButton7", 548, "Настройка COM-порта", ":/toolbar/port.svg", &TMainForm::COM1Click },
    { "AButton8", 609, "Переход в рабочий режим", ":/toolbar/workmode.svg", &TMainForm::N14Click },
};

struct MenuItem
{
    const char *component; // nullptr: a separator, named by `caption`
    const char *caption;
    void (TMainForm::*handler)();
};

struct Menu
{
    const char *component;
    const char *caption;
    std::initializer_list<MenuItem> items;
};

const Menu Menus[] = {
    { "A1", "Файл",
      { { "N3", "Открыть файл", &TMainForm::N3Click },
        { "N4", "Записать файл", &TMainForm::N4Click },
        { nullptr, "N5", nullptr },
        { "N6", "Выход", &TMainForm::N6Click } } },
    { "N1", "Опции",
      { { "N7", "Заводские настройки", &TMainForm::N7Click },
        { "N8", "Загрузить в прибор", &TMainForm::N8Click },
        { "N9", "Прочитать из прибора", &TMainForm::N9Click },
        { nullptr, "N13", nullptr },
        { "COM1", "Настройка COM порта", &TMainForm::COM1Click },
        { "N14", "Переход в рабочий режим", &TMainForm::N14Click } } },
    { "N2", "Помощь",
      { { "N10", "Помощь", &TMainForm::N10Click },
        { nullptr, "N11", nullptr },
        { "N12", "О програме", &TMainForm::N12Click } } },
};

// Keys of the commands used most, shown beside their menu items. Writing is kept apart
// from reading by Ctrl, so that a slip of the finger does not overwrite the panel.
const std::pair<const char *, QKeyCombination> Shortcuts[] = {
    { "N3", Qt::CTRL | Qt::Key_O }, { "N4", Qt::CTRL | Qt::Key_S }, { "N9", QKeyCombination(Qt::Key_F5) },
    { "N8", Qt::CTRL | Qt::Key_F5 }, { "COM1", QKeyCombination(Qt::Key_F9) },
};

struct Page
{
    const char *component;
    const char *caption;
    void (*fill)(QWidget *panel, PageServices services);
};

const Page Pages[] = {
    { "TabSheet1", "Конфигурация зон", &PageContents::zones },
    { "TabSheet7", "Конфигурация модулей", &PageContents::modules },
    { "TabSheet2", "Конфигурация выходов", &PageContents::outputs },
    { "TabSheet3", "Конфигурация входов", &PageContents::inputs },
    { "TabSheet4", "Конфигурация системы", &PageContents::system },
    { "TabSheet6", "Настройки коммуникатора", &PageContents::communicator },
};

// The program's own questions: "Да" or "Нет", and "Нет" when Return is pressed unread.
bool askYesNo(QWidget *parent, QMessageBox::Icon icon, const QString &component, const QString &text)
{
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(component);
    box.button(QMessageBox::Yes)->setText(u"Да"_s);
    box.button(QMessageBox::No)->setText(u"Нет"_s);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

// A list for a message box: what fits on the screen, and how many more there are.
QString shownLines(const QStringList &lines)
{
    constexpr int Shown = 15;
    QStringList shown = lines.mid(0, Shown);
    if (lines.size() > Shown)
        shown << message(MessageId::MoreLines).arg(lines.size() - Shown);
    return shown.join(u'\n');
}

QString applicationDir(const MainFormEnvironment &environment)
{
    return environment.applicationDir.isEmpty() ? QCoreApplication::applicationDirPath() : environment.applicationDir;
}

} // namespace

TMainForm::TMainForm(const MainFormEnvironment &environment, QWidget *parent)
    : QMainWindow(parent),
      m_environment(environment),
      m_notifier(this),
      m_files(m_configuration, m_notifier),
      m_unsaved(m_configuration),
      m_filters(m_configuration),
      m_assignment(m_configuration),
      m_availableZones(m_configuration),
      m_zoneDevices(m_configuration),
      m_zoneOutputs(m_configuration),
      m_history(m_configuration),
      m_find(m_configuration),
      m_portStore(environment.portSettingsFile.isEmpty() ? PortSettingsStore()
                                                         : PortSettingsStore(environment.portSettingsFile)),
      m_channel(m_link),
      m_backups(environment.backupFolder.isEmpty() ? BackupStore::defaultFolder() : environment.backupFolder),
      m_transfer(m_channel, m_configuration, m_notifier),
      m_search(m_channel, m_configuration, m_notifier),
      m_progress(this, [this](const QString &text) { setStatusText(text); }),
      m_help(this, [this](const QWidget *window) {
          return window == this ? m_pages->currentWidget()->objectName() : QString();
      })
{
    setObjectName(u"MainForm"_s);
    setWindowTitle(Caption);
    // Minimise and the system menu only: the pages are laid out for this one size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    createMenu();
    auto *client = new QWidget(this);
    client->setObjectName(u"ClientArea"_s);
    client->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
    setCentralWidget(client);
    createToolBar(client);
    createPages(client);
    createStatusBar();
    // On the page tabs, not the tool bar before them: Shift+Tab reaches the tool bar from there.
    m_pages->setFocus();
    setFixedSize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const QString traceFile = qEnvironmentVariable("MIRVANE_TRACE");
    if (!traceFile.isEmpty()) {
        m_trace = std::make_unique<FrameTrace>(m_channel, traceFile);
        if (!m_trace->isOpen())
            qWarning("MIRVANE_TRACE: cannot write %s: %s", qPrintable(traceFile), qPrintable(m_trace->errorString()));
    }
    m_transfer.setProgress(&m_progress);
    m_progress.setCancel([this] { m_transfer.cancel(); });
    m_transfer.setBackups(&m_backups);
    // Esc ends a transfer; only while one runs, so that it keeps its usual meaning.
    m_cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { m_transfer.cancel(); });
    m_cancel->setContext(Qt::ApplicationShortcut); // the progress window is in front
    m_cancel->setEnabled(false);
    connect(&m_transfer, &MemoryTransfer::finished, this, &TMainForm::transferFinished);
    connect(&m_transfer, &MemoryTransfer::configurationLoaded, this, [this] {
        m_documentName = u"Прочитано из прибора %1"_s.arg(QDateTime::currentDateTime().toString(u"dd.MM.yyyy HH:mm"_s));
    });
    connect(&m_transfer, &MemoryTransfer::compared, this,
            [this](const QStringList &differences) { m_comparison = differences; });
    connect(&m_transfer, &MemoryTransfer::finished, this, &TMainForm::updateEditMenu);
    FormCreate();
    followChanges();
}

TMainForm::~TMainForm()
{
    // The window's own closing moves the focus after the timer has gone.
    disconnect(m_focusFollowed);
}

void TMainForm::FormCreate()
{
    // The transfer starts idle and the rows exist: the configuration made them as it came.
    m_pages->setCurrentIndex(0);
    PageControlChange();
    QString error;
    if (!m_portStore.LoadSettings(m_portSettings, &error))
        m_notifier.error(error);
}

void TMainForm::createMenu()
{
    menuBar()->setObjectName(u"MainMenu"_s);
    for (const Menu &menu : Menus) {
        // The first letter, underlined, opens the menu with Alt.
        QMenu *submenu = menuBar()->addMenu(u'&' + QString::fromUtf8(menu.caption));
        submenu->setObjectName(QString::fromLatin1(menu.component));
        for (const MenuItem &item : menu.items) {
            QAction *action = item.component ? submenu->addAction(QString::fromUtf8(item.caption))
                                             : submenu->addSeparator();
            action->setObjectName(QString::fromLatin1(item.component ? item.component : item.caption));
            if (item.handler)
                connect(action, &QAction::triggered, this, item.handler);
        }
    }
    for (const auto &[component, key] : Shortcuts) {
        auto *action = menuBar()->findChild<QAction *>(QString::fromLatin1(component));
        action->setShortcut(key);
        action->setAutoRepeat(false); // held down, a key would start a transfer anew on every repeat
    }
    // F10 takes the keyboard to the menu bar, its first menu open.
    new QShortcut(Qt::Key_F10, this, [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
    createOptions();
    createFileOwn();
    createEditMenu();
    createHelpOwn();
}

// The manual, after a separator at the end of "Помощь", whose own item stays as it is.
void TMainForm::createHelpOwn()
{
    QMenu *help = menuBar()->findChild<QMenu *>(u"N2"_s);
    help->addSeparator()->setObjectName(u"HelpOwn"_s);
    QAction *manual = help->addAction(u"Руководство пользователя"_s, this, &TMainForm::openManual);
    manual->setObjectName(u"Manual"_s);
    manual->setShortcut(QKeySequence(Qt::Key_F1));
}

// The program's own file commands, after a separator before "Выход".
void TMainForm::createFileOwn()
{
    QMenu *file = menuBar()->findChild<QMenu *>(u"A1"_s);
    QAction *exit = file->findChild<QAction *>(u"N6"_s);
    const auto add = [&](const QString &component, const QString &caption, void (TMainForm::*handler)()) {
        auto *action = new QAction(caption, file);
        action->setObjectName(component);
        connect(action, &QAction::triggered, this, handler);
        file->insertAction(exit, action);
    };
    add(u"Report"_s, u"Отчёт…"_s, &TMainForm::saveReport);
    add(u"ExportCsv"_s, u"Экспорт в CSV…"_s, &TMainForm::exportCsv);
    add(u"ImportZoneNames"_s, u"Импорт имён зон из CSV…"_s, &TMainForm::importZoneNames);
    file->insertSeparator(exit)->setObjectName(u"FileOwn"_s);
}

// The program's own options, after the separator at the end of "Опции".
void TMainForm::createOptions()
{
    QMenu *options = menuBar()->findChild<QMenu *>(u"N1"_s);
    options->addSeparator()->setObjectName(u"OptionsOwn"_s);
    QAction *verify = options->addAction(u"Проверять после записи"_s);
    verify->setObjectName(u"VerifyAfterWrite"_s);
    verify->setCheckable(true);
    verify->setChecked(userSettings()->value(VerifyAfterWriteKey, true).toBool());
    m_transfer.setVerifyAfterWrite(verify->isChecked());
    connect(verify, &QAction::toggled, this, [this](bool on) {
        m_transfer.setVerifyAfterWrite(on);
        userSettings()->setValue(VerifyAfterWriteKey, on);
    });
    QAction *backups = options->addAction(u"Резервные копии…"_s);
    backups->setObjectName(u"Backups"_s);
    connect(backups, &QAction::triggered, this, &TMainForm::openBackup);
    QAction *compare = options->addAction(u"Сравнить с прибором"_s);
    compare->setObjectName(u"CompareWithPanel"_s);
    connect(compare, &QAction::triggered, this, &TMainForm::compareWithPanel);
}

// A kept copy is opened like any file, unsaved changes asked about first.
void TMainForm::openBackup()
{
    if (!unsavedChangesSettled())
        return;
    TBackupsForm dialog(m_backups, this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenFile().isEmpty())
        return;
    if (m_files.openFile(dialog.chosenFile()))
        m_documentName = QDir::toNativeSeparators(dialog.chosenFile());
    PageControlChange();
}

std::unique_ptr<QSettings> TMainForm::userSettings() const
{
    // Beside the port settings a test points elsewhere; the user's store otherwise.
    if (!m_environment.portSettingsFile.isEmpty())
        return std::make_unique<QSettings>(m_environment.portSettingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Mirvane"_s, u"Options"_s);
}

QString TMainForm::lastFolder() const
{
    return userSettings()->value(LastFolderKey).toString();
}

void TMainForm::rememberFolder(const QString &folder)
{
    if (!folder.isEmpty())
        userSettings()->setValue(LastFolderKey, folder);
}

void TMainForm::rememberFolderOf(const QString &fileName)
{
    if (!fileName.isEmpty())
        rememberFolder(QFileInfo(fileName).absolutePath());
}

void TMainForm::createToolBar(QWidget *client)
{
    m_toolBar = new TAPanel(client);
    m_toolBar->setObjectName(u"APanel1"_s);
    m_toolBar->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    m_toolBar->setBackGround(QColor(255, 251, 240));
    m_toolBar->setBorderColor(QColor(192, 192, 192));
    m_toolBar->setGlowColor(QColor(0, 128, 255));
    m_toolBar->setRound(0);
    for (const ToolButton &spec : ToolButtons) {
        auto *button = new TAButton(m_toolBar);
        const QString hint = QString::fromUtf8(spec.hint);
        button->setObjectName(QString::fromLatin1(spec.component));
        button->move(spec.x, 3);
        button->setTrabsparent(true);
        button->setImage(svgPicture(QString::fromLatin1(spec.picture), QSize(48, 48)));
        // The hint reaches only the status bar: no balloon.
        button->setStatusTip(hint);
        button->setAccessibleName(hint);
        connect(button, &TAButton::clicked, this, spec.handler);
    }
}

void TMainForm::createPages(QWidget *client)
{
    m_pages = new PageControl(client);
    m_pages->setObjectName(u"PageControl"_s);
    m_pages->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight - StatusBarHeight);
    const PageServices services { m_configuration, m_filters, m_assignment, m_notifier,
                                  [this] { BitBtn1Click(); }, [this] { BitBtn2Click(); },
                                  [this] { BitBtn7Click(); } };
    for (const Page &spec : Pages) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(spec.component));
        auto *panel = new QFrame;
        panel->setObjectName(page->objectName() + u"Panel"_s);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, PageColour);
        panel->setPalette(palette);
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        // The grids are placed for this page size, whatever frame the style draws around it.
        panel->setFixedSize(PageWidth, PageHeight);
        layout->addWidget(panel, 0, Qt::AlignCenter);
        spec.fill(panel, services);
        m_pages->addTab(page, QString::fromUtf8(spec.caption));
    }
    // A page chosen by mouse or keyboard alike.
    connect(m_pages, &QTabWidget::currentChanged, this, &TMainForm::PageControlChange);
    // Wherever the focus is in the window, not only on the page's tabs.
    const auto turnPage = [this](int by) {
        m_pages->setCurrentIndex((m_pages->currentIndex() + by + m_pages->count()) % m_pages->count());
    };
    new QShortcut(Qt::CTRL | Qt::Key_Tab, this, [turnPage] { turnPage(1); });
    // Shift with Tab arrives as Backtab.
    new QShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, this, [turnPage] { turnPage(-1); });
}

void TMainForm::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(u"StatusBar"_s);
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusBarHeight);
    m_statusPanel = new QLabel(u" "_s, bar);
    m_statusPanel->setObjectName(u"StatusPanel"_s);
    bar->addWidget(m_statusPanel, 1);
}

QString TMainForm::statusText() const
{
    return m_statusPanel->text();
}

void TMainForm::setStatusText(const QString &text)
{
    m_statusPanel->setText(text);
}

bool TMainForm::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        setStatusText(u' ' + static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::PageControlChange()
{
    m_filters.PageControlChange(m_pages->currentIndex());
}

bool TMainForm::unsavedChangesSettled()
{
    if (!m_unsaved.exist())
        return true;
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), message(MessageId::SaveChanges),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(u"Да"_s);
    box.button(QMessageBox::No)->setText(u"Нет"_s);
    box.button(QMessageBox::Cancel)->setText(u"Отмена"_s);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return saveFile();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TMainForm::N3Click()
{
    if (!unsavedChangesSettled())
        return;
    const QString name = FileDialogs::openFileName(this, lastFolder());
    rememberFolderOf(name);
    if (name.isEmpty())
        PageControlChange();
    else
        openFileNamed(name);
}

void TMainForm::openFileNamed(const QString &name)
{
    // A report names the document wherever the program was started from.
    const QString path = QFileInfo(name).absoluteFilePath();
    if (m_files.openFile(path))
        m_documentName = QDir::toNativeSeparators(path);
    PageControlChange();
}

bool TMainForm::writeCheckAccepted(MessageId question)
{
    const QStringList problems = WriteCheck::problems(m_configuration);
    if (problems.isEmpty())
        return true;
    return askYesNo(this, QMessageBox::Warning, u"WriteCheck"_s, message(question).arg(shownLines(problems)));
}

bool TMainForm::saveFile()
{
    if (!writeCheckAccepted(MessageId::WriteCheckFile))
        return false;
    commitStep();
    m_files.buildImage();
    m_history.rebase();
    const QString name = FileDialogs::saveFileName(this, lastFolder());
    rememberFolderOf(name);
    const bool saved = !name.isEmpty() && m_files.saveFile(name);
    if (saved) {
        m_unsaved.markKept();
        m_documentName = QDir::toNativeSeparators(name);
    }
    PageControlChange();
    return saved;
}

void TMainForm::N4Click()
{
    saveFile();
}

void TMainForm::N6Click()
{
    close();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!unsavedChangesSettled()) {
        event->ignore();
        return;
    }
    m_channel.close();
    event->accept();
}

void TMainForm::N7Click()
{
    if (!unsavedChangesSettled())
        return;
    if (m_files.restoreFactorySettings(applicationDir(m_environment)))
        m_documentName = u"Заводские настройки"_s;
    PageControlChange();
}

void TMainForm::N8Click()
{
    if (!writeCheckAccepted(MessageId::WriteCheckPanel))
        return;
    commitStep();
    m_cancel->setEnabled(m_transfer.writeToPanel(m_portSettings));
    m_history.rebase(); // the write built the image first
}

void TMainForm::N9Click()
{
    if (!unsavedChangesSettled())
        return;
    m_cancel->setEnabled(m_transfer.readFromPanel(m_portSettings));
}

// Nothing in the program changes, so unsaved changes need not be asked about.
void TMainForm::compareWithPanel()
{
    m_comparison.reset();
    m_cancel->setEnabled(m_transfer.compareWithPanel(m_portSettings));
}

void TMainForm::transferFinished(bool success)
{
    m_cancel->setEnabled(false);
    // The caption of a transfer left standing would read as one still running.
    setStatusText(m_transfer.outcome().statusText(QTime::currentTime()));
    if (m_comparison) {
        // Not modal from inside the port's delivery: the window opens once that is over.
        auto *found = new TComparisonForm(*std::exchange(m_comparison, std::nullopt), this);
        found->setAttribute(Qt::WA_DeleteOnClose);
        found->open();
    }
    // What the panel now holds is kept, like a saved file; a read is kept by its load. Only
    // the transfer that just ended counts: a write that never started, or one that a
    // working-mode command cut short, left the panel without the edits.
    if (success && m_transfer.outcome().kind == TransferOutcome::Kind::Write)
        m_unsaved.markKept();
    PageControlChange();
}

void TMainForm::saveReport()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = FileDialogs::reportFileName(this, u"Отчёт %1.pdf"_s.arg(now.toString(u"yyyy-MM-dd"_s)),
                                                     lastFolder());
    if (name.isEmpty())
        return;
    rememberFolderOf(name);
    const ReportContent report =
            handoverReport(m_configuration,
                           { m_documentName, ImageBuilder::builtAside(m_configuration), now, m_unsaved.exist() });
    QString error;
    if (!ReportDocument::save(report, name, &error)) {
        m_notifier.warning(error);
        return;
    }
    if (!askYesNo(this, QMessageBox::Question, u"PrintReport"_s,
                  message(MessageId::ReportSavedPrint).arg(QDir::toNativeSeparators(name))))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(ReportDocument::a4());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted && ReportDocument::paint(report, printer) == 0)
        m_notifier.warning(message(MessageId::ReportNotPrinted));
}

void TMainForm::exportCsv()
{
    const QString folder = FileDialogs::csvFolder(this, lastFolder());
    if (folder.isEmpty())
        return;
    rememberFolder(folder);
    // Lists kept there may have been edited by hand since: they are replaced only when asked.
    QStringList present;
    for (const QString &name : CsvLists::listFileNames()) {
        if (QFileInfo::exists(QDir(folder).filePath(name)))
            present << name;
    }
    if (!present.isEmpty()
        && !askYesNo(this, QMessageBox::Question, u"ReplaceCsv"_s,
                     message(MessageId::ReplaceLists).arg(QDir::toNativeSeparators(folder), present.join(u", "_s))))
        return;
    QString error;
    const QStringList written = CsvLists::exportLists(m_configuration, folder, &error);
    if (written.isEmpty()) {
        m_notifier.warning(error);
        return;
    }
    QStringList names;
    for (const QString &path : written)
        names << QFileInfo(path).fileName();
    m_notifier.information(
            message(MessageId::ListsWritten).arg(QDir::toNativeSeparators(folder), names.join(u", "_s)));
}

// All or nothing: a file with any line refused changes no name.
void TMainForm::importZoneNames()
{
    const QString name = FileDialogs::csvFileName(this, lastFolder());
    if (name.isEmpty())
        return;
    rememberFolderOf(name);
    QStringList refusals;
    QString error;
    m_history.nameNextStep(u"Импорт имён зон"_s);
    const std::optional<int> named = CsvLists::importZoneNames(m_configuration, name, &refusals, &error);
    if (!named) {
        if (!error.isEmpty()) {
            m_notifier.warning(error);
            return;
        }
        m_notifier.warning(message(MessageId::ZoneNamesRefused).arg(shownLines(refusals)));
        return;
    }
    m_notifier.information(message(MessageId::ZoneNamesTaken).arg(*named));
    PageControlChange();
}

void TMainForm::BitBtn1Click()
{
    const QString name = u"Устройства зоны %1"_s.arg(m_configuration.mtArea().asInteger(ZoneField::id));
    asOneStep([this] { TZoneForm::runModal(m_configuration, m_zoneDevices, this); }, [name] { return name; });
}

void TMainForm::BitBtn2Click()
{
    const QString name = u"Выходы зоны %1"_s.arg(m_configuration.mtArea().asInteger(ZoneField::id));
    asOneStep([this] { TReturnForm::runModal(m_configuration, m_zoneOutputs, this); }, [name] { return name; });
}

void TMainForm::BitBtn7Click()
{
    const int before = m_configuration.mtSensor().rowCount();
    asOneStep(
            [this] {
                // The window of a transfer left open goes before the search's own opens.
                TNewSensorForm::runSearch(m_search, m_portSettings,
                                          m_configuration.mtDev().asInteger(ModuleField::addr),
                                          m_configuration.settings().edAddrKLM, m_configuration, this,
                                          [this] { m_progress.finish(); });
            },
            [this, before] { return EditHistory::searchStepName(m_configuration.mtSensor().rowCount() - before); });
}

void TMainForm::asOneStep(const std::function<void()> &action, const std::function<QString()> &named)
{
    commitStep(); // what came before is a step of its own
    ++m_commitsHeld;
    action();
    --m_commitsHeld;
    m_history.nameNextStep(named());
    commitStep();
}

void TMainForm::createEditMenu()
{
    QMenu *options = menuBar()->findChild<QMenu *>(u"N1"_s);
    auto *edit = new QMenu(u"П&равка"_s, this); // П opens "Помощь" already
    edit->setObjectName(u"Edit"_s);
    menuBar()->insertMenu(options->menuAction(), edit);
    m_undo = edit->addAction(u"Отменить"_s, this, &TMainForm::undoStep);
    m_undo->setObjectName(u"Undo"_s);
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = edit->addAction(u"Повторить"_s, this, &TMainForm::redoStep);
    m_redo->setObjectName(u"Redo"_s);
    m_redo->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) });
    edit->addSeparator()->setObjectName(u"EditFind"_s);
    QAction *find = edit->addAction(u"Найти…"_s, this, &TMainForm::findText);
    find->setObjectName(u"Find"_s);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    QAction *next = edit->addAction(u"Найти далее"_s, this, &TMainForm::findNext);
    next->setObjectName(u"FindNext"_s);
    next->setShortcut(QKeySequence(Qt::Key_F3));
    connect(&m_history, &EditHistory::changed, this, &TMainForm::updateEditMenu);
    updateEditMenu();
}

void TMainForm::followChanges()
{
    m_commitTimer.setSingleShot(true);
    m_commitTimer.setInterval(0);
    // What is typed into a settings box is one step, not one a key: it is taken when the
    // box loses the focus (or before an undo, a save, a write).
    connect(&m_commitTimer, &QTimer::timeout, this, [this] {
        const QWidget *focus = QApplication::focusWidget();
        const bool typing = (qobject_cast<const QLineEdit *>(focus) || qobject_cast<const QAbstractSpinBox *>(focus))
                && m_pages->isAncestorOf(focus);
        if (!typing)
            commitStep();
    });
    const auto schedule = [this] {
        if (m_commitsHeld == 0)
            m_commitTimer.start();
    };
    m_focusFollowed = connect(qApp, &QApplication::focusChanged, this, schedule);
    for (MemTable *table : m_configuration.tables()) {
        connect(table, &MemTable::rowChanged, this, schedule);
        connect(table, &MemTable::rowInserted, this, schedule);
        connect(table, &MemTable::rowRemoved, this, schedule);
        connect(table, &MemTable::reset, this, schedule);
        // No step, but where the next one starts: its undo puts the row back.
        connect(table, &MemTable::currentRowChanged, this, schedule);
    }
    connect(&m_configuration.notices(), &ConfigurationNotices::settingsChanged, this, schedule);
    // The outputs page's two buttons.
    for (const auto &[button, name] : { std::pair(u"BitBtn4"_s, u"Выход зонам"_s), std::pair(u"BitBtn3"_s, u"Выход из зон"_s) }) {
        for (QAbstractButton *found : m_pages->findChildren<QAbstractButton *>(button))
            connect(found, &QAbstractButton::clicked, &m_history, [this, name = name] { m_history.nameNextStep(name); });
    }
    // A grid's edit names its step after the cell.
    for (MemTableModel *model : findChildren<MemTableModel *>())
        connect(model, &MemTableModel::aboutToEdit, &m_history, &EditHistory::nameNextStep);
    m_history.clear(); // the rows the window made at start are no step
}

void TMainForm::commitStep()
{
    m_commitTimer.stop();
    if (m_commitsHeld == 0)
        m_history.commit();
}

void TMainForm::updateEditMenu()
{
    const bool idle = !m_transfer.isTransferring();
    m_undo->setEnabled(idle && m_history.canUndo());
    m_undo->setText(m_history.canUndo() ? u"Отменить: "_s + m_history.undoName() : u"Отменить"_s);
    m_redo->setEnabled(idle && m_history.canRedo());
    m_redo->setText(m_history.canRedo() ? u"Повторить: "_s + m_history.redoName() : u"Повторить"_s);
}

void TMainForm::undoStep()
{
    if (m_transfer.isTransferring())
        return;
    m_history.undo();
}

void TMainForm::redoStep()
{
    if (m_transfer.isTransferring())
        return;
    m_history.redo();
}

void TMainForm::findText()
{
    QInputDialog dialog(this);
    dialog.setObjectName(u"FindDialog"_s); // F1 there opens the manual at find
    dialog.setWindowTitle(u"Найти"_s);
    dialog.setLabelText(u"Номер или часть имени зоны, серийный номер или модуль.адрес устройства,\n"
                        "модуль.выход или часть названия модуля:"_s);
    dialog.setTextValue(m_find.text());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString text = dialog.textValue();
    if (text.trimmed().isEmpty())
        return;
    showFound(m_find.find(text), text);
}

void TMainForm::findNext()
{
    if (m_find.text().isEmpty()) {
        findText();
        return;
    }
    showFound(m_find.findNext(), m_find.text());
}

void TMainForm::showFound(const std::optional<FoundRow> &match, const QString &text)
{
    if (!match) {
        setStatusText(ConfigurationFind::notFound(text));
        return;
    }
    m_pages->setCurrentIndex(int(match->page()));
    ConfigurationFind::show(m_configuration, m_filters, *match);
}

void TMainForm::COM1Click()
{
    QString error;
    if (!m_portStore.LoadSettings(m_portSettings, &error))
        m_notifier.error(error);
    SetupDialog dialog(m_portSettings, this);
    dialog.exec();
    const PortSettings chosen = dialog.settings();
    const bool reopen = m_channel.isOpen() && chosen != m_portSettings;
    m_portSettings = chosen;
    if (reopen) {
        m_channel.close();
        if (!m_channel.open(m_portSettings, &error))
            m_notifier.warning(error);
    }
    if (!m_portStore.StoreSettings(m_portSettings, &error))
        m_notifier.error(error);
}

void TMainForm::N14Click()
{
    m_transfer.switchToWorkingMode(m_portSettings);
}

void TMainForm::openManual()
{
    m_help.openForActiveWindow();
}

void TMainForm::N12Click()
{
    TAboutForm about(this);
    about.exec();
}
