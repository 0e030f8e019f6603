#include "mainformfixture.h"
#include "configurationsnapshot.h"
#include "modalanswers.h"
#include "testimages.h"

#include <link/frames.h>
#include <storage/backupstore.h>
#include <storage/imagebuilder.h>
#include <storage/tabfile.h>
#include <ui/comparison/comparisonform.h>
#include <ui/controls/abutton.h>
#include <ui/font/programfont.h>
#include <ui/main/filedialogs.h>
#include <ui/main/mainform.h>
#include <ui/progress/progressform.h>
#include <ui/setup/setupdialog.h>

#ifdef MIRVANE_PANEL
#include "panelprocess.h"
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <QTimer>
#include <QToolTip>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QStringList menuCaptions(const QMenu *menu)
{
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions << (action->isSeparator() ? u"-"_s : action->text());
    return captions;
}

// The status bar once an exchange is over: `text`, then the time it ended, taken between
// `before` and now.
bool endedWith(const QString &status, const QString &text, const QTime &before)
{
    const QString now = QTime::currentTime().toString(u"HH:mm"_s);
    return status == u' ' + text + u' ' + before.toString(u"HH:mm"_s) || status == u' ' + text + u' ' + now;
}

// The lines a label takes on the screen, from its height.
int shownLines(const QLabel &label)
{
    return qRound(double(label.height()) / label.fontMetrics().lineSpacing());
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUp_state();
    void menus_data();
    void menus();
    void toolBar_buttonsAndHints_data();
    void toolBar_buttonsAndHints();
    void menuAndButton_reachTheSameCommand();
    void shortcuts_reachTheirCommands_data();
    void shortcuts_reachTheirCommands();
    void menuBar_reachedByAltAndF10_data();
    void menuBar_reachedByAltAndF10();
    void menuBar_reachedByAltAlone();
    void pages_turnedByCtrlTab();
    void toolBar_reachedByTabAndPressedBySpace();
    void unsavedChanges_askedBeforeTheyAreLost_data();
    void unsavedChanges_askedBeforeTheyAreLost();
    void saveAndOpen_throughTheFileDialogs();
    void fileNamedAtStart_showsItsZones();
    void fileNamedAtStart_badFileToldAsByTheOpenCommand_data();
    void fileNamedAtStart_badFileToldAsByTheOpenCommand();
    void writeCheck_asksBeforeSavingOrWriting_data();
    void writeCheck_asksBeforeSavingOrWriting();
    void fileDialogs_showTheirExactFilters_data();
    void fileDialogs_showTheirExactFilters();
    void fileDialogs_addTabAndStartInTheFolderLastUsed();
    void portSetup_cancelStillStores();
    void verifyAfterWrite_onByDefaultAndKept();
    void backups_listedAndOpened();
    void about_closesOnRelease();
    void writeAndRead_throughTheWindow();
    void escape_cancelsAWrite_data();
    void escape_cancelsAWrite();
    void lostLine_statusSaysWhereTheReadStopped();
    void write_thatCannotStart_keepsTheEditsUnsaved_data();
    void write_thatCannotStart_keepsTheEditsUnsaved();
    void compareWithPanel_showsTheDifferences_data();
    void compareWithPanel_showsTheDifferences();
    void traceVariable_writesEveryFrame();
    void report_savedThenPrintOffered_data();
    void report_savedThenPrintOffered();
    void csv_exportedAndZoneNamesTakenBack();
    void keyMessages_showTheirLineBreaks_data();
    void keyMessages_showTheirLineBreaks();

private:
    void createForm();
#ifdef MIRVANE_PANEL
    // The port set to the panel's through the setup dialog, as a user would.
    void choosePort(const PanelProcess &panel);
#endif

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
    QString m_savedCurrent;
};

void TestMainForm::initTestCase()
{
    QApplication::setApplicationName(u"Mirvane"_s);
    Q_INIT_RESOURCE(resources);
    installProgramFont();
}

void TestMainForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // "temp.tab" goes to the current folder.
    m_savedCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"adjustments"_s));
    createForm();
}

void TestMainForm::createForm()
{
    m_form = shownMainForm(*m_dir);
    QVERIFY(m_form);
}

#ifdef MIRVANE_PANEL
void TestMainForm::choosePort(const PanelProcess &panel)
{
    QVERIFY(!panel.port().isEmpty());
    PortSettings settings;
    settings.port = panel.port();
    QString error;
    QVERIFY(PortSettingsStore(m_dir->filePath(u"port.ini"_s)).StoreSettings(settings, &error));
    whenModalOpens([](QWidget *dialog) { pressButton(dialog, u"OK"_s); });
    m_form->COM1Click();
    QCOMPARE(m_form->portSettings().port, panel.port());
}
#endif

void TestMainForm::cleanup()
{
    m_form.reset();
    QDir::setCurrent(m_savedCurrent);
    m_dir.reset();
}

void TestMainForm::startUp_state()
{
    QCOMPARE(m_form->windowTitle(), u"Mirvane программа для чтения, записи настроек прибора \"Ворсен-А\" "_s);
    QCOMPARE(m_form->centralWidget()->width(), 874);
    QCOMPARE(m_form->height() - m_form->menuBar()->height(), 672);
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);

    auto *pages = m_form->findChild<QTabWidget *>(u"PageControl"_s);
    QVERIFY(pages);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(pages->geometry(), QRect(0, 68, 874, 585));
    const QStringList captions { u"Конфигурация зон"_s, u"Конфигурация модулей"_s, u"Конфигурация выходов"_s,
                                 u"Конфигурация входов"_s, u"Конфигурация системы"_s, u"Настройки коммуникатора"_s };
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(pages->tabText(i), captions.at(i));
    QCOMPARE(m_form->statusBar()->height(), 19);
    QCOMPARE(m_form->statusText(), u" "_s);
    QCOMPARE(m_form->configuration().mtArea().recNo(), 1);
    QCOMPARE(m_form->configuration().mtArea().asInteger(ZoneField::id), 1);
    QCOMPARE(m_form->configuration().mtArea().filter(), u""_s);
    QCOMPARE(m_form->configuration().mtSensor().filter(), u"id_area =1"_s);
    QCOMPARE(m_form->configuration().mtReturn().filter(), u"id_return=0"_s);

    // Choosing a page re-applies its filters.
    pages->setCurrentIndex(1);
    QCOMPARE(m_form->configuration().mtSensor().filter(), u"id_dev =1"_s);
    QCOMPARE(m_form->configuration().mtReturn().filter(), u"id_dev =1"_s);
}

