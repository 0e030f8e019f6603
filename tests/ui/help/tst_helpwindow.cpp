// The help window as F1 and "Помощь" open it: at the section of the page or dialog in use,
// over a modal dialog too; its contents, back and forward, and find in the text.

#include "mainformfixture.h"
#include "modalanswers.h"

#include <ui/comparison/comparisonform.h>
#include <ui/font/programfont.h>
#include <ui/help/helpwindow.h>
#include <ui/main/mainform.h>
#include <ui/progress/progressform.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include <functional>

using namespace Qt::StringLiterals;

using Opening = std::function<void(TMainForm &)>;
Q_DECLARE_METATYPE(Opening)

namespace {

QTextBlock headingBlock(const QTextDocument *document, const QString &anchor)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor))
                return block;
        }
    }
    return {};
}

bool headingInView(const QTextBrowser *browser, const QString &anchor)
{
    const QTextBlock block = headingBlock(browser->document(), anchor);
    return block.isValid() && browser->viewport()->rect().contains(browser->cursorRect(QTextCursor(block)));
}

QTreeWidgetItem *contentsItem(const QTreeWidget *contents, const QString &anchor)
{
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(contents)); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == anchor)
            return *it;
    }
    return nullptr;
}

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void f1OnPage_opensItsSection_data();
    void f1OnPage_opensItsSection();
    void f1InDialog_opensItsSectionOverIt_data();
    void f1InDialog_opensItsSectionOverIt();
    void f1InProgressWindow_opensItsSection();
    void helpMenu_manualByF1_helpItemDoesNothing();
    void backAndForward_retraceTheSectionsVisited();
    void escDuringTransfer_closesTheManualOnly();
    void find_data();
    void find();

private:
    HelpWindow *help() const { return m_form->findChild<HelpWindow *>(); }
    void pressF1(QWidget *window);
    void checkShownAt(const QString &section);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
};

void TestHelpWindow::initTestCase()
{
    QApplication::setApplicationName(u"Mirvane"_s);
    Q_INIT_RESOURCE(resources);
    installProgramFont();
}

void TestHelpWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_form = shownMainForm(*m_dir);
    QVERIFY(m_form);
}

void TestHelpWindow::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

// As the user does: the window in front, F1 on what has the focus there.
void TestHelpWindow::pressF1(QWidget *window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == window ? focus : window, Qt::Key_F1);
}

void TestHelpWindow::checkShownAt(const QString &section)
{
    QVERIFY(help());
    QVERIFY(QTest::qWaitForWindowExposed(help()));
    QCOMPARE(help()->browser()->source().fragment(), section);
    QVERIFY(headingInView(help()->browser(), section));
    QCOMPARE(help()->currentSection(), section);
}

void TestHelpWindow::f1OnPage_opensItsSection_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("section");

    QTest::newRow("zones") << 0 << u"zones"_s;
    QTest::newRow("modules") << 1 << u"modules"_s;
    QTest::newRow("outputs") << 2 << u"outputs"_s;
    QTest::newRow("inputs") << 3 << u"inputs"_s;
    QTest::newRow("system") << 4 << u"system"_s;
    QTest::newRow("communicator") << 5 << u"communicator"_s;
}

void TestHelpWindow::f1OnPage_opensItsSection()
{
    QFETCH(int, page);
    QFETCH(QString, section);

    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(page);
    pressF1(m_form.get());
    checkShownAt(section);
    QVERIFY(help()->isActiveWindow());
    // Read at the side of the window, not under it.
    QVERIFY(help()->width() > TMainForm::ClientWidth);
    QVERIFY(help()->contentsRect().width() >= 880);
}

