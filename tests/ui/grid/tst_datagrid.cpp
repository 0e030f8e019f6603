// The data grid over the configuration's own tables, on a real display: what it shows of
// a grid description, how each kind of column is edited, what it paints (read back from
// grabbed pixels) and how it follows the table's current row.

#include "recordingnotifier.h"
#include "unexpectedwarnings.h"

#include <ui/font/programfont.h>
#include <ui/grid/bandedheader.h>
#include <ui/grid/datagrid.h>
#include <ui/grid/gridcelldelegate.h>

#include <model/configuration.h>
#include <model/dialoggrids.h>
#include <model/maingrids.h>
#include <model/memtablemodel.h>
#include <storage/filecommands.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <functional>

using namespace Qt::StringLiterals;

// Outside any namespace: the macro declares the resource library's function where it stands.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

using Table = MemTable &(Configuration::*)();
using Grid = std::function<GridSpec()>;

// A grid over one of a fresh configuration's tables, shown, with its model checked
// throughout.
class Rig
{
public:
    Rig(const GridSpec &grid, Table table)
        : m_grid(grid, (m_config.*table)()),
          m_tester(m_grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
        m_grid.resize(1000, 400);
    }

    MemTable &table() { return m_grid.table(); }
    Configuration &config() { return m_config; }
    DataGrid &grid() { return m_grid; }
    QWidget &cells() { return *m_grid.viewport(); }

    bool show()
    {
        m_grid.show();
        return QTest::qWaitForWindowExposed(&m_grid);
    }
    QModelIndex index(int row, int column) const { return m_grid.model()->index(row, column); }
    QPoint centre(int row, int column) const { return m_grid.visualRect(index(row, column)).center(); }
    // The cell without the grid lines round it.
    QRect inside(int row, int column) const { return m_grid.visualRect(index(row, column)).adjusted(1, 1, -2, -2); }
    QImage shot() { return cells().grab().toImage().convertToFormat(QImage::Format_RGB32); }

private:
    Configuration m_config;
    DataGrid m_grid;
    QAbstractItemModelTester m_tester;
};

// Appends sensor rows of the given device types.
void addSensors(MemTable &sensors, std::initializer_list<int> types)
{
    for (const int type : types) {
        sensors.append();
        sensors.setValue(SensorField::id_sen, type);
        sensors.post();
    }
}

// Appends sensor rows whose every shown column has a text.
void addDescribedSensors(MemTable &sensors, int count)
{
    for (int row = 0; row < count; ++row) {
        sensors.append();
        sensors.setValue(SensorField::id_sen, 2);
        sensors.setValue(SensorField::id_chan, 2);
        sensors.setValue(SensorField::id_dev, 1);
        sensors.setValue(SensorField::addr, 100 + row);
        sensors.setValue(SensorField::id_mode, 1);
        sensors.setValue(SensorField::id_being, 0);
        sensors.setValue(SensorField::ver, 3);
        sensors.setValue(SensorField::year, 2021);
        sensors.setValue(SensorField::month, 7);
        sensors.setValue(SensorField::saddrl, 0x1a);
        sensors.post();
    }
}

QImage picture(const QString &path)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, 16, 16));
    return image;
}

// Whether every opaque pixel of the picture shows, centred on the point.
bool showsPicture(const QImage &shot, const QPoint &centre, const QImage &picture)
{
    QRect place(QPoint(), picture.size());
    place.moveCenter(centre);
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor wanted = picture.pixelColor(x, y);
            if (wanted.alpha() < 255)
                continue;
            ++opaque;
            const QColor shown = shot.pixelColor(place.topLeft() + QPoint(x, y));
            if (qAbs(shown.red() - wanted.red()) > 1 || qAbs(shown.green() - wanted.green()) > 1
                || qAbs(shown.blue() - wanted.blue()) > 1)
                return false;
        }
    }
    return opaque > 0;
}

// A double-click as the system delivers it: a click, then a second press that is the
// double-click, then its release.
void doubleClick(QWidget &widget, const QPoint &at)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, at);
}

// The editor's answer to a key comes as a queued call.
void keyToEditor(QWidget *editor, Qt::Key key)
{
    QTest::keyClick(editor, key);
    QCoreApplication::sendPostedEvents();
}

int pixelsOf(const QImage &shot, const QRect &area, const std::function<bool(const QColor &)> &wanted)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += wanted(shot.pixelColor(x, y)) ? 1 : 0;
    return count;
}

bool allOf(const QImage &shot, const QRect &area, const QColor &colour)
{
    return pixelsOf(shot, area, [&colour](const QColor &c) { return c != colour; }) == 0;
}

QString lowestPart(const QString &title)
{
    return title.section(QLatin1Char('|'), -1).trimmed();
}

// A cell's text as the grid draws it: a name padded to its slot ends where the name does.
QString drawnText(const QModelIndex &cell)
{
    QString text = cell.data().toString();
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// The cell's editor opened with F2, its text replaced by the keys and committed with
// Enter; keys go in one by one with their text, also where QTest knows only Latin-1.
bool typeIntoCell(DataGrid &grid, const QModelIndex &cell, const QString &keys)
{
    grid.setCurrentIndex(cell);
    QTest::keyClick(&grid, Qt::Key_F2);
    QWidget *editor = grid.indexWidget(cell);
    if (!editor)
        return false;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    for (const QChar key : keys)
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(key), Qt::NoModifier);
    keyToEditor(editor, Qt::Key_Return);
    return true;
}