void TestMainForm::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("file") << "A1" << "Файл"
                          << QStringList { "Открыть файл", "Записать файл", "-",
                                           // the program's own, after a separator before "Выход"
                                           "Отчёт…", "Экспорт в CSV…", "Импорт имён зон из CSV…", "-", "Выход" };
    QTest::newRow("options") << "N1" << "Опции"
                             << QStringList { "Заводские настройки", "Загрузить в прибор", "Прочитать из прибора", "-",
                                              "Настройка COM порта", "Переход в рабочий режим",
                                              // the program's own, after a separator at the end
                                              "-", "Проверять после записи", "Резервные копии…",
                                              "Сравнить с прибором" };
    QTest::newRow("help") << "N2" << "Помощь"
                          << QStringList { "Помощь", "-", "О програме",
                                           // the program's own, after a separator at the end
                                           "-", "Руководство пользователя" };
}

void TestMainForm::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);

    auto *found = m_form->menuBar()->findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), u'&' + caption); // the caption, its first letter the access key
    QCOMPARE(menuCaptions(found), items);
}

void TestMainForm::toolBar_buttonsAndHints_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("hint");

    QTest::newRow("open") << "AButton1" << 8 << "Открыть файл";
    QTest::newRow("save") << "AButton2" << 78 << "Записать файл";
    QTest::newRow("factory") << "AButton3" << 220 << "Заводские настройки";
    QTest::newRow("write") << "AButton4" << 280 << "Загрузить в прибор";
    QTest::newRow("read") << "AButton5" << 340 << "Прочитать из прибора";
    QTest::newRow("port") << "AButton7" << 548 << "Настройка COM-порта";
    QTest::newRow("working mode") << "AButton8" << 609 << "Переход в рабочий режим";
}

void TestMainForm::toolBar_buttonsAndHints()
{
    QFETCH(QString, button);
    QFETCH(int, x);
    QFETCH(QString, hint);

    auto *found = m_form->findChild<TAButton *>(button);
    QVERIFY(found);
    QCOMPARE(found->geometry(), QRect(x, 3, 64, 64));
    QCOMPARE(found->accessibleName(), hint);
    QVERIFY(!found->image().isNull());

    QTest::mouseMove(found, QPoint(32, 32));
    QTRY_COMPARE(m_form->statusText(), u' ' + hint);
    QTest::qWait(800); // a balloon would be up by now
    QVERIFY(!QToolTip::isVisible());
    QTest::mouseMove(m_form->findChild<QTabWidget *>(u"PageControl"_s), QPoint(400, 300));
    QTRY_COMPARE(m_form->statusText(), u" "_s);
}

void TestMainForm::menuAndButton_reachTheSameCommand()
{
    const QString factory = m_dir->filePath(u"adjustments/заводские.tab"_s);
    QString error;
    QVERIFY2(TabFile::RecordArrayToFile(SettingsImage(), factory, &error), qPrintable(error));
    QSignalSpy replaced(&m_form->configuration().notices(), &ConfigurationNotices::replaced);

    m_form->findChild<QAction *>(u"N7"_s)->trigger();
    QCOMPARE(replaced.size(), 1);
    QTest::mouseClick(m_form->findChild<TAButton *>(u"AButton3"_s), Qt::LeftButton);
    QCOMPARE(replaced.size(), 2);

    QVERIFY(QFile::remove(factory));
    bool told = false;
    whenModalOpens([&](QWidget *box) {
        told = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text() == u"Не найдено файла заводских настроек!"_s;
        pressButton(box, u"OK"_s);
    });
    m_form->findChild<QAction *>(u"N7"_s)->trigger();
    QVERIFY(told);
    QCOMPARE(replaced.size(), 2);
}

void TestMainForm::shortcuts_reachTheirCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QKeySequence>("key");

    QTest::newRow("open file") << "N3" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("save file") << "N4" << QKeySequence(Qt::CTRL | Qt::Key_S);
    QTest::newRow("read from the panel") << "N9" << QKeySequence(Qt::Key_F5);
    QTest::newRow("write to the panel") << "N8" << QKeySequence(Qt::CTRL | Qt::Key_F5);
    QTest::newRow("port setup") << "COM1" << QKeySequence(Qt::Key_F9);
}

// Pressed in the zone grid; whatever the command opens is closed unanswered.
void TestMainForm::shortcuts_reachTheirCommands()
{
    QFETCH(QString, command);
    QFETCH(QKeySequence, key);

    const QStringList commands { u"N3"_s, u"N4"_s, u"N9"_s, u"N8"_s, u"COM1"_s };
    std::vector<std::unique_ptr<QSignalSpy>> triggered;
    for (const QString &name : commands) {
        auto *action = m_form->findChild<QAction *>(name);
        QVERIFY(action);
        if (name == command)
            QCOMPARE(action->shortcut(), key); // shown beside the item
        triggered.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));
    }
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *focus = m_form->findChild<QTableView *>(u"dbGridTableArea"_s);
    QVERIFY(focus);
    focus->setFocus();

    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()); modal && modal->isVisible()) {
            ++opened;
            modal->reject();
        }
    });
    closer.start(20);
    QTest::keySequence(focus, key);
    QTRY_COMPARE(opened, 1);
    for (int i = 0; i < commands.size(); ++i)
        QCOMPARE(triggered.at(i)->size(), commands.at(i) == command ? 1 : 0);

    // Held down, the key starts its command once.
    const QKeyCombination held = key[0];
    QTest::simulateEvent(focus, true, held.key(), held.keyboardModifiers(), QString(), true);
    QTest::simulateEvent(focus, false, held.key(), held.keyboardModifiers(), QString(), true);
    QCOMPARE(triggered.at(commands.indexOf(command))->size(), 1);
}

