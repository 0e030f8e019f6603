// "Правка" in the window: Ctrl+Z and Ctrl+Y on what was typed and chosen in a grid, the
// captions naming the step, and Ctrl+F going to what it finds.

#include "mainformfixture.h"
#include "modalanswers.h"

#include <ui/font/programfont.h>
#include <ui/grid/datagrid.h>
#include <ui/main/mainform.h>

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestEditMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typedZoneName_undoneAndRedoneByKeys();
    void chosenLookup_undoneByKeys();
    void settingsBox_typedTextIsOneStep();
    void menuOrderAndDisabledItems();
    void find_data();
    void find();

private:
    DataGrid *grid(const char *name) const { return m_form->findChild<DataGrid *>(QString::fromLatin1(name)); }
    QAction *action(const char *name) const { return m_form->findChild<QAction *>(QString::fromLatin1(name)); }
    static int columnOf(const DataGrid *grid, int field);
    void startEditing(DataGrid *grid, int row, int column);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
};

void TestEditMenu::initTestCase()
{
    QApplication::setApplicationName(u"Mirvane"_s);
    Q_INIT_RESOURCE(resources);
    installProgramFont();
}

void TestEditMenu::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_form = shownMainForm(*m_dir);
    QVERIFY(m_form);
    // Shortcuts reach only the active window.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestEditMenu::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

int TestEditMenu::columnOf(const DataGrid *grid, int field)
{
    const QVector<ColumnSpec> &columns = grid->grid().columns;
    for (int column = 0; column < columns.size(); ++column) {
        if (columns.at(column).field == field)
            return column;
    }
    return -1;
}

void TestEditMenu::startEditing(DataGrid *grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    QTest::keyClick(grid, Qt::Key_F2);
}

void TestEditMenu::typedZoneName_undoneAndRedoneByKeys()
{
    DataGrid *zones = grid("dbGridTableArea");
    QVERIFY(zones);
    const int column = columnOf(zones, ZoneField::name);
    QVERIFY(column >= 0);
    const QModelIndex cell = zones->model()->index(6, column);
    const QString before = cell.data().toString();

    startEditing(zones, 6, column);
    auto *editor = qobject_cast<QLineEdit *>(zones->indexWidget(cell));
    QVERIFY(editor);
    QTest::keyClicks(editor, "sklad 7");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(cell.data().toString().trimmed(), u"SKLAD 7"_s);
    QTRY_COMPARE(action("Undo")->text(), u"Отменить: Имя зоны 7"_s);
    QVERIFY(action("Undo")->isEnabled());
    QVERIFY(!action("Redo")->isEnabled());

    QTest::keyClick(zones, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell.data().toString(), before);
    QCOMPARE(action("Redo")->text(), u"Повторить: Имя зоны 7"_s);
    QVERIFY(!action("Undo")->isEnabled());
    QCOMPARE(action("Undo")->text(), u"Отменить"_s);

    QTest::keyClick(zones, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(cell.data().toString().trimmed(), u"SKLAD 7"_s);
    QTest::keyClick(zones, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(zones, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(cell.data().toString().trimmed(), u"SKLAD 7"_s);
}

void TestEditMenu::chosenLookup_undoneByKeys()
{
    DataGrid *zones = grid("dbGridTableArea");
    const int column = columnOf(zones, ZoneField::vname);
    QVERIFY(column >= 0);
    const QModelIndex cell = zones->model()->index(11, column);
    const QString before = cell.data().toString();

    startEditing(zones, 11, column);
    auto *box = qobject_cast<QComboBox *>(zones->indexWidget(cell));
    QVERIFY(box);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(cell.data().toString() != before);
    QTRY_VERIFY(action("Undo")->text().startsWith(u"Отменить: "_s));
    QVERIFY(action("Undo")->text().endsWith(u" 12"_s));

    QTest::keyClick(zones, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(cell.data().toString(), before);
}

void TestEditMenu::settingsBox_typedTextIsOneStep()
{
    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(4);
    auto *box = m_form->findChild<QLineEdit *>(u"edInfMessage"_s);
    QVERIFY(box);
    const QString before = box->text();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, "ABC");
    QTest::qWait(50); // the key presses are no step while the box has the focus
    QVERIFY(!action("Undo")->isEnabled());
    QTest::keyClick(box, Qt::Key_Tab);
    QTRY_COMPARE(action("Undo")->text(), u"Отменить: Информационное сообщение"_s);
    QCOMPARE(m_form->history().undoCount(), 1);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), before);
    QVERIFY(!action("Undo")->isEnabled());
}

void TestEditMenu::menuOrderAndDisabledItems()
{
    QStringList menus;
    for (const QAction *menu : m_form->menuBar()->actions())
        menus << menu->text().remove(u'&');
    QCOMPARE(menus, (QStringList { u"Файл"_s, u"Правка"_s, u"Опции"_s, u"Помощь"_s }));
    QVERIFY(!action("Undo")->isEnabled());
    QVERIFY(!action("Redo")->isEnabled());
    QCOMPARE(action("Find")->text(), u"Найти…"_s);
    QCOMPARE(action("FindNext")->shortcut(), QKeySequence(Qt::Key_F3));
}

void TestEditMenu::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");

    QTest::newRow("zone 317") << u"317"_s << 0 << u"dbGridTableArea"_s << int(ZoneField::id) << 317;
    QTest::newRow("serial on the modules page") << u"0A34"_s << 1 << u"DBGridEh11"_s << int(SensorField::addr) << 17;
}

void TestEditMenu::find()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    QFETCH(QString, gridName);
    QFETCH(int, field);
    QFETCH(int, value);

    Configuration &config = m_form->configuration();
    config.mtSensor().appendBehind([](MemTable &sensors) {
        sensors.setValue(SensorField::id_dev, 3);
        sensors.setValue(SensorField::addr, 17);
        sensors.setValue(SensorField::id_chan, 1);
        sensors.setValue(SensorField::saddrh, 0x0A);
        sensors.setValue(SensorField::saddrl, 0x34);
    });

    whenModalOpens([text](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        QVERIFY(dialog);
        auto *edit = dialog->findChild<QLineEdit *>();
        QVERIFY(edit);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::keyClick(m_form.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_COMPARE(m_form->findChild<QTabWidget *>(u"PageControl"_s)->currentIndex(), page);
    DataGrid *found = m_form->findChild<DataGrid *>(gridName);
    QVERIFY(found);
    const QModelIndex current = found->currentIndex();
    QVERIFY(current.isValid());
    QCOMPARE(found->table().visibleValue(current.row(), field).toInt(), value);
}

QTEST_MAIN(TestEditMenu)

#include "tst_editmenu.moc"