// What a pointer resting at the point brings up: the mouse moved there, then the tooltip
// event the system sends after a while. The tip is taken down at once, so that the next
// look sees only its own.
QString tooltipAt(QWidget &widget, const QPoint &at)
{
    QTest::mouseMove(&widget, at);
    QHelpEvent help(QEvent::ToolTip, at, widget.mapToGlobal(at));
    QApplication::sendEvent(&widget, &help);
    const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->inherits("QTipLabel"))
            window->close();
    }
    return shown;
}

int columnOf(const GridSpec &grid, int field)
{
    for (int column = 0; column < grid.columns.size(); ++column) {
        if (grid.columns.at(column).field == field && !grid.columns.at(column).options.testFlag(ColumnSpec::Hidden))
            return column;
    }
    return -1;
}

} // namespace

Q_DECLARE_METATYPE(Grid)
Q_DECLARE_METATYPE(Table)

class TestDataGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { failOnUnexpectedWarnings(); }

    void pageGrids_data();
    void pageGrids();
    void zoneList_rowsColumnsAndWidths();
    void stateColumn_doubleClickSteps();
    void editing_data();
    void editing();
    void lookup_editedByKey();
    void typedCell_shownAsReopened_data();
    void typedCell_shownAsReopened();
    void pictureColumn_drawsByValue();
    void mark_toggledByOneClick();
    void markTitle_isAButtonWithAChangeablePicture();
    void header_bandsAndPictures();
    void titleHint_showsOverItsOwnCellOnly();
    void titleHint_namesAColumnWithoutOne_data();
    void titleHint_namesAColumnWithoutOne();
    void cutCell_showsItsWholeTextOnHover();
    void oddRows_tinted();
    void followed_afterEveryKeyAndClick();
    void indicator_data();
    void indicator();
    void scrolledSideways_firstColumnShownWhole_data();
    void scrolledSideways_firstColumnShownWhole();
};

void TestDataGrid::initTestCase()
{
    initResources();
    installProgramFont();
}

// Every grid of the pages, over its table: what each shows of its description.
void TestDataGrid::pageGrids_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("levels");

    QTest::newRow("zones") << Grid(MainGrids::dbGridTableArea) << Table(&Configuration::mtArea) << u"Список зон"_s << 2;
    QTest::newRow("zone's detectors") << Grid(MainGrids::dbgTableSensor) << Table(&Configuration::mtSensor)
                                      << u"Список извещателей зоны"_s << 2;
    QTest::newRow("zone's outputs") << Grid(MainGrids::dbgTableReturn) << Table(&Configuration::mtReturn)
                                    << u"Список выходов зоны"_s << 3;
    QTest::newRow("modules") << Grid(MainGrids::DBGridEh3) << Table(&Configuration::mtDev) << u"Список модулей"_s << 2;
    QTest::newRow("module's outputs") << Grid(MainGrids::DBGridEh12) << Table(&Configuration::mtReturn)
                                      << u"Список выходов модуля"_s << 3;
    QTest::newRow("module's devices") << Grid(MainGrids::DBGridEh11) << Table(&Configuration::mtSensor)
                                      << u"Список устройств модуля"_s << 2;
    QTest::newRow("outputs") << Grid(MainGrids::DBGridEh7) << Table(&Configuration::mtReturn) << u"Список выходов"_s
                             << 3;
    QTest::newRow("output's zones") << Grid(MainGrids::dbgAreaReturn) << Table(&Configuration::mtArea)
                                    << u"Список зон выхода"_s << 2;
    QTest::newRow("zones for outputs") << Grid(MainGrids::dbgAreaReturnAcc) << Table(&Configuration::mtAreaCopy)
                                       << u"Список доступных зон"_s << 2;
    QTest::newRow("inputs") << Grid(MainGrids::DBGridEh8) << Table(&Configuration::mtEntrance) << u"Список входов"_s
                            << 2;
    QTest::newRow("input messages") << Grid(MainGrids::DBGridEh10) << Table(&Configuration::mtRepEnt)
                                    << u"Список сообщений входов"_s << 1;
    QTest::newRow("day and night") << Grid(MainGrids::DBGridEh5) << Table(&Configuration::mtTempType)
                                   << u"Настройка режима ДЕНЬ/НОЧЬ"_s << 2;
    QTest::newRow("notifications") << Grid(MainGrids::DBGridEh6) << Table(&Configuration::mtRepComm)
                                   << u"Список оповещений"_s << 2;
}