void TestMainForm::menuBar_reachedByAltAndF10_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("letter"); // with Alt; empty: F10

    QTest::newRow("Alt+Ф: file") << "A1" << "ф";
    QTest::newRow("Alt+О: options") << "N1" << "о";
    QTest::newRow("Alt+П: help") << "N2" << "п";
    QTest::newRow("F10: the first menu") << "A1" << "";
}

void TestMainForm::menuBar_reachedByAltAndF10()
{
    QFETCH(QString, menu);
    QFETCH(QString, letter);

    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QWidget *focus = QApplication::focusWidget();
    if (letter.isEmpty()) {
        QTest::keyClick(focus, Qt::Key_F10);
    } else {
        // QTest's own clicks know Latin keys only; a Cyrillic key's code is its capital letter.
        const auto key = Qt::Key(letter.toUpper().at(0).unicode());
        QTest::sendKeyEvent(QTest::Press, focus, key, letter, Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Release, focus, key, letter, Qt::AltModifier);
    }
    auto *opened = m_form->menuBar()->findChild<QMenu *>(menu);
    QTRY_COMPARE(QApplication::activePopupWidget(), opened);
    QTest::keyClick(opened, Qt::Key_Escape);
    QTRY_VERIFY(!opened->isVisible());
}

// Alt pressed and let go: the bar takes the keyboard, its first menu marked and not yet open.
void TestMainForm::menuBar_reachedByAltAlone()
{
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Alt);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->menuBar());
    QCOMPARE(m_form->menuBar()->activeAction(), m_form->menuBar()->findChild<QMenu *>(u"A1"_s)->menuAction());
    QVERIFY(!QApplication::activePopupWidget());
    QTest::keyClick(m_form->menuBar(), Qt::Key_Down); // then opens it
    QTRY_COMPARE(QApplication::activePopupWidget(), m_form->menuBar()->findChild<QMenu *>(u"A1"_s));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
}

// Wherever the focus is: here in a grid of the page, which would keep Ctrl+Tab to itself.
void TestMainForm::pages_turnedByCtrlTab()
{
    auto *pages = m_form->findChild<QTabWidget *>(u"PageControl"_s);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *grid = pages->currentWidget()->findChild<QTableView *>();
    QVERIFY(grid);
    grid->setFocus();
    QVERIFY(grid->hasFocus());
    // The key let go where the focus has gone, as the keyboard does.
    const auto turn = [](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyPress(QApplication::focusWidget(), key, modifiers);
        QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
    };

    turn(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), 1);
    QCOMPARE(m_form->configuration().mtSensor().filter(), u"id_dev =1"_s); // the page's filters, as by a click
    QVERIFY(pages->currentWidget()->isAncestorOf(QApplication::focusWidget()));

    // As X11 delivers Ctrl+Shift+Tab.
    turn(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(m_form->configuration().mtSensor().filter(), u"id_area =1"_s);
    turn(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pages->currentIndex(), pages->count() - 1); // round to the last
    turn(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), 0);
}

// The tool bar comes before the page tabs, where the focus starts; the grids keep Tab to
// themselves, to go from cell to cell.
void TestMainForm::toolBar_reachedByTabAndPressedBySpace()
{
    QString error;
    QVERIFY2(TabFile::RecordArrayToFile(SettingsImage(), m_dir->filePath(u"adjustments/заводские.tab"_s), &error),
             qPrintable(error));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto *pages = m_form->findChild<QTabWidget *>(u"PageControl"_s);
    QCOMPARE(QApplication::focusWidget(), pages->tabBar());

    const QStringList buttons { "AButton1", "AButton2", "AButton3", "AButton4", "AButton5", "AButton7", "AButton8" };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    QStringList reached;
    for (int i = 0; i < buttons.size(); ++i)
        reached.prepend(press(Qt::Key_Backtab, Qt::ShiftModifier));
    QCOMPARE(reached, buttons);
    reached.clear();
    for (int i = 1; i < buttons.size(); ++i)
        reached << press(Qt::Key_Tab);
    QCOMPARE(reached, buttons.mid(1));
    QCOMPARE(press(Qt::Key_Tab), pages->tabBar()->objectName());
    QCOMPARE(pages->currentIndex(), 0);

    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"AButton3"_s);
    QSignalSpy replaced(&m_form->configuration().notices(), &ConfigurationNotices::replaced);
    press(Qt::Key_Space);
    QCOMPARE(replaced.size(), 1);
    press(Qt::Key_Return);
    QCOMPARE(replaced.size(), 2);
}

void TestMainForm::unsavedChanges_askedBeforeTheyAreLost_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("loaded");

    QTest::newRow("no: the factory settings replace the edit") << "Нет" << true;
    QTest::newRow("cancel: nothing happens") << "Отмена" << false;
}

void TestMainForm::unsavedChanges_askedBeforeTheyAreLost()
{
    QFETCH(QString, answer);
    QFETCH(bool, loaded);

    QString error;
    QVERIFY(TabFile::RecordArrayToFile(SettingsImage(), m_dir->filePath(u"adjustments/заводские.tab"_s), &error));
    QSignalSpy replaced(&m_form->configuration().notices(), &ConfigurationNotices::replaced);
    m_form->configuration().changeSettings([](SystemSettings &s) { s.ud6 = 5; });

    QString asked;
    whenModalOpens([&](QWidget *box) {
        asked = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, answer);
    });
    m_form->findChild<QAction *>(u"N7"_s)->trigger();
    QCOMPARE(asked, u"Сохранить изменения в конфигурации?"_s);
    QCOMPARE(replaced.size(), loaded ? 1 : 0);
    QCOMPARE(m_form->configuration().settings().ud6, loaded ? 0 : 5);

    // Once kept (here by the load), nothing is asked.
    if (loaded) {
        m_form->findChild<QAction *>(u"N7"_s)->trigger();
        QCOMPARE(replaced.size(), 2);
    }
}