void TestHelpWindow::f1InDialog_opensItsSectionOverIt_data()
{
    QTest::addColumn<Opening>("opening");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("section");

    QTest::newRow("port setup") << Opening(&TMainForm::COM1Click) << u"SetupDialog"_s << u"port"_s;
    QTest::newRow("zone's devices") << Opening(&TMainForm::BitBtn1Click) << u"ZoneForm"_s << u"zone-devices"_s;
    QTest::newRow("zone's outputs") << Opening(&TMainForm::BitBtn2Click) << u"ReturnForm"_s << u"zone-outputs"_s;
    QTest::newRow("backups") << Opening(&TMainForm::openBackup) << u"BackupsForm"_s << u"backups"_s;
    QTest::newRow("about") << Opening(&TMainForm::N12Click) << u"AboutForm"_s << u"about"_s;
    QTest::newRow("find") << Opening([](TMainForm &form) { form.findChild<QAction *>(u"Find"_s)->trigger(); })
                          << u"FindDialog"_s << u"find"_s;
    // Any message box: here, no factory settings beside the program.
    QTest::newRow("message") << Opening(&TMainForm::N7Click) << QString() << u"messages"_s;
    // Modal to the main window only, as a comparison's end opens it.
    QTest::newRow("comparison") << Opening([](TMainForm &form) {
        auto *found = new TComparisonForm({ u"Зона 1: имя"_s }, &form);
        found->setAttribute(Qt::WA_DeleteOnClose);
        found->open();
    }) << u"ComparisonForm"_s << u"compare"_s;
}

void TestHelpWindow::f1InDialog_opensItsSectionOverIt()
{
    QFETCH(Opening, opening);
    QFETCH(QString, dialog);
    QFETCH(QString, section);

    // A window already open over the main window moves over the dialog.
    pressF1(m_form.get());
    QVERIFY(help());
    const QPointer<HelpWindow> window = help();
    bool answered = false;
    whenModalOpens([&](QWidget *modal) {
        const auto close = qScopeGuard([&] {
            modal->close();
            answered = true;
        });
        QCOMPARE(modal->objectName(), dialog);
        pressF1(modal);
        checkShownAt(section);
        QCOMPARE(help(), window.data());
        // Not blocked by the dialog: a click, given to the window as the system gives it, reaches its contents.
        auto *contents = help()->findChild<QTreeWidget *>(u"Contents"_s);
        QTreeWidgetItem *item = contentsItem(contents, u"contents"_s);
        QVERIFY(item);
        QTest::mouseClick(help()->windowHandle(), Qt::LeftButton, {},
                          contents->viewport()->mapTo(help(), contents->visualItemRect(item).center()));
        QCOMPARE(help()->browser()->source().fragment(), u"contents"_s);
    });
    opening(*m_form);
    QTRY_VERIFY(answered);
    // Back over the main window once the dialog has gone, still open.
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(window);
    QCOMPARE(window->parentWidget(), m_form.get());
    QVERIFY(window->isVisible());
    pressF1(m_form.get());
    checkShownAt(u"zones"_s);
}

// Not modal: the main window goes on working beside it, so it is in use once it is in front.
void TestHelpWindow::f1InProgressWindow_opensItsSection()
{
    TProgressForm progress(m_form.get());
    progress.show();
    pressF1(&progress);
    checkShownAt(u"progress"_s);
    pressF1(m_form.get());
    checkShownAt(u"zones"_s);
}

void TestHelpWindow::helpMenu_manualByF1_helpItemDoesNothing()
{
    auto *manual = m_form->findChild<QAction *>(u"Manual"_s);
    QVERIFY(manual);
    QCOMPARE(manual->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(m_form->findChild<QMenu *>(u"N2"_s)->actions().constLast(), manual);

    m_form->findChild<QAction *>(u"N10"_s)->trigger();
    QVERIFY(!help());
    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(4);
    manual->trigger();
    checkShownAt(u"system"_s);
    // Every control of the window has a name read aloud.
    for (const QWidget *control : help()->findChildren<QWidget *>()) {
        if (control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(help()))
            QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
    }
}

void TestHelpWindow::backAndForward_retraceTheSectionsVisited()
{
    pressF1(m_form.get());
    checkShownAt(u"zones"_s);
    auto *back = help()->findChild<QAction *>(u"Back"_s);
    auto *forward = help()->findChild<QAction *>(u"Forward"_s);
    QVERIFY(!back->isEnabled());
    QVERIFY(!forward->isEnabled());

    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(1);
    pressF1(m_form.get());
    checkShownAt(u"modules"_s);
    auto *contents = help()->findChild<QTreeWidget *>(u"Contents"_s);
    QTreeWidgetItem *outputs = contentsItem(contents, u"outputs"_s);
    QVERIFY(outputs);
    QCOMPARE(outputs->parent()->data(0, Qt::UserRole).toString(), u"pages"_s);
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualItemRect(outputs).center());
    checkShownAt(u"outputs"_s);
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());

    QWidget *browser = help()->browser();
    QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
    checkShownAt(u"modules"_s);
    QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
    checkShownAt(u"zones"_s);
    QVERIFY(!back->isEnabled());
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(help()->findChild<QWidget *>(u"ForwardButton"_s), Qt::LeftButton);
    checkShownAt(u"modules"_s);

    // The contents follow the reading, section by section.
    for (int page = 0; page < 10 && help()->currentSection() == u"modules"_s; ++page)
        QTest::keyClick(browser, Qt::Key_PageDown);
    QCOMPARE(help()->currentSection(), u"outputs"_s);

    QTest::keyClick(browser, Qt::Key_Escape);
    QVERIFY(!help()->isVisible());
}