void TestDataGrid::pageGrids()
{
    QFETCH(Grid, grid);
    QFETCH(Table, table);
    QFETCH(QString, name);
    QFETCH(int, levels);

    const GridSpec described = grid();
    Rig rig(described, table);
    QVERIFY(rig.show());
    DataGrid &shown = rig.grid();
    const QFontMetrics metrics(shown.font());

    QCOMPARE(shown.objectName(), described.name);
    QCOMPARE(shown.accessibleName(), name);
    QCOMPARE(shown.model()->columnCount(), described.columns.size());
    QVERIFY(!shown.isSortingEnabled());
    QCOMPARE(shown.selectionBehavior(),
             described.wholeRows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    QCOMPARE(shown.verticalHeader()->isVisible(), described.indicator != GridSpec::Indicator::None);

    for (int column = 0; column < described.columns.size(); ++column) {
        const ColumnSpec &expected = described.columns.at(column);
        const QByteArray where = "column " + QByteArray::number(column);
        QVERIFY2(shown.isColumnHidden(column) == expected.options.testFlag(ColumnSpec::Hidden), where);
        if (shown.isColumnHidden(column))
            continue;
        if (expected.width != ColumnSpec::NaturalWidth) {
            QVERIFY2(shown.columnWidth(column) == expected.width, where);
            continue;
        }
        // As wide as the field's values and the title under it, text margins included.
        const FieldDef &field = rig.table().fields().at(expected.field);
        const int characters = field.type == FieldType::String ? field.size : 10;
        QVERIFY2(shown.columnWidth(column) >= characters * metrics.averageCharWidth(), where);
        QVERIFY2(shown.columnWidth(column) >= metrics.horizontalAdvance(lowestPart(expected.title)) + 4, where);
    }

    // One line of text a title level, more where a lowest title wraps, and no title cut
    // off: each fits its cell, wrapped at word boundaries when it must.
    BandedHeader &header = *shown.bandedHeader();
    QVERIFY(header.levels() >= levels);
    QVERIFY(header.levelHeight() > metrics.height());
    QCOMPARE(header.height(), header.levels() * header.levelHeight());
    for (const TitleCell &cell : header.cells()) {
        const QRect room = cell.rect.adjusted(1, 0, -1, 0);
        const QRect needed = metrics.boundingRect(QRect(QPoint(), QSize(room.width(), 1000)),
                                                  Qt::TextWordWrap, cell.text);
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(cell.text + u" %1x%2 in %3x%4"_s.arg(needed.width()).arg(needed.height()).arg(room.width()).arg(room.height())));
    }
    QVERIFY(shown.verticalHeader()->defaultSectionSize() >= metrics.height() + 2);
}

void TestDataGrid::zoneList_rowsColumnsAndWidths()
{
    Rig rig(MainGrids::dbGridTableArea(), &Configuration::mtArea);
    QVERIFY(rig.show());
    const QAbstractItemModel &model = *rig.grid().model();

    QCOMPARE(model.rowCount(), Configuration::ZoneCount);
    QCOMPARE(rig.index(0, 0).data().toString(), u"Зона 1"_s);
    QCOMPARE(rig.index(499, 0).data().toString(), u"Зона 500"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"Список зон|Имя зоны"_s);

    const auto shownColumns = [&rig] {
        QList<int> widths;
        for (int column = 0; column < rig.grid().model()->columnCount(); ++column)
            widths.append(rig.grid().isColumnHidden(column) ? -1 : rig.grid().columnWidth(column));
        return widths;
    };
    const QList<int> expected { 71, 403, 79, 133, 113, -1, -1, -1, -1, -1, -1 };
    QCOMPARE(shownColumns(), expected);
    QVERIFY(!rig.grid().wordWrap());
    QCOMPARE(rig.grid().textElideMode(), Qt::ElideRight);

    // A new filter resets the model; the columns stay as they were.
    QVERIFY(rig.table().applyFilter(u"id = 7"_s));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(shownColumns(), expected);
    QCOMPARE(rig.index(0, 0).data().toString(), u"Зона 7"_s);
}

// A double-click on a zone's state sets the next state, after the last the first, and
// opens nothing.
void TestDataGrid::stateColumn_doubleClickSteps()
{
    Rig rig(MainGrids::dbGridTableArea(), &Configuration::mtArea);
    QVERIFY(rig.show());
    const int state = columnOf(rig.grid().grid(), ZoneField::bname);
    const QModelIndex cell = rig.index(3, state);
    QVERIFY(cell.data().isNull()); // a new zone has none: the first comes next

    for (const QString &expected : { u"Подкл."_s, u"Откл."_s, u"Подкл."_s }) {
        doubleClick(rig.cells(), rig.centre(3, state));
        QCOMPARE(cell.data().toString(), expected);
        QVERIFY(!rig.grid().indexWidget(cell));
    }
    QCOMPARE(rig.table().visibleValue(3, ZoneField::id_being).toInt(), 0);
    QCOMPARE(rig.table().visibleValue(2, ZoneField::bname), QVariant());
}

// Which editor, if any, each way of starting an edit opens, column by column.
void TestDataGrid::editing_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<Table>("table");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("editor"); // a class it is; empty for none
    QTest::addColumn<QString>("caption"); // the editor's accessible name, its column's title

    const Grid zones = MainGrids::dbGridTableArea;
    const Table area = &Configuration::mtArea;
    const int number = ZoneField::num;
    const int name = ZoneField::name;
    const int state = ZoneField::bname;
    const QString type = u"type"_s;
    const QString f2 = u"F2"_s;
    const QString twice = u"double-click"_s;
    const QString none;
    QTest::newRow("zone number: typed") << zones << area << number << type << none << none;
    QTest::newRow("zone number: F2") << zones << area << number << f2 << none << none;
    QTest::newRow("zone number: double-click") << zones << area << number << twice << none << none;
    QTest::newRow("zone name: typed") << zones << area << name << type << u"QLineEdit"_s << u"Имя зоны"_s;
    QTest::newRow("zone name: double-click") << zones << area << name << twice << u"QLineEdit"_s << u"Имя зоны"_s;
    QTest::newRow("zone state: F2") << zones << area << state << f2 << u"QComboBox"_s << u"Состояние"_s;
    QTest::newRow("zone state: typed") << zones << area << state << type << u"QComboBox"_s << u"Состояние"_s;
    QTest::newRow("zone state: double-click steps") << zones << area << state << twice << none << none;

    const Grid outputZones = MainGrids::dbgAreaReturn;
    QTest::newRow("whole rows: name") << outputZones << area << name << twice << none << none;
    QTest::newRow("whole rows: state") << outputZones << area << state << f2 << none << none;
    QTest::newRow("whole rows: mark") << outputZones << area << int(ZoneField::boolarea) << twice << none << none;

    const Grid modules = MainGrids::DBGridEh3;
    const Table dev = &Configuration::mtDev;
    QTest::newRow("module type: F2") << modules << dev << int(ModuleField::name) << f2 << u"QComboBox"_s << u"Тип"_s;
    QTest::newRow("read-only address: F2") << modules << dev << int(ModuleField::addr) << f2 << none << none;

    // A lookup that takes no typing still drops down.
    const Grid pickedType = [] {
        ColumnSpec column;
        column.field = SensorField::name;
        column.title = u"Устройство|Тип"_s;
        column.options = ColumnSpec::Lookup | ColumnSpec::NoTyping;
        return GridSpec { u"picked"_s, GridSpec::Indicator::None, false, { column } };
    };
    const Table sensors = &Configuration::mtSensor;
    const int sensorType = SensorField::name;
    QTest::newRow("picked lookup: typed") << pickedType << sensors << sensorType << type << none << none;
    QTest::newRow("picked lookup: F2") << pickedType << sensors << sensorType << f2 << u"QComboBox"_s << u"Тип"_s;
    QTest::newRow("picked lookup: double-click")
            << pickedType << sensors << sensorType << twice << u"QComboBox"_s << u"Тип"_s;
}