void TestMainForm::saveAndOpen_throughTheFileDialogs()
{
    const QString name = m_dir->filePath(u"объект.tab"_s);
    m_form->configuration().changeSettings([](SystemSettings &s) { s.ud6 = 5; });
    whenModalOpens([&](QWidget *dialog) { answerFileDialog(dialog, name); });
    m_form->findChild<QAction *>(u"N4"_s)->trigger();
    QVERIFY(QFileInfo::exists(name));

    // Saved, so opening asks nothing; the file brings back what was saved.
    m_form->configuration().changeSettings([](SystemSettings &s) { s.ud6 = 7; });
    whenModalOpens([&](QWidget *box) {
        pressButton(box, u"Нет"_s);
        whenModalOpens([&](QWidget *dialog) { answerFileDialog(dialog, name); });
    });
    QSignalSpy replaced(&m_form->configuration().notices(), &ConfigurationNotices::replaced);
    m_form->findChild<QAction *>(u"N3"_s)->trigger();
    QCOMPARE(replaced.size(), 1);
    QCOMPARE(m_form->configuration().settings().ud6, 5);
    QCOMPARE(m_form->configuration().mtSensor().filter(), u"id_area =1"_s);

    // Saving over it asks first; "No" goes back to the dialog, which is then cancelled.
    const QByteArray saved = fileBytes(name);
    m_form->configuration().changeSettings([](SystemSettings &s) { s.ud6 = 9; });
    QString asked;
    whenModalOpens([&](QWidget *dialog) {
        answerFileDialog(dialog, name);
        whenModalOpens([&, dialog = qobject_cast<QDialog *>(dialog)](QWidget *question) {
            asked = question->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
            pressButton(question, u"&No"_s);
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        });
    });
    m_form->findChild<QAction *>(u"N4"_s)->trigger();
    QVERIFY2(asked.contains(u"объект.tab"_s), qPrintable(asked));
    QCOMPARE(fileBytes(name), saved);
}

// `mirvane FILE.tab`: a name relative to the folder the program was started in.
void TestMainForm::fileNamedAtStart_showsItsZones()
{
    QFile file(m_dir->filePath(u"объект.tab"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(imageWithZoneName(2, u"СКЛАД"_s)) > 0);
    file.close();

    m_form->openFileNamed(u"объект.tab"_s);
    const auto *zones = m_form->findChild<QTableView *>(u"dbGridTableArea"_s);
    QVERIFY(zones);
    QStringList shown;
    for (int row = 0; row < zones->model()->rowCount(); ++row) {
        for (int column = 0; column < zones->model()->columnCount(); ++column)
            shown << zones->model()->index(row, column).data().toString().trimmed();
    }
    QVERIFY2(shown.contains(u"СКЛАД"_s), qPrintable(shown.join(u'|')));
}

void TestMainForm::fileNamedAtStart_badFileToldAsByTheOpenCommand_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: no such file
    QTest::newRow("no such file") << QByteArray();
    QTest::newRow("too short") << QByteArray(100, '\0');
}

void TestMainForm::fileNamedAtStart_badFileToldAsByTheOpenCommand()
{
    QFETCH(QByteArray, contents);
    const QString name = m_dir->filePath(u"плохой.tab"_s);
    if (!contents.isEmpty()) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(contents) == contents.size());
    }
    const auto messageOf = [](QString *text) {
        whenModalOpens([text](QWidget *box) {
            *text = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
            pressButton(box, u"OK"_s);
        });
    };

    const ConfigurationSnapshot startUp = ConfigurationSnapshot::of(m_form->configuration());
    QString atStart;
    messageOf(&atStart);
    m_form->openFileNamed(name);
    QVERIFY(!atStart.isEmpty());
    QVERIFY(m_form->isVisible());
    QVERIFY(ConfigurationSnapshot::of(m_form->configuration()) == startUp);

    QString byCommand;
    whenModalOpens([&](QWidget *dialog) {
        answerFileDialog(dialog, name);
        messageOf(&byCommand);
    });
    m_form->N3Click();
    QCOMPARE(atStart, byCommand);
}

void TestMainForm::writeCheck_asksBeforeSavingOrWriting_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("heading");

    QTest::newRow("save") << u"N4"_s << u"В файл не попадёт:"_s;
    QTest::newRow("write") << u"N8"_s << u"В прибор не будет записано:"_s;
}

void TestMainForm::writeCheck_asksBeforeSavingOrWriting()
{
    QFETCH(QString, command);
    QFETCH(QString, heading);

    // Module 1 gets a ninth output, which no channel record can hold.
    MemTable &outputs = m_form->configuration().mtReturn();
    outputs.append();
    outputs.setValueSilently(OutputField::id_dev, 1);
    outputs.setValueSilently(OutputField::offset, 8);
    outputs.post();
    QSignalSpy started(&m_form->transfer(), &MemoryTransfer::finished);

    QString asked;
    whenModalOpens([&](QWidget *box) {
        asked = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"Нет"_s);
    });
    m_form->findChild<QAction *>(command)->trigger();

    QCOMPARE(asked, heading + u"\n\nКЛМ № 1: выход 9 вне 1..8 не будет записан.\n\nПродолжить?"_s);
    QVERIFY(!QApplication::activeModalWidget()); // no file dialog, no transfer after "Нет"
    QVERIFY(m_form->findChildren<TProgressForm *>().isEmpty());
    QCOMPARE(started.size(), 0);
}

void TestMainForm::fileDialogs_showTheirExactFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("open: a space before the first bar") << FileDialogs::OpenFilter
                                                        << QStringList { "Файлы прибора (*.tab) ", "Все файлы (*.*)" };
    QTest::newRow("save: none") << FileDialogs::SaveFilter << QStringList { "Файлы прибора (*.tab)", "Все файлы (*.*)" };
}

void TestMainForm::fileDialogs_showTheirExactFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);

    QStringList texts;
    for (const FileDialogs::NameFilter &f : FileDialogs::parse(filter)) {
        texts << f.shown;
        QVERIFY(f.patterns == u"*.tab"_s || f.patterns == u"*.*"_s);
    }
    QCOMPARE(texts, shown);
}

