#include "mainformfixture.h"
#include "modalanswers.h"
#include "recordingnotifier.h"
#ifdef MIRVANE_PANEL
#include "panelprocess.h"
#endif
#include "richconfiguration.h"

#include <image/records.h>
#include <link/portsettingsstore.h>
#include <model/filterexpressions.h>
#include <storage/filecommands.h>
#include <ui/font/programfont.h>
#include <ui/grid/bandedheader.h>
#include <ui/grid/datagrid.h>
#include <ui/main/mainform.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool writeFileText(const QString &name, const char *text)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(text) >= 0;
}

// The rows a grid shows, by the text of one column.
QStringList columnTexts(const QTableView *grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << grid->model()->index(row, column).data().toString();
    return texts;
}

} // namespace

class TestMainPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void outputGrids_shareOneChannelTypeCell_data();
    void outputGrids_shareOneChannelTypeCell();
    void zoneGrid_clickFiltersTheListsBelow();
    void moduleGrid_downArrowMovesBothLists();
    void deviceGrid_keepsItsPlaceWhileASearchAddsRows();
    void outputsPage_titleButtonsAndAssignment();
    void inputsPage_messageChosenByKeys();
    void openingAFile_refreshesEveryPage();
    void zonesPage_opensTheZoneDialogs_data();
    void zonesPage_opensTheZoneDialogs();
    void modulesPage_searchFillsItsWindowUntilClosed();

private:
    QTableView *grid(const char *name) const { return m_form->findChild<QTableView *>(QString::fromLatin1(name)); }
    void showPage(int index);
    void click(QTableView *view, int row, int column);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMainForm> m_form;
    QString m_savedCurrent;
};

void TestMainPages::initTestCase()
{
    QApplication::setApplicationName(u"Mirvane"_s);
    Q_INIT_RESOURCE(resources);
    installProgramFont();
}

void TestMainPages::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_savedCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"adjustments"_s));
    m_form = shownMainForm(*m_dir);
    QVERIFY(m_form);
}

void TestMainPages::cleanup()
{
    m_form.reset();
    QDir::setCurrent(m_savedCurrent);
    m_dir.reset();
}

void TestMainPages::showPage(int index)
{
    m_form->findChild<QTabWidget *>(u"PageControl"_s)->setCurrentIndex(index);
    QApplication::processEvents();
}

void TestMainPages::click(QTableView *view, int row, int column)
{
    const QModelIndex index = view->model()->index(row, column);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void TestMainPages::layout_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    const auto row = [](int page, const char *name, QRect geometry) {
        QTest::newRow(name) << page << QString::fromLatin1(name) << geometry;
    };
    row(0, "dbGridTableArea", { 4, 4, 855, 214 });
    row(0, "dbgTableSensor", { 4, 224, 774, 161 });
    row(0, "BitBtn1", { 784, 224, 77, 161 });
    row(0, "dbgTableReturn", { 2, 391, 774, 160 });
    row(0, "BitBtn2", { 782, 391, 77, 160 });
    row(1, "DBGridEh3", { 6, 11, 356, 215 });
    row(1, "BitBtn7", { 368, 10, 98, 78 });
    row(1, "Label1", { 368, 133, 96, 39 });
    row(1, "edAddrKLM", { 368, 178, 98, 21 });
    row(1, "DBGridEh12", { 476, 11, 383, 215 });
    row(1, "DBGridEh11", { 6, 232, 853, 319 });
    row(2, "DBGridEh7", { 0, 6, 860, 251 });
    row(2, "dbgAreaReturn", { 0, 264, 398, 288 });
    row(2, "BitBtn3", { 404, 270, 50, 52 });
    row(2, "BitBtn4", { 402, 328, 50, 52 });
    row(2, "dbgAreaReturnAcc", { 458, 263, 403, 288 });
    row(3, "DBGridEh8", { 4, 0, 855, 324 });
    row(3, "DBGridEh10", { 4, 345, 419, 210 });
    row(4, "DBGridEh5", { 519, 9, 339, 159 });
    row(5, "DBGridEh6", { 453, 8, 406, 547 });
}