void TestDataGrid::editing()
{
    QFETCH(Grid, grid);
    QFETCH(Table, table);
    QFETCH(int, field);
    QFETCH(QString, action);
    QFETCH(QString, editor);
    QFETCH(QString, caption);

    const GridSpec described = grid();
    Rig rig(described, table);
    if (rig.table().isEmpty())
        addSensors(rig.table(), { 1 });
    QVERIFY(rig.show());
    const int column = columnOf(described, field);
    QVERIFY(column >= 0);
    const QModelIndex cell = rig.index(0, column);
    rig.grid().setCurrentIndex(cell);

    if (action == u"type"_s)
        QTest::keyClick(&rig.grid(), 'x');
    else if (action == u"F2"_s)
        QTest::keyClick(&rig.grid(), Qt::Key_F2);
    else
        doubleClick(rig.cells(), rig.centre(0, column));

    const QWidget *opened = rig.grid().indexWidget(cell);
    if (editor.isEmpty()) {
        QVERIFY2(!opened, opened ? opened->metaObject()->className() : "");
        return;
    }
    QVERIFY2(opened && opened->inherits(editor.toLatin1()), opened ? opened->metaObject()->className() : "none");
    QCOMPARE(opened->accessibleName(), caption);
}

// Keys typed into the editors of every grid cell that takes text: the cell shows what a
// saved and reopened file shows, and takes nothing the image would not keep as typed.
void TestDataGrid::typedCell_shownAsReopened_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<Table>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");

    const Grid zones = MainGrids::dbGridTableArea;
    const Table area = &Configuration::mtArea;
    QTest::newRow("zone name: 41 letters") << zones << area << 6 << int(ZoneField::name)
                                           << u"склад"_s + QString(36, u'ї') << u"СКЛАД"_s + QString(35, u'Ї');
    QTest::newRow("zone name: foreign characters") << zones << area << 0 << int(ZoneField::name)
                                                   << u"Zone ☃ é € №7"_s << u"ZONE   € №7"_s;
    const Grid messages = MainGrids::DBGridEh10;
    const Table repEnt = &Configuration::mtRepEnt;
    QTest::newRow("input message: 41 letters") << messages << repEnt << 2 << int(MessageField::name)
                                               << QString(41, u'ж') << QString(40, u'Ж');
    const Grid codes = MainGrids::DBGridEh6;
    const Table repComm = &Configuration::mtRepComm;
    QTest::newRow("event code: 99999") << codes << repComm << 26 << int(EventCodeField::code) << u"99999"_s
                                       << u"9999"_s;
    QTest::newRow("event code: minus") << codes << repComm << 0 << int(EventCodeField::code) << u"-5"_s << u"5"_s;
    const Grid inputs = MainGrids::DBGridEh8;
    const Table entrance = &Configuration::mtEntrance;
    QTest::newRow("input level: 256") << inputs << entrance << 1 << int(InputField::level) << u"256"_s << u"25"_s;
    QTest::newRow("input level: 255") << inputs << entrance << 0 << int(InputField::level) << u"255"_s << u"255"_s;
    const Grid profiles = MainGrids::DBGridEh5;
    const Table tempType = &Configuration::mtTempType;
    QTest::newRow("day start: 23:50") << profiles << tempType << 0 << int(ProfileField::begin_day) << u"23:50"_s
                                      << u"23:50"_s;
    QTest::newRow("night start: 22:35") << profiles << tempType << 1 << int(ProfileField::begin_night)
                                        << u"22:35"_s << u"00:00"_s;
    QTest::newRow("day start: 25:70") << profiles << tempType << 3 << int(ProfileField::begin_day) << u"25:70"_s
                                      << u"00:00"_s;
}