// A name saved without ".tab" would be hidden by the open dialog's filter.
void TestMainForm::fileDialogs_addTabAndStartInTheFolderLastUsed()
{
    const QString folder = m_dir->filePath(u"объекты"_s);
    QVERIFY(QDir().mkpath(folder));
    whenModalOpens([&](QWidget *dialog) { answerFileDialog(dialog, folder + u"/obj1"_s); });
    m_form->findChild<QAction *>(u"N4"_s)->trigger();
    QVERIFY(QFileInfo::exists(folder + u"/obj1.tab"_s));
    QVERIFY(!QFileInfo::exists(folder + u"/obj1"_s));

    // Kept per user: a window started anew opens there.
    m_form.reset();
    createForm();
    QString opened;
    whenModalOpens([&](QWidget *dialog) {
        opened = qobject_cast<QFileDialog *>(dialog)->directory().absolutePath();
        QMetaObject::invokeMethod(qobject_cast<QDialog *>(dialog), &QDialog::reject, Qt::QueuedConnection);
    });
    m_form->findChild<QAction *>(u"N3"_s)->trigger();
    QCOMPARE(opened, folder);
}

void TestMainForm::portSetup_cancelStillStores()
{
    whenModalOpens([](QWidget *dialog) {
        QVERIFY(qobject_cast<SetupDialog *>(dialog));
        QCOMPARE(dialog->windowTitle(), u"Setup"_s);
        pressButton(dialog, u"Cancel"_s);
    });
    m_form->findChild<QAction *>(u"COM1"_s)->trigger();
    // Nothing was stored before: what was loaded (the start values) is stored now.
    QSettings stored(m_dir->filePath(u"port.ini"_s), QSettings::IniFormat);
    QCOMPARE(stored.value(u"ComPort1/BaudRate"_s).toString(), u"9600"_s);
    QCOMPARE(stored.value(u"ComPort1/FlowControl"_s).toString(), u"None"_s);
}

void TestMainForm::verifyAfterWrite_onByDefaultAndKept()
{
    auto *verify = m_form->findChild<QAction *>(u"VerifyAfterWrite"_s);
    QVERIFY(verify->isCheckable());
    QVERIFY(verify->isChecked());
    verify->trigger();
    QVERIFY(!verify->isChecked());
    // The next start finds it as it was left.
    m_form = std::make_unique<TMainForm>(environmentIn(*m_dir));
    QVERIFY(!m_form->findChild<QAction *>(u"VerifyAfterWrite"_s)->isChecked());
}

void TestMainForm::backups_listedAndOpened()
{
    // A copy of what a panel held, with zone 12 named, and a newer one without.
    Configuration named;
    named.mtArea().setRecNo(12);
    named.mtArea().setValue(ZoneField::name, u"склад"_s);
    ImageBuilder::build(named);
    BackupStore store(m_dir->filePath(u"backups"_s));
    QString error;
    const QDateTime when(QDate(2026, 12, 10), QTime(14, 3, 22));
    QVERIFY(!store.keep(named.image().Bytes(), BackupStore::Direction::Read, when, &error).isEmpty());
    QVERIFY(!store.keep(SettingsImage().Bytes(), BackupStore::Direction::Written, when.addSecs(60), &error).isEmpty());

    QStringList listed;
    whenModalOpens([&](QWidget *dialog) {
        auto *list = dialog->findChild<QTableWidget *>(u"BackupList"_s);
        for (int row = 0; row < list->rowCount(); ++row)
            listed << list->item(row, 0)->text() + u' ' + list->item(row, 1)->text();
        list->selectRow(1); // the older: the read
        pressButton(dialog, u"Открыть"_s);
    });
    m_form->findChild<QAction *>(u"Backups"_s)->trigger();
    QCOMPARE(listed, (QStringList { u"10.12.2026 14:04:22 записано в прибор"_s,
                                    u"10.12.2026 14:03:22 прочитано из прибора"_s }));
    QVERIFY(m_form->configuration().mtArea().locate(ZoneField::id, 12));
    QCOMPARE(m_form->configuration().mtArea().asString(ZoneField::name).trimmed(), u"СКЛАД"_s);
}

void TestMainForm::about_closesOnRelease()
{
    bool closed = false;
    whenModalOpens([&](QWidget *about) {
        QCOMPARE(about->windowTitle(), u"Mirvane программа для чтения, записи настроек прибора"_s);
        QTest::mouseRelease(about->childAt(150, 150) ? about->childAt(150, 150) : about, Qt::RightButton);
        closed = QTest::qWaitFor([about] { return !about->isVisible(); }, 2000);
    });
    m_form->findChild<QAction *>(u"N12"_s)->trigger();
    QVERIFY(closed);
}

void TestMainForm::writeAndRead_throughTheWindow()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    PanelProcess panel({});
    choosePort(panel);

    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    // The bar's every value, from the window the transfer shows, and what the status bar said.
    int last = -1;
    int maximum = 0;
    QStringList statuses;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (statuses.isEmpty() || statuses.last() != m_form->statusText())
            statuses << m_form->statusText();
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *bar = qobject_cast<TProgressForm *>(top) ? top->findChild<QProgressBar *>() : nullptr;
            if (bar && !bar->property("watched").toBool()) {
                bar->setProperty("watched", true);
                maximum = bar->maximum();
                QObject::connect(bar, &QProgressBar::valueChanged, [&, bar](int value) {
                    last = value;
                    maximum = bar->maximum();
                });
            }
        }
    });
    watch.start(1);
    m_form->configuration().changeSettings([](SystemSettings &s) { s.edNumReg1 = u"1234"_s; });
    QTime started = QTime::currentTime();
    m_form->findChild<QAction *>(u"N8"_s)->trigger();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(maximum, 1600);
    QCOMPARE(last, 1599);
    QTRY_VERIFY(m_form->findChildren<TProgressForm *>().isEmpty()
                || !m_form->findChild<TProgressForm *>()->isVisible());
    // The check after the write is told as it runs; then how it all ended, not a caption
    // that would read as still running.
    QVERIFY2(statuses.contains(u"Идет запись в прибор"_s) && statuses.contains(u"Идет проверка записи"_s)
                     && statuses.indexOf(u"Идет запись в прибор"_s) < statuses.indexOf(u"Идет проверка записи"_s),
             qPrintable(statuses.join(u'|')));
    QVERIFY2(endedWith(m_form->statusText(), u"Записано в прибор и проверено"_s, started),
             qPrintable(m_form->statusText()));

    // What was written is kept: reading it back asks nothing and brings it back.
    m_form->configuration().changeSettings([](SystemSettings &s) { s.edNumReg1 = QString(); });
    m_form->configuration().changeSettings([](SystemSettings &s) { s.edNumReg1 = u"1234"_s; });
    statuses.clear();
    started = QTime::currentTime();
    m_form->findChild<QAction *>(u"N9"_s)->trigger();
    QVERIFY(finished.wait(120000));
    QCOMPARE(finished.last().first().toBool(), true);
    QCOMPARE(m_form->configuration().settings().edNumReg1, u"1234"_s);
    QVERIFY2(statuses.contains(u"Идет чтение из прибора"_s), qPrintable(statuses.join(u'|')));
    QVERIFY2(endedWith(m_form->statusText(), u"Прочитано из прибора"_s, started), qPrintable(m_form->statusText()));
    // A copy of each: what was written, then what was read.
    const QList<BackupStore::Entry> backups = BackupStore(m_dir->filePath(u"backups"_s)).entries();
    QCOMPARE(backups.size(), 2);
    QVERIFY(backups.at(0).direction == BackupStore::Direction::Read
            || backups.at(0).taken == backups.at(1).taken); // within one second the order is not known
    // The port closes before the panel frees its pseudo-terminal: a number freed while
    // the port's lock is still held would be busy for the next test that gets it.
    m_form.reset();