void TestMainPages::layout()
{
    QFETCH(int, page);
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    auto *pages = m_form->findChild<QTabWidget *>(u"PageControl"_s);
    QWidget *pageWidget = pages->widget(page);
    auto *widget = pageWidget->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    // Positions count from the page's grey panel, which fills the page.
    QWidget *panel = pageWidget->findChild<QWidget *>(pageWidget->objectName() + u"Panel"_s);
    QCOMPARE(QRect(widget->mapTo(panel, QPoint(0, 0)), widget->size()), geometry);
    showPage(page);
    QCOMPARE(panel->size(), QSize(866, 557));
    QVERIFY(widget->isVisible());
    QVERIFY(!widget->accessibleName().isEmpty() || qobject_cast<QLabel *>(widget));
}

void TestMainPages::outputGrids_shareOneChannelTypeCell_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("nameColumn"); // the channel-type name; the short type text follows

    QTest::newRow("zone's outputs") << u"dbgTableReturn"_s << 0 << 1;
    QTest::newRow("module's outputs") << u"DBGridEh12"_s << 1 << 0;
    QTest::newRow("all outputs") << u"DBGridEh7"_s << 2 << 1;
}

void TestMainPages::outputGrids_shareOneChannelTypeCell()
{
    QFETCH(QString, name);
    QFETCH(int, page);
    QFETCH(int, nameColumn);

    showPage(page);
    auto *view = m_form->findChild<DataGrid *>(name);
    QVERIFY(view);
    const BandedHeader *header = view->bandedHeader();
    const QVector<TitleCell> cells = header->cells();
    const auto shared = std::find_if(cells.cbegin(), cells.cend(),
                                     [](const TitleCell &cell) { return cell.text == u"Тип канала"_s; });
    QVERIFY(shared != cells.cend());
    QCOMPARE(std::count_if(cells.cbegin(), cells.cend(),
                           [](const TitleCell &cell) { return cell.text == u"Тип канала"_s; }),
             1);
    QCOMPARE(shared->rect.x(), header->sectionPosition(nameColumn));
    QCOMPARE(shared->rect.width(), header->sectionSize(nameColumn) + header->sectionSize(nameColumn + 1));
    // Under it, each column keeps a blank cell of its own.
    QCOMPARE(std::count_if(cells.cbegin(), cells.cend(),
                           [&](const TitleCell &cell) {
                               return (cell.column == nameColumn || cell.column == nameColumn + 1)
                                       && cell.text.isEmpty() && cell.rect.y() > shared->rect.y();
                           }),
             2);
}