void TestDataGrid::typedCell_shownAsReopened()
{
    QFETCH(Grid, grid);
    QFETCH(Table, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);

    const GridSpec described = grid();
    Rig rig(described, table);
    MemTable &modules = rig.config().mtDev();
    modules.first();
    modules.setValue(ModuleField::id_name, 3); // an eight-channel module, for its inputs
    modules.post();
    QVERIFY(rig.show());
    const QModelIndex cell = rig.index(row, columnOf(described, field));
    QVERIFY(typeIntoCell(rig.grid(), cell, keys));
    QCOMPARE(drawnText(cell), shown);

    QTemporaryDir dir;
    RecordingNotifier notifier;
    FileCommands commands(rig.config(), notifier);
    commands.buildImage();
    QVERIFY(commands.saveFile(dir.filePath(u"typed.tab"_s)));
    Configuration reopened;
    QVERIFY(FileCommands(reopened, notifier).openFile(dir.filePath(u"typed.tab"_s)));
    QCOMPARE(notifier.messages, QStringList());
    const MemTableModel model(&(reopened.*table)());
    QCOMPARE(drawnText(model.index(row, field)), shown);
}

// Device types 6 and 7 have one name; the drop-down tells them apart by key both ways.
void TestDataGrid::lookup_editedByKey()
{
    ColumnSpec type;
    type.field = SensorField::name;
    type.title = u"Список|Тип"_s;
    type.options = ColumnSpec::Lookup;
    Rig rig(GridSpec { u"types"_s, GridSpec::Indicator::None, false, { type } }, &Configuration::mtSensor);
    addSensors(rig.table(), { 7 });
    QVERIFY(rig.show());
    const QModelIndex cell = rig.index(0, 0);

    const auto pick = [&](int key) -> QComboBox * {
        rig.grid().edit(cell);
        auto *box = qobject_cast<QComboBox *>(rig.grid().indexWidget(cell));
        if (!box)
            return nullptr;
        box->setCurrentIndex(box->findData(key));
        keyToEditor(box, Qt::Key_Return);
        return box;
    };

    rig.grid().edit(cell);
    auto *box = qobject_cast<QComboBox *>(rig.grid().indexWidget(cell));
    QVERIFY(box);
    QCOMPARE(box->accessibleName(), u"Тип"_s);
    QCOMPARE(box->currentData().toInt(), 7);
    QCOMPARE(box->currentText(), u"Адресная метка КВ-3"_s);
    QCOMPARE(box->itemText(box->findData(6)), box->currentText());
    keyToEditor(box, Qt::Key_Escape);
    QVERIFY(!rig.grid().indexWidget(cell));

    QVERIFY(pick(6));
    QCOMPARE(rig.table().visibleValue(0, SensorField::id_sen).toInt(), 6);
    QVERIFY(pick(7));
    QCOMPARE(rig.table().visibleValue(0, SensorField::id_sen).toInt(), 7);
    QCOMPARE(cell.data().toString(), u"КВ-3"_s);
}

// The device type column draws the type's picture and no text: 6 and 7 share one, 9 has
// none.
void TestDataGrid::pictureColumn_drawsByValue()
{
    Rig rig(MainGrids::dbgTableSensor(), &Configuration::mtSensor);
    addSensors(rig.table(), { 1, 6, 9, 7 });
    rig.table().first(); // highlighted: the rows compared are others
    QVERIFY(rig.show());
    const int type = columnOf(rig.grid().grid(), SensorField::id_sen);
    const QImage shot = rig.shot();

    const QImage six = shot.copy(rig.inside(1, type));
    QCOMPARE(shot.copy(rig.inside(3, type)), six);
    QVERIFY(showsPicture(shot, rig.centre(1, type), picture(u":/icons/device/6.svg"_s)));
    QVERIFY(allOf(shot, rig.inside(2, type), GridCellDelegate::OddRowColour));
    QVERIFY(showsPicture(shot, rig.centre(0, type), picture(u":/icons/device/1.svg"_s)));
}

void TestDataGrid::mark_toggledByOneClick()
{
    Rig rig(MainGrids::dbgAreaReturn(), &Configuration::mtArea);
    QVERIFY(rig.show());
    const int mark = columnOf(rig.grid().grid(), ZoneField::boolarea);
    QSignalSpy followed(&rig.grid(), &DataGrid::followed);

    QTest::mouseClick(&rig.cells(), Qt::LeftButton, {}, rig.centre(2, mark));
    QCOMPARE(rig.table().visibleValue(2, ZoneField::boolarea).toBool(), true);
    QCOMPARE(rig.table().recNo(), 3);
    QCOMPARE(followed.count(), 2);
    QVERIFY(!rig.grid().indexWidget(rig.index(2, mark)));

    const QImage ticked = rig.shot().copy(rig.inside(2, mark));
    QTest::mouseClick(&rig.cells(), Qt::LeftButton, {}, rig.centre(2, mark));
    QCOMPARE(rig.table().visibleValue(2, ZoneField::boolarea).toBool(), false);
    QVERIFY(rig.shot().copy(rig.inside(2, mark)) != ticked);

    // A click elsewhere in the row leaves the mark.
    QTest::mouseClick(&rig.cells(), Qt::LeftButton, {}, rig.centre(2, 0));
    QCOMPARE(rig.table().visibleValue(2, ZoneField::boolarea).toBool(), false);
}