#endif
}

void TestMainForm::escape_cancelsAWrite_data()
{
    QTest::addColumn<QString>("focus"); // empty: where it is at start, on the page tabs
    QTest::addColumn<bool>("inProgressWindow");
    QTest::addColumn<bool>("button"); // "Отмена" clicked, else Esc

    QTest::newRow("Esc, the main window active") << "" << false << false;
    // whose key filter would otherwise take Esc for a wrong key
    QTest::newRow("Esc in an access code box") << "edAdminPass1" << false << false;
    QTest::newRow("Esc, the progress window active") << "" << true << false;
    QTest::newRow("\"Отмена\" in the progress window") << "" << false << true;
}

void TestMainForm::escape_cancelsAWrite()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    QFETCH(QString, focus);
    QFETCH(bool, inProgressWindow);
    QFETCH(bool, button);

    PanelProcess panel({ u"--baud"_s, u"115200"_s }); // about 12 ms a block: time to press Esc
    choosePort(panel);

    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    if (!focus.isEmpty()) {
        auto *box = m_form->findChild<QLineEdit *>(focus);
        QVERIFY(box);
        m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(4);
        box->setFocus();
        QVERIFY(box->hasFocus());
    }
    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    QTimer watch;
    bool pressed = false;
    bool progressActive = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *progress = m_form->findChild<TProgressForm *>();
        if (pressed || !progress || !progress->isVisible())
            return;
        if (inProgressWindow) {
            // As when the user clicks on it.
            progress->activateWindow();
            if (!progress->isActiveWindow())
                return;
            progressActive = true;
        }
        if (progress->position() >= 500) {
            pressed = true;
            if (button) {
                QTest::mouseClick(progress->findChild<QPushButton *>(u"btnCancel"_s), Qt::LeftButton);
                return;
            }
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
            QVERIFY(target);
            if (!focus.isEmpty())
                QCOMPARE(target->objectName(), focus);
            QTest::keyClick(target, Qt::Key_Escape);
        }
    });
    watch.start(5);
    QString told;
    whenModalOpens([&](QWidget *box) {
        told = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"OK"_s);
    });
    const QTime started = QTime::currentTime();
    m_form->findChild<QAction *>(u"N8"_s)->trigger();
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), false);
    const QRegularExpressionMatch match =
            QRegularExpression(u"^Запись отменена: с блока (\\d+) из 1600 память прибора не содержит новую "
                               u"конфигурацию\\.$"_s)
                    .match(told);
    QVERIFY2(match.hasMatch(), qPrintable(told));
    QVERIFY(match.captured(1).toInt() > 500);
    QCOMPARE(progressActive, inProgressWindow);
    QVERIFY2(endedWith(m_form->statusText(), u"Запись прервана на блоке %1,"_s.arg(match.captured(1)), started),
             qPrintable(m_form->statusText()));
    m_form.reset(); // the port closes before the panel frees its pseudo-terminal
#endif
}

void TestMainForm::lostLine_statusSaysWhereTheReadStopped()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    PanelProcess panel({ u"--baud"_s, u"115200"_s });
    choosePort(panel);
    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    QTimer watch;
    int stoppedAfter = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *progress = m_form->findChild<TProgressForm *>();
        if (!stoppedAfter && progress && progress->position() >= 300) {
            stoppedAfter = progress->position();
            panel.kill();
        }
    });
    watch.start(5);
    QString told;
    whenModalOpens([&](QWidget *box) {
        told = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"OK"_s);
    });
    m_form->findChild<QAction *>(u"N9"_s)->trigger();
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY2(told.contains(u"Чтение прервано"_s), qPrintable(told));
    const QRegularExpressionMatch match =
            QRegularExpression(u"^ Чтение прервано на блоке (\\d+), \\d\\d:\\d\\d$"_s).match(m_form->statusText());
    QVERIFY2(match.hasMatch(), qPrintable(m_form->statusText()));
    QVERIFY(match.captured(1).toInt() > stoppedAfter);
    m_form.reset();
#endif
}

void TestMainForm::write_thatCannotStart_keepsTheEditsUnsaved_data()
{
    QTest::addColumn<bool>("portOpens");
    QTest::addColumn<QString>("message"); // "{dir}": the test's folder, the current one

    // Each names what it is about, and why.
    QTest::newRow("the port cannot be opened")
            << false << u"Unable to open com port (Error: 2)\nПорт «{dir}/no-such-port»: Файл не найден"_s;
    QTest::newRow("\"temp.tab\" cannot be written")
            << true << u"Не удалось записать файл «{dir}/temp.tab»: Это папка, а не файл"_s;
}