// A transfer takes Esc in every window of the program; in the manual Esc still only closes it.
void TestHelpWindow::escDuringTransfer_closesTheManualOnly()
{
    QShortcut *cancel = nullptr;
    for (QShortcut *shortcut : m_form->findChildren<QShortcut *>()) {
        if (shortcut->key() == QKeySequence(Qt::Key_Escape) && shortcut->context() == Qt::ApplicationShortcut)
            cancel = shortcut;
    }
    QVERIFY(cancel);
    pressF1(m_form.get());
    checkShownAt(u"zones"_s);
    cancel->setEnabled(true); // as while a transfer runs
    QSignalSpy cancelled(cancel, &QShortcut::activated);
    help()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(help()));
    QTest::keyClick(help()->browser(), Qt::Key_Escape);
    QVERIFY(!help()->isVisible());
    QCOMPARE(cancelled.count(), 0);
}

void TestHelpWindow::find_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("result");

    QTest::newRow("ahead, by Enter") << u"zones"_s << u"Конфигурация входов: строка 2."_s << int(Qt::Key_Return)
                                     << int(Qt::NoModifier) << QString();
    QTest::newRow("round from the end, by F3") << u"compare"_s << u"Настройка порта: строка 1."_s
                                               << int(Qt::Key_F3) << int(Qt::NoModifier)
                                               << u"Поиск продолжен с начала"_s;
    QTest::newRow("back round from the beginning, by Shift+F3")
            << u"contents"_s << u"Сравнение с прибором: строка 40."_s << int(Qt::Key_F3) << int(Qt::ShiftModifier)
            << u"Поиск продолжен с конца"_s;
    QTest::newRow("nowhere") << u"zones"_s << u"Такого текста нет"_s << int(Qt::Key_Return) << int(Qt::NoModifier)
                             << u"«Такого текста нет» не найдено"_s;
}

void TestHelpWindow::find()
{
    QFETCH(QString, from);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, result);

    pressF1(m_form.get());
    QVERIFY(help());
    help()->openAt(from);
    checkShownAt(from);
    QTextBrowser *browser = help()->browser();
    QTest::keyClick(browser, Qt::Key_F, Qt::ControlModifier);
    auto *box = help()->findChild<QLineEdit *>(u"FindBox"_s);
    QCOMPARE(QApplication::focusWidget(), box);
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text, Qt::NoModifier); // as typed, Cyrillic and all
    const int shown = browser->verticalScrollBar()->value();
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(help()->findChild<QLabel *>(u"FindResult"_s)->text(), result);
    const QTextCursor found = browser->textCursor();
    if (result.endsWith(u"не найдено"_s)) {
        QVERIFY(!found.hasSelection());
        QCOMPARE(browser->verticalScrollBar()->value(), shown);
        return;
    }
    QCOMPARE(found.selectedText(), text);
    QVERIFY(browser->viewport()->rect().contains(browser->cursorRect(found)));
    const bool ahead = found.position() > headingBlock(browser->document(), from).position();
    QCOMPARE(ahead, result.isEmpty() || modifiers == Qt::ShiftModifier);
}

QTEST_MAIN(TestHelpWindow)

#include "tst_helpwindow.moc"