void TestDataGrid::markTitle_isAButtonWithAChangeablePicture()
{
    Rig rig(MainGrids::dbgAreaReturn(), &Configuration::mtArea);
    QVERIFY(rig.show());
    const int mark = columnOf(rig.grid().grid(), ZoneField::boolarea);
    BandedHeader &header = *rig.grid().bandedHeader();
    QSignalSpy clicked(&header, &BandedHeader::titleButtonClicked);

    QRect markCell;
    QRect band;
    for (const TitleCell &cell : header.cells()) {
        if (cell.column == mark)
            markCell = cell.rect;
        if (cell.text == u"Список зон выхода"_s)
            band = cell.rect;
    }
    QVERIFY(markCell.isValid() && band.isValid());
    QVERIFY(showsPicture(header.viewport()->grab().toImage(), markCell.center(), picture(u":/icons/title/0.svg"_s)));

    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, band.center());
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(markCell.center().x(), band.center().y()));
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, markCell.center());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), mark);
    QCOMPARE(rig.table().visibleValue(0, ZoneField::boolarea).toBool(), false); // the page decides what it does

    header.setTitleIcon(mark, 2);
    QCOMPARE(header.titleIcon(mark), 2);
    QVERIFY(showsPicture(header.viewport()->grab().toImage(), markCell.center(), picture(u":/icons/title/2.svg"_s)));
    header.setTitleIcon(mark, 0);
    QVERIFY(showsPicture(header.viewport()->grab().toImage(), markCell.center(), picture(u":/icons/title/0.svg"_s)));
}

void TestDataGrid::titleHint_showsOverItsOwnCellOnly()
{
    Rig rig(DialogGrids::dbgeReturnZone(), &Configuration::mtReturn);
    QVERIFY(rig.show());
    BandedHeader &header = *rig.grid().bandedHeader();
    QVERIFY(header.sectionsMovable());
    const int mark = columnOf(rig.grid().grid(), OutputField::boolarea);
    QRect markCell;
    QRect band;
    for (const TitleCell &cell : header.cells()) {
        if (cell.column == mark)
            markCell = cell.rect;
        if (cell.text == u"Список выходов зоны"_s)
            band = cell.rect;
    }
    QVERIFY(markCell.isValid() && band.isValid());
    const auto hintAt = [&header](const QPoint &at) {
        QHelpEvent help(QEvent::ToolTip, at, header.viewport()->mapToGlobal(at));
        QApplication::sendEvent(header.viewport(), &help);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return shown;
    };
    QCOMPARE(hintAt(QPoint(markCell.center().x(), band.center().y())), QString());
    QCOMPARE(hintAt(markCell.center()), u"Отметить все  выходы зоны"_s);
}

void TestDataGrid::titleHint_namesAColumnWithoutOne_data()
{
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QString>("cellText"); // the title cell pointed at, by its text; empty for the picture
    QTest::addColumn<int>("column"); // or by its column
    QTest::addColumn<QString>("hint");
    QTest::newRow("type picture") << Grid(MainGrids::DBGridEh3) << Table(&Configuration::mtDev) << QString() << 0
                                  << u"Тип"_s;
    QTest::newRow("text") << Grid(MainGrids::DBGridEh3) << Table(&Configuration::mtDev) << u"Адрес"_s << -1
                          << u"Адрес"_s;
    QTest::newRow("wrapped in a narrow column")
            << Grid(MainGrids::DBGridEh8) << Table(&Configuration::mtEntrance) << QString() << 4
            << u"Уровень нормального состояния"_s;
    QTest::newRow("band, shared") << Grid(MainGrids::DBGridEh3) << Table(&Configuration::mtDev)
                                  << u"Список модулей"_s << -1 << QString();
    QTest::newRow("own hint kept") << Grid(DialogGrids::dbgeReturnZone) << Table(&Configuration::mtReturn)
                                   << QString() << columnOf(DialogGrids::dbgeReturnZone(), OutputField::boolarea)
                                   << u"Отметить все  выходы зоны"_s;
}

void TestDataGrid::titleHint_namesAColumnWithoutOne()
{
    QFETCH(Grid, grid);
    QFETCH(Table, table);
    QFETCH(QString, cellText);
    QFETCH(int, column);
    QFETCH(QString, hint);
    Rig rig(grid(), table);
    QVERIFY(rig.show());
    BandedHeader &header = *rig.grid().bandedHeader();
    QRect place;
    for (const TitleCell &cell : header.cells()) {
        if ((column >= 0 && cell.column == column) || (column < 0 && cell.text == cellText))
            place = cell.rect;
    }
    QVERIFY(place.isValid());
    QCOMPARE(tooltipAt(*header.viewport(), place.center() - QPoint(header.offset(), 0)), hint);
}

// A zone name longer than its column ends in "…" and shows whole under the pointer; a
// cell that shows its text whole has no tooltip.
void TestDataGrid::cutCell_showsItsWholeTextOnHover()
{
    Rig rig(MainGrids::dbgAreaReturn(), &Configuration::mtArea);
    const int name = columnOf(rig.grid().grid(), ZoneField::name);
    const int state = columnOf(rig.grid().grid(), ZoneField::bname);
    const int mark = columnOf(rig.grid().grid(), ZoneField::boolarea);
    QVERIFY(rig.table().setVisibleValue(0, ZoneField::name, u"ЛЕСТНИЧНАЯ КЛЕТКА ВОСТОЧНОГО КРЫЛА"_s));
    QVERIFY(rig.table().setVisibleValue(1, ZoneField::name, u"СКЛАД"_s));
    QVERIFY(rig.show());
    const QString whole = drawnText(rig.index(0, name));
    QCOMPARE(whole, u"ЛЕСТНИЧНАЯ КЛЕТКА ВОСТОЧНОГО КРЫЛА"_s);
    QVERIFY(rig.grid().fontMetrics().horizontalAdvance(whole) > rig.grid().columnWidth(name));

    QCOMPARE(tooltipAt(rig.cells(), rig.centre(0, name)), whole);
    QCOMPARE(tooltipAt(rig.cells(), rig.centre(1, name)), QString());
    QCOMPARE(tooltipAt(rig.cells(), rig.centre(0, state)), QString());
    QCOMPARE(tooltipAt(rig.cells(), rig.centre(0, mark)), QString());

    // Near the width the name needs, the tooltip comes exactly where the drawn name differs
    // from the same name drawn with room to spare: where it is cut.
    const int needed = rig.grid().fontMetrics().horizontalAdvance(whole);
    QSet<bool> seen;
    for (int width = needed - 4; width <= needed + 16; ++width) {
        rig.grid().setColumnWidth(name, width + 200);
        const QImage roomy = rig.shot().copy(rig.inside(0, name).adjusted(0, 0, -200, 0));
        rig.grid().setColumnWidth(name, width);
        const bool cut = rig.shot().copy(rig.inside(0, name)) != roomy;
        seen.insert(cut);
        QCOMPARE(tooltipAt(rig.cells(), rig.centre(0, name)), cut ? whole : QString());
    }
    QCOMPARE(seen.size(), 2);
}