// A later working-mode command that succeeds must not take the edits for written.
void TestMainForm::write_thatCannotStart_keepsTheEditsUnsaved()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    QFETCH(bool, portOpens);
    QFETCH(QString, message);

    PanelProcess panel({});
    if (portOpens) {
        choosePort(panel);
        QVERIFY(QDir(m_dir->path()).mkdir(u"temp.tab"_s)); // a folder where the file should go
    } else {
        PortSettings settings;
        settings.port = m_dir->filePath(u"no-such-port"_s);
        QString error;
        QVERIFY(PortSettingsStore(m_dir->filePath(u"port.ini"_s)).StoreSettings(settings, &error));
        whenModalOpens([](QWidget *dialog) { pressButton(dialog, u"OK"_s); });
        m_form->COM1Click();
    }
    m_form->configuration().changeSettings([](SystemSettings &s) { s.edNumReg1 = u"1234"_s; });

    QString told;
    whenModalOpens([&](QWidget *box) {
        told = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"OK"_s);
    });
    m_form->findChild<QAction *>(u"N8"_s)->trigger();
    QTRY_VERIFY(!told.isEmpty());
    QCOMPARE(told, message.replace(u"{dir}"_s, QDir::toNativeSeparators(QDir::currentPath())));

    if (!portOpens)
        choosePort(panel);
    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    m_form->findChild<QAction *>(u"N14"_s)->trigger();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toBool(), true);

    QString asked;
    whenModalOpens([&](QWidget *box) {
        asked = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"Отмена"_s);
    });
    QVERIFY(!m_form->close());
    QCOMPARE(asked, u"Сохранить изменения в конфигурации?"_s);
    m_form.reset(); // the port closes before the panel frees its pseudo-terminal
#endif
}

void TestMainForm::compareWithPanel_showsTheDifferences_data()
{
    QTest::addColumn<QString>("panelZoneName");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("differences"); // empty: no list

    QTest::newRow("equal") << u"ГАРАЖ"_s << u"Прибор хранит ту же конфигурацию, что и программа."_s << QString();
    QTest::newRow("different") << u"СКЛАД"_s
                               << u"Конфигурация в программе отличается от прибора; отличий: 1. Слева от стрелки — что "
                                  u"в приборе, справа — что в программе."_s
                               << u"Зона 1: имя «СКЛАД» → «ГАРАЖ»"_s;
}

// Unsaved changes stay unsaved and unasked about: the comparison changes nothing.
void TestMainForm::compareWithPanel_showsTheDifferences()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    QFETCH(QString, panelZoneName);
    QFETCH(QString, summary);
    QFETCH(QString, differences);

    const QString memory = m_dir->filePath(u"panel.tab"_s);
    QFile file(memory);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(imageWithZoneName(1, panelZoneName)) == 204800);
    file.close();
    PanelProcess panel({ u"--memory"_s, memory });
    choosePort(panel);
    MemTable &zones = m_form->configuration().mtArea();
    QVERIFY(zones.locate(u"id"_s, 1));
    zones.setValue(u"name"_s, u"гараж"_s);
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(m_form->configuration());

    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    m_form->findChild<QAction *>(u"CompareWithPanel"_s)->trigger();
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), true);
    TComparisonForm *found = nullptr;
    QTRY_VERIFY((found = m_form->findChild<TComparisonForm *>()) && found->isVisible());
    QCOMPARE(found->windowTitle(), u"Сравнение с прибором"_s);
    QCOMPARE(found->findChild<QLabel *>(u"ComparisonSummary"_s)->text(), summary);
    auto *list = found->findChild<QPlainTextEdit *>(u"ComparisonDifferences"_s);
    QCOMPARE(list ? list->toPlainText() : QString(), differences);
    QVERIFY(ConfigurationSnapshot::of(m_form->configuration()) == before);
    QVERIFY2(m_form->statusText().startsWith(u" Сравнение с прибором завершено "_s), qPrintable(m_form->statusText()));

    pressButton(found, u"Закрыть"_s);
    QTRY_VERIFY(!m_form->findChild<TComparisonForm *>());
    m_form.reset(); // the port closes before the panel frees its pseudo-terminal
#endif
}

void TestMainForm::traceVariable_writesEveryFrame()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    const QString trace = m_dir->filePath(u"trace.txt"_s);
    qputenv("MIRVANE_TRACE", trace.toLocal8Bit());
    m_form.reset();
    createForm();
    qunsetenv("MIRVANE_TRACE");
    PanelProcess panel({});
    choosePort(panel);

    QSignalSpy finished(&m_form->transfer(), &MemoryTransfer::finished);
    m_form->N14Click();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().toBool(), true);
    m_form.reset(); // closes the trace too

    // The command and its echo, a line each.
    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split(u'\n');
    const QString command = QString::fromLatin1(Frames::WriteModeWork().toHex(' ').toUpper());
    QCOMPARE(lines.size(), 3);
    QVERIFY2(QRegularExpression(u"^\\d+ > "_s + command + u'$').match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
    QVERIFY2(QRegularExpression(u"^\\d+ < "_s + command + u'$').match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    QVERIFY(lines.at(2).isEmpty());
#endif
}

void TestMainForm::report_savedThenPrintOffered_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QByteArray>("starts");
    QTest::addColumn<bool>("editedSince");

    QTest::newRow("pdf") << u"отчёт.pdf"_s << u"отчёт.pdf"_s << QByteArray("%PDF-") << false;
    QTest::newRow("html") << u"отчёт.html"_s << u"отчёт.html"_s << QByteArray("<!DOCTYPE html>") << false;
    QTest::newRow("html, edited since the save")
            << u"отчёт.html"_s << u"отчёт.html"_s << QByteArray("<!DOCTYPE html>") << true;
    QTest::newRow("no extension: the type chosen") << u"отчёт"_s << u"отчёт.pdf"_s << QByteArray("%PDF-") << false;
}