void TestMainPages::zoneGrid_clickFiltersTheListsBelow()
{
    Configuration &config = m_form->configuration();
    QTableView *zones = grid("dbGridTableArea");
    QCOMPARE(zones->model()->rowCount(), 500);
    QStringList expected;
    for (int zone = 1; zone <= 500; ++zone)
        expected << u"Зона %1"_s.arg(zone);
    QCOMPARE(columnTexts(zones, 0), expected);

    // Zone 7 holds output 1000; zone 8 none.
    config.mtArea().locate(ZoneField::id, 7);
    config.mtArea().setValue(ZoneField::r1, 1000);
    config.mtArea().post();
    config.mtArea().first();

    click(zones, 6, 1);
    QCOMPARE(config.mtArea().asInteger(ZoneField::id), 7);
    QCOMPARE(config.mtSensor().filter(), u"id_area =7"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_return=1000"_s);

    click(zones, 7, 1);
    QCOMPARE(config.mtSensor().filter(), u"id_area =8"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_return=0"_s);
}

void TestMainPages::moduleGrid_downArrowMovesBothLists()
{
    showPage(1);
    Configuration &config = m_form->configuration();
    QTableView *modules = grid("DBGridEh3");
    QCOMPARE(modules->model()->rowCount(), 16);
    click(modules, 0, 2);
    QCOMPARE(config.mtSensor().filter(), u"id_dev =1"_s);
    QTest::keyClick(modules, Qt::Key_Down);
    QCOMPARE(config.mtDev().asInteger(ModuleField::addr), 2);
    QCOMPARE(config.mtSensor().filter(), u"id_dev =2"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_dev =2"_s);
}

void TestMainPages::deviceGrid_keepsItsPlaceWhileASearchAddsRows()
{
    showPage(1);
    MemTable &devices = m_form->configuration().mtSensor();
    const auto addDevice = [&devices](int address) {
        devices.appendBehind([address](MemTable &t) {
            t.setValue(SensorField::id_dev, 1);
            t.setValue(SensorField::addr, address);
        });
    };
    for (int address = 2; address < 62; ++address)
        addDevice(address);
    m_form->PageControlChange();
    QTableView *grid = this->grid("DBGridEh11");
    QCOMPARE(grid->model()->rowCount(), 60);
    click(grid, 40, 3);
    const int scrolled = grid->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);

    for (int address = 62; address < 162; ++address)
        addDevice(address);

    QCOMPARE(grid->model()->rowCount(), 160);
    QCOMPARE(grid->currentIndex().row(), 40);
    QCOMPARE(devices.recNo(), 41);
    QCOMPARE(grid->verticalScrollBar()->value(), scrolled);
}

void TestMainPages::outputsPage_titleButtonsAndAssignment()
{
    // A loaded configuration with outputs 1000, 1002 and 5001 and a snapshot of the zones.
    const QString file = m_dir->filePath(u"rich.tab"_s);
    {
        Configuration rich;
        fillRichConfiguration(rich);
        RecordingNotifier notifier;
        FileCommands commands(rich, notifier);
        commands.buildImage();
        QVERIFY(commands.saveFile(file));
    }
    RecordingNotifier notifier;
    QVERIFY(FileCommands(m_form->configuration(), notifier).openFile(file));
    m_form->PageControlChange();
    showPage(2);
    Configuration &config = m_form->configuration();

    QTableView *outputs = grid("DBGridEh7");
    QTableView *listed = grid("dbgAreaReturn");
    QTableView *available = grid("dbgAreaReturnAcc");
    QCOMPARE(outputs->model()->rowCount(), 3);
    QCOMPARE(available->model()->rowCount(), 500);
    click(outputs, 0, 0); // output 1000, which zone 7 holds
    QCOMPARE(config.mtReturn().asInteger(OutputField::id_return), 1000);
    QCOMPARE(columnTexts(listed, 0).size(), 1);

    // Zones 3 and 4 marked in the available list and given the output.
    int mark = -1;
    for (int column = 0; column < available->model()->columnCount(); ++column) {
        if (available->model()->index(0, column).flags() & Qt::ItemIsUserCheckable)
            mark = column;
    }
    QVERIFY(mark >= 0);
    click(available, 2, mark);
    click(available, 3, mark);
    QTest::mouseClick(m_form->findChild<QPushButton *>(u"BitBtn4"_s), Qt::LeftButton);
    QCOMPARE(config.mtArea().recordCount(), 3); // zones 3, 4 and 7
    const ConstZoneRecord zone3(std::as_const(config).image().ZoneRecord(3));
    QCOMPARE(zone3.outputLink(0).module, 1);
    QCOMPARE(zone3.outputLink(0).record, 248);

    // The left title sets every mark, then clears them; the right one inverts each.
    const auto clickTitle = [](QTableView *view, int column) {
        QHeaderView *title = view->horizontalHeader();
        const QPoint at(title->sectionViewportPosition(column) + title->sectionSize(column) / 2,
                        title->height() - 4);
        QTest::mouseClick(title->viewport(), Qt::LeftButton, {}, at);
    };
    const auto marks = [](QTableView *view, int column) {
        QVector<bool> marked;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            marked << (view->model()->index(row, column).data(Qt::CheckStateRole).toInt() == Qt::Checked);
        return marked;
    };
    clickTitle(listed, mark);
    QCOMPARE(marks(listed, mark), QVector<bool>(3, true));
    clickTitle(listed, mark);
    QCOMPARE(marks(listed, mark), QVector<bool>(3, false));
    click(available, 0, mark);
    clickTitle(available, mark);
    clickTitle(available, mark);
    QVector<bool> before(500, false);
    before[0] = true;
    QCOMPARE(marks(available, mark), before);

    // Taken from all three marked zones at once, although each leaves the list.
    clickTitle(listed, mark);
    QTest::mouseClick(m_form->findChild<QPushButton *>(u"BitBtn3"_s), Qt::LeftButton);
    QCOMPARE(listed->model()->rowCount(), 0);
    QCOMPARE(zone3.outputLink(0).module, 0);
}

// A message retyped in its list is offered by that text in the inputs' message column,
// and choosing it there with the keyboard gives the input that message, in the image too.
void TestMainPages::inputsPage_messageChosenByKeys()
{
    Configuration &config = m_form->configuration();
    QVERIFY(config.mtDev().locate(ModuleField::addr, 6));
    config.mtDev().setValue(ModuleField::id_name, 3); // its two inputs appear
    showPage(3);
    const auto *inputs = m_form->findChild<DataGrid *>(u"DBGridEh8"_s);
    auto *messages = m_form->findChild<DataGrid *>(u"DBGridEh10"_s);
    QVERIFY(inputs && messages);
    QCOMPARE(inputs->model()->rowCount(), 2);
    const auto modeByte = [&config](int record) {
        return ConstChannelRecord(std::as_const(config).image().ChannelRecord(6, record)).mode();
    };
    const int otherInput = modeByte(254);
    const auto commit = [](QWidget *editor) {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(); // the editor's answer comes as a queued call
    };

    click(messages, 2, 0);
    QTest::keyClick(messages, Qt::Key_F2);
    auto *text = qobject_cast<QLineEdit *>(messages->indexWidget(messages->model()->index(2, 0)));
    QVERIFY(text);
    text->selectAll();
    QTest::keyClicks(text, "alarm 3");
    commit(text);

    int column = 0;
    while (inputs->grid().columns.at(column).field != InputField::rname)
        ++column;
    auto *inputGrid = grid("DBGridEh8");
    click(inputGrid, 1, column);
    QCOMPARE(config.mtEntrance().asInteger(InputField::num), 2);
    QTest::keyClick(inputGrid, Qt::Key_F2);
    const QModelIndex cell = inputGrid->model()->index(1, column);
    auto *box = qobject_cast<QComboBox *>(inputGrid->indexWidget(cell));
    QVERIFY(box);
    QCOMPARE(box->currentText(), u"ВХІД 0 СПРАЦЮВАВ"_s);
    QCOMPARE(box->itemText(2), u"ALARM 3"_s);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    commit(box);

    QVERIFY(!inputGrid->indexWidget(cell));
    QCOMPARE(cell.data().toString(), u"ALARM 3"_s);
    QCOMPARE(config.mtEntrance().visibleValue(1, InputField::id_repent).toInt(), 3);
    QCOMPARE(config.mtEntrance().visibleValue(0, InputField::id_repent).toInt(), 1);
    QCOMPARE(modeByte(255), 3);
    QCOMPARE(modeByte(254), otherInput);
}

void TestMainPages::openingAFile_refreshesEveryPage()
{
    const QString file = m_dir->filePath(u"rich.tab"_s);
    {
        Configuration rich;
        fillRichConfiguration(rich);
        RecordingNotifier notifier;
        FileCommands commands(rich, notifier);
        commands.buildImage();
        QVERIFY(commands.saveFile(file));
    }
    whenModalOpens([&](QWidget *dialog) { answerFileDialog(dialog, file); });
    m_form->findChild<QAction *>(u"N3"_s)->trigger();

    // Zone 1, current after the open, has no outputs; all three show on the outputs page.
    QCOMPARE(grid("dbgTableReturn")->model()->rowCount(), 0);
    showPage(2);
    QCOMPARE(grid("DBGridEh7")->model()->rowCount(), 3);
    QCOMPARE(grid("dbgAreaReturnAcc")->model()->rowCount(), 500);
    QCOMPARE(m_form->findChild<QLineEdit *>(u"edNumReg1"_s)->text(), u"1234"_s);
    QCOMPARE(m_form->findChild<QLineEdit *>(u"edAdminPass8"_s)->text(), u"0123456789"_s);
    QVERIFY(m_form->findChild<QCheckBox *>(u"ckbFire"_s)->isChecked());
    QVERIFY(!m_form->findChild<QCheckBox *>(u"ckbNeisp"_s)->isChecked());
    QCOMPARE(grid("DBGridEh6")->model()->index(4, 0).data().toInt(), 999);
}

void TestMainPages::zonesPage_opensTheZoneDialogs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("filterLeft"); // the zones page's list of that table, as the dialog leaves it

    QTest::newRow("devices") << u"BitBtn1"_s << u"ZoneForm"_s << u"id_area = 7"_s;
    QTest::newRow("outputs") << u"BitBtn2"_s << u"ReturnForm"_s << u"id_return=0"_s;
}

void TestMainPages::zonesPage_opensTheZoneDialogs()
{
    QFETCH(QString, button);
    QFETCH(QString, dialog);
    QFETCH(QString, filterLeft);

    click(grid("dbGridTableArea"), 6, 1); // zone 7, unnamed
    QString caption;
    whenModalOpens([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), dialog);
        caption = modal->windowTitle();
        modal->close();
    });
    QTest::mouseClick(m_form->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(caption, u"Зона 7 "_s);
    const MemTable &table = button == u"BitBtn1"_s ? m_form->configuration().mtSensor()
                                                   : m_form->configuration().mtReturn();
    QCOMPARE(table.filter(), filterLeft);
    QCOMPARE(m_form->configuration().mtArea().asInteger(ZoneField::id), 7);
}