// The modules' header: one band over all columns, the arrow over the type picture column,
// and column edges only under the band.
void TestDataGrid::header_bandsAndPictures()
{
    Rig rig(MainGrids::DBGridEh3(), &Configuration::mtDev);
    QVERIFY(rig.show());
    BandedHeader &header = *rig.grid().bandedHeader();
    const QImage shot = header.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int level = header.levelHeight();

    const QVector<TitleCell> cells = header.cells();
    QCOMPARE(cells.size(), 6); // the band; the arrow; "Тип", address, chain and state
    QCOMPARE(cells.at(0).text, u"Список модулей"_s);
    QCOMPARE(cells.at(0).rect, QRect(0, 0, 28 + 55 + 34 + 119 + 66, level));
    QVERIFY(showsPicture(shot, cells.at(1).rect.center(), picture(u":/icons/title/1.svg"_s)));

    // Along a line near the top of each level, the edge between the first two columns.
    const int edge = rig.grid().columnWidth(0) - 1;
    const auto differ = [&shot, edge](int y) { return shot.pixelColor(edge, y) != shot.pixelColor(edge - 3, y); };
    QVERIFY2(!differ(2), "an edge across the band");
    QVERIFY2(differ(level + 2), "no edge under the band");

    // The band's text is drawn in its middle, not at its ends: on each line of pixels, the
    // ground is the colour near the band's left end.
    const QRect band = cells.at(0).rect.adjusted(3, 2, -3, -2);
    const auto inked = [&shot, &band](const QRect &area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += shot.pixelColor(x, y) != shot.pixelColor(band.left(), y) ? 1 : 0;
        return count;
    };
    QVERIFY(inked(QRect(band.center().x() - 20, band.top(), 40, band.height())) > 0);
    QCOMPARE(inked(QRect(band.left(), band.top(), 20, band.height())), 0);
}

void TestDataGrid::oddRows_tinted()
{
    Rig rig(MainGrids::dbGridTableArea(), &Configuration::mtArea);
    QVERIFY(rig.table().setRecNo(10)); // the current row is highlighted: keep it away
    QVERIFY(rig.show());
    const int name = columnOf(rig.grid().grid(), ZoneField::name);
    const QImage shot = rig.shot();
    const QColor base = rig.grid().palette().color(QPalette::Base);

    for (int row = 0; row < 4; ++row) {
        const QRect cell = rig.inside(row, name);
        const QPoint at(cell.right() - 2, cell.center().y());
        QCOMPARE(shot.pixelColor(at), row % 2 == 0 ? GridCellDelegate::OddRowColour : base);
    }
}

// followed() comes after the grid has handled each event, so the table is already on the
// row the grid shows; and the grid follows the table.
void TestDataGrid::followed_afterEveryKeyAndClick()
{
    Rig rig(MainGrids::dbGridTableArea(), &Configuration::mtArea);
    QVERIFY(rig.show());
    QList<int> rowsWhenFollowed;
    connect(&rig.grid(), &DataGrid::followed, &rig.grid(),
            [&rig, &rowsWhenFollowed] { rowsWhenFollowed.append(rig.table().recNo()); });
    QCOMPARE(rig.table().recNo(), 1);

    QTest::keyClick(&rig.grid(), Qt::Key_Down);
    QCOMPARE(rowsWhenFollowed, QList<int>({ 2, 2 }));

    QTest::mouseClick(&rig.cells(), Qt::LeftButton, {}, rig.centre(5, 1));
    QCOMPARE(rowsWhenFollowed, QList<int>({ 2, 2, 6, 6 }));
    QCOMPARE(rig.grid().currentIndex().column(), 1);

    // The indicator moves the row as well.
    QWidget &indicator = *rig.grid().verticalHeader()->viewport();
    QTest::mouseClick(&indicator, Qt::LeftButton, {}, QPoint(5, rig.centre(7, 1).y()));
    QCOMPARE(rowsWhenFollowed.mid(4), QList<int>({ 8, 8 }));

    QVERIFY(rig.table().locate(ZoneField::id, 420));
    QCOMPARE(rig.grid().currentIndex().row(), 419);
    QVERIFY(rig.cells().rect().contains(rig.centre(419, 1)));
    QCOMPARE(rowsWhenFollowed.size(), 6); // the grid was not touched
}

void TestDataGrid::indicator_data()
{
    QTest::addColumn<GridSpec::Indicator>("indicator");

    QTest::newRow("none") << GridSpec::Indicator::None;
    QTest::newRow("plain") << GridSpec::Indicator::Plain;
    QTest::newRow("numbered") << GridSpec::Indicator::Numbered;
}