// The report names the file the configuration was last saved to, and whether it holds
// edits that file does not.
void TestMainForm::report_savedThenPrintOffered()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QByteArray, starts);
    QFETCH(bool, editedSince);

    const QString tab = m_dir->filePath(u"объект.tab"_s);
    whenModalOpens([&](QWidget *dialog) { answerFileDialog(dialog, tab); });
    m_form->findChild<QAction *>(u"N4"_s)->trigger();
    QVERIFY(QFileInfo::exists(tab));
    if (editedSince)
        m_form->configuration().changeSettings([](SystemSettings &s) { s.ud6 = 5; });

    QString asked;
    whenModalOpens([&](QWidget *dialog) {
        QCOMPARE(dialog->objectName(), u"ReportFileDialog"_s);
        answerFileDialog(dialog, m_dir->filePath(typed));
        whenModalOpens([&](QWidget *box) {
            asked = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
            pressButton(box, u"Нет"_s);
        });
    });
    m_form->findChild<QAction *>(u"Report"_s)->trigger();
    QTRY_VERIFY(!asked.isEmpty());
    const QString path = m_dir->filePath(saved);
    QCOMPARE(asked, u"Отчёт сохранён: %1\n\nНапечатать его?"_s.arg(QDir::toNativeSeparators(path)));
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.startsWith(starts));
    if (starts.startsWith('<')) {
        const QString html = QString::fromUtf8(bytes);
        QVERIFY(html.contains(QDir::toNativeSeparators(tab)));
        QCOMPARE(html.contains(u"есть несохранённые изменения"_s), editedSince);
    }
}

void TestMainForm::csv_exportedAndZoneNamesTakenBack()
{
    MemTable &zones = m_form->configuration().mtArea();
    const auto nameOfZone5 = [&zones] {
        return zones.rowValue(4, ZoneField::name).toString().trimmed();
    };
    QVERIFY(zones.locate(u"id"_s, 5));
    zones.setValue(u"name"_s, u"щитовая"_s);

    QString told;
    const auto answerBox = [&told](QWidget *box) {
        told = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        pressButton(box, u"OK"_s);
    };
    const auto run = [&](const QString &command, const QString &chosen) {
        told.clear();
        whenModalOpens([&, chosen](QWidget *dialog) {
            answerFileDialog(dialog, chosen);
            whenModalOpens(answerBox);
        });
        m_form->findChild<QAction *>(command)->trigger();
        QTRY_VERIFY(!told.isEmpty());
    };

    run(u"ExportCsv"_s, m_dir->path());
    QCOMPARE(told, u"Списки записаны в папку %1: зоны.csv, устройства.csv, выходы.csv."_s
                           .arg(QDir::toNativeSeparators(m_dir->path())));

    zones.setValue(u"name"_s, u"другое"_s);
    run(u"ImportZoneNames"_s, m_dir->filePath(u"зоны.csv"_s));
    QCOMPARE(told, u"Из файла взяты имена зон: 500."_s);
    QCOMPARE(nameOfZone5(), u"ЩИТОВАЯ"_s);

    // One bad line: no name changes, and the line is named.
    QFile bad(m_dir->filePath(u"плохой.csv"_s));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("5;склад\r\nпять;гараж\r\n") > 0);
    bad.close();
    run(u"ImportZoneNames"_s, bad.fileName());
    QVERIFY2(told.startsWith(u"Имена зон не изменены"_s) && told.contains(u"Строка 2"_s), qPrintable(told));
    QCOMPARE(nameOfZone5(), u"ЩИТОВАЯ"_s);

    // Lists already in the folder are replaced only when the user says so.
    const QString zonesFile = m_dir->filePath(u"зоны.csv"_s);
    const QByteArray exported = fileBytes(zonesFile);
    zones.setValue(u"name"_s, u"котельная"_s);
    for (const QString &answer : { u"Нет"_s, u"Да"_s }) {
        QString asked;
        whenModalOpens([&](QWidget *dialog) {
            answerFileDialog(dialog, m_dir->path());
            whenModalOpens([&](QWidget *box) {
                asked = box->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
                pressButton(box, answer);
                if (answer == u"Да"_s)
                    whenModalOpens([](QWidget *told) { pressButton(told, u"OK"_s); });
            });
        });
        m_form->findChild<QAction *>(u"ExportCsv"_s)->trigger();
        QTRY_VERIFY(!asked.isEmpty());
        QCOMPARE(asked, u"В папке %1 уже есть зоны.csv, устройства.csv, выходы.csv. Заменить?"_s
                                .arg(QDir::toNativeSeparators(m_dir->path())));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(fileBytes(zonesFile) == exported, answer == u"Нет"_s);
    }
}

// A refused key's message keeps the lines its text breaks with carriage returns, also
// where the style draws message texts as plain labels (the Windows style does).
void TestMainForm::keyMessages_showTheirLineBreaks_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("lines");

    for (const QString &style : { u"Windows"_s, u"Fusion"_s }) {
        QTest::addRow("first telephone number, %s", qPrintable(style)) << u"edTelNum1"_s << 5 << style << 3;
        QTest::addRow("second telephone number, %s", qPrintable(style)) << u"edTelNum2"_s << 5 << style << 3;
    }
    QTest::newRow("access code: one line") << u"edAdminPass3"_s << 4 << u"Windows"_s << 1;
}

void TestMainForm::keyMessages_showTheirLineBreaks()
{
    QFETCH(QString, box);
    QFETCH(int, page);
    QFETCH(QString, style);
    QFETCH(int, lines);

    const QString before = QApplication::style()->name();
    const auto restore = qScopeGuard([&before] { QApplication::setStyle(before); });
    QVERIFY(QApplication::setStyle(style));
    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(page);
    auto *edit = m_form->findChild<QLineEdit *>(box);
    QVERIFY(edit);
    edit->setFocus();
    int shown = -1;
    whenModalOpens([&shown](QWidget *modal) {
        auto *message = qobject_cast<QMessageBox *>(modal);
        const auto *label = modal->findChild<QLabel *>(u"qt_msgbox_label"_s);
        if (label)
            shown = shownLines(*label);
        if (message)
            message->button(QMessageBox::Ok)->click();
        else
            modal->close();
    });
    QTest::keyClick(edit, Qt::Key_A);
    QCOMPARE(shown, lines);
    QVERIFY(edit->text().isEmpty());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