void TestMainPages::modulesPage_searchFillsItsWindowUntilClosed()
{
#ifndef MIRVANE_PANEL
    QSKIP("needs mirvane-panel");
#else
    QVERIFY(writeFileText(m_dir->filePath(u"loop.json"_s),
                          R"({"klm": 1, "devices": [{"type": 1, "version": 18, "year": 24, "month": 3, "serial": 4660},
                                                   {"type": 2, "version": 18, "year": 24, "month": 5, "serial": 4661}]})"));
    PanelProcess panel({ u"--scenario"_s, m_dir->filePath(u"loop.json"_s) });
    QVERIFY(!panel.port().isEmpty());
    PortSettings settings;
    settings.port = panel.port();
    QString error;
    QVERIFY(PortSettingsStore(m_dir->filePath(u"port.ini"_s)).StoreSettings(settings, &error));
    whenModalOpens([](QWidget *setup) { pressButton(setup, u"OK"_s); });
    m_form->COM1Click();

    showPage(1);
    click(grid("DBGridEh3"), 0, 2); // module 1, the technological module's own loop
    QString warning;
    int rowsSeen = 0;
    bool activeWhileOpen = false;
    whenModalOpens([&](QWidget *question) {
        warning = question->windowTitle() + u'|' + question->findChild<QLabel *>(u"qt_msgbox_label"_s)->text();
        whenModalOpens([&](QWidget *window) {
            auto *found = window->findChild<QTableView *>(u"dbgNewSensor"_s);
            QTRY_COMPARE_WITH_TIMEOUT(found->model()->rowCount(), 2, 20000);
            QTRY_VERIFY_WITH_TIMEOUT(found->model()->index(1, 8).data().toString().contains(u"записано в базу"_s),
                                     20000);
            rowsSeen = found->model()->rowCount();
            activeWhileOpen = m_form->search().isActive();
            window->close();
        });
        pressButton(question, u"&Yes"_s);
    });
    QTest::mouseClick(m_form->findChild<QPushButton *>(u"BitBtn7"_s), Qt::LeftButton);

    QVERIFY2(warning.startsWith(u"Warning|ВНИМАНИЕ!\nСейчас будет произведен поиск и добавление новых устройств к "_s),
             qPrintable(warning));
    QCOMPARE(rowsSeen, 2);
    QVERIFY(activeWhileOpen);
    QVERIFY(!m_form->search().isActive());
    // What was found is in the module's device list.
    QCOMPARE(grid("DBGridEh11")->model()->rowCount(), 2);
    // The port closes before the panel frees its pseudo-terminal: a number freed while
    // the port's lock is still held would be busy for the next test that gets it.
    m_form.reset();
#endif
}

QTEST_MAIN(TestMainPages)
#include "tst_mainpages.moc"