// The column at the left: hidden, a narrow marker column, or the row numbers as well.
void TestDataGrid::indicator()
{
    QFETCH(GridSpec::Indicator, indicator);

    GridSpec zones = MainGrids::dbGridTableArea();
    zones.indicator = indicator;
    Rig rig(zones, &Configuration::mtArea);
    // Numbers in blue, so that black is the marker's alone.
    QPalette palette = rig.grid().palette();
    palette.setColor(QPalette::ButtonText, QColor(0, 0, 200));
    rig.grid().setPalette(palette);
    QVERIFY(rig.table().setRecNo(3));
    QVERIFY(rig.show());
    QHeaderView &header = *rig.grid().verticalHeader();
    if (indicator == GridSpec::Indicator::None) {
        QVERIFY(!header.isVisible());
        return;
    }
    QVERIFY(header.isVisible());
    const QFontMetrics metrics(rig.grid().font());
    if (indicator == GridSpec::Indicator::Plain) {
        QVERIFY(header.width() >= 11 && header.width() <= 12);
    } else {
        QVERIFY(header.width() >= metrics.horizontalAdvance(u"500"_s));
        QVERIFY(header.width() < 60);
    }

    const QImage shot = header.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto section = [&header](int row) {
        return QRect(0, header.sectionViewportPosition(row), header.width(), header.sectionSize(row));
    };
    const auto black = [](const QColor &c) { return c == QColor(Qt::black); };
    const auto blue = [](const QColor &c) { return c.blue() > c.red() + 60; };
    QVERIFY(pixelsOf(shot, section(2), black) > 0);
    QCOMPARE(pixelsOf(shot, section(1), black), 0);
    QCOMPARE(pixelsOf(shot, section(4), black), 0);
    const bool numbered = indicator == GridSpec::Indicator::Numbered;
    QCOMPARE(pixelsOf(shot, section(1), blue) > 0, numbered);

    // The number is right-aligned: "10" reaches further left than "9" and ends where it ends.
    if (numbered) {
        const auto inkSpan = [&](int row) {
            const QRect area = section(row);
            int left = area.right(), right = area.left();
            for (int x = area.left(); x <= area.right(); ++x)
                for (int y = area.top(); y <= area.bottom(); ++y)
                    if (blue(shot.pixelColor(x, y))) {
                        left = qMin(left, x);
                        right = qMax(right, x);
                    }
            return std::make_pair(left, right);
        };
        QVERIFY(inkSpan(9).first < inkSpan(8).first);
        QVERIFY(qAbs(inkSpan(9).second - inkSpan(8).second) <= 1);
    }
}

void TestDataGrid::scrolledSideways_firstColumnShownWhole_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("byKey"); // End moves to the last column; else the scroll bar

    for (const int width : { 380, 420, 450, 470 })
        QTest::addRow("%d pixels, scroll bar", width) << width << false;
    QTest::newRow("450 pixels, End") << 450 << true;
}

// Scrolled to the right end, the grid starts with a whole column, whose text and title are
// drawn in sight, and still shows the last column whole.
void TestDataGrid::scrolledSideways_firstColumnShownWhole()
{
    QFETCH(int, width);
    QFETCH(bool, byKey);

    Rig rig(MainGrids::dbgTableSensor(), &Configuration::mtSensor);
    addDescribedSensors(rig.table(), 3);
    rig.grid().resize(width, 200);
    QVERIFY(rig.show());
    QScrollBar *across = rig.grid().horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    if (byKey) {
        rig.grid().setCurrentIndex(rig.index(1, 0));
        QTest::keyClick(&rig.grid(), Qt::Key_End);
    } else {
        across->setValue(across->maximum());
    }
    QCOMPARE(across->value(), across->maximum());

    DataGrid &grid = rig.grid();
    const int first = grid.columnAt(0);
    QCOMPARE(grid.columnViewportPosition(first), 0);
    int last = grid.model()->columnCount() - 1;
    while (grid.isColumnHidden(last))
        --last;
    QVERIFY(grid.columnViewportPosition(last) + grid.columnWidth(last) <= grid.viewport()->width());

    const auto dark = [](const QColor &c) { return qGray(c.rgb()) < 100; };
    QVERIFY(pixelsOf(rig.shot(), rig.inside(2, first), dark) > 0);
    const BandedHeader &header = *grid.bandedHeader();
    const QVector<TitleCell> cells = header.cells();
    const auto title = std::find_if(cells.cbegin(), cells.cend(),
                                    [first](const TitleCell &cell) { return cell.column == first; });
    QVERIFY(title != cells.cend());
    const QRect titleShown = title->rect.translated(-header.offset(), 0).adjusted(2, 2, -2, -2);
    QVERIFY(titleShown.left() >= 0);
    const QImage titles = header.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(pixelsOf(titles, titleShown, dark) > 0);

    // The band, cut at the left, has its text in the middle of the part in sight.
    const QRect band = cells.constFirst().rect.translated(-header.offset(), 0);
    QCOMPARE(cells.constFirst().text, u"Список извещателей зоны"_s);
    QVERIFY(band.left() < 0);
    const QRect bandShown = band.intersected(header.viewport()->rect()).adjusted(2, 2, -2, -2);
    int left = bandShown.right();
    int right = bandShown.left();
    for (int y = bandShown.top(); y <= bandShown.bottom(); ++y) {
        for (int x = bandShown.left(); x <= bandShown.right(); ++x) {
            if (dark(titles.pixelColor(x, y))) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    QVERIFY(left < right);
    QVERIFY2(qAbs((left + right) / 2 - bandShown.center().x()) <= 3, qPrintable(QString::number(left)));
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
