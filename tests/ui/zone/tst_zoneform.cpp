// The devices dialog of a zone, driven through its own buttons, marks and titles.

#include "zonedialogchecks.h"

#include <ui/font/programfont.h>
#include <ui/zone/zoneform.h>

#include <image/records.h>
#include <model/configuration.h>
#include <model/marktitles.h>
#include <model/zonemembership.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace ZoneDialogChecks;

// Outside any namespace: the macro declares the resource library's function where it stands.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

struct Device
{
    int module;
    int address;
    int record; // the channel record the address owns
};

// On records 0 and 3, which have link slots, and 35, which has none.
const Device Devices[] = { { 1, 2, 0 }, { 1, 5, 3 }, { 1, 37, 35 } };

// Module 1's three free devices; the dialog of a zone opened as the zones page opens it.
class Rig
{
public:
    Rig()
    {
        for (const Device &d : Devices) {
            ChannelRecord(config.image().ChannelRecord(d.module, d.record)).setOwner(d.address);
            MemTable &sensors = config.mtSensor();
            sensors.append();
            sensors.setValue(SensorField::id_dev, d.module);
            sensors.setValue(SensorField::addr, d.address);
            sensors.setValue(SensorField::id_chan, 1);
            sensors.setValue(SensorField::saddrl, d.address);
            sensors.setValue(SensorField::id_area, 0);
            sensors.setValue(SensorField::boolarea, false);
            sensors.post();
        }
    }

    bool open(int zone)
    {
        form.reset();
        if (!config.mtArea().locate(ZoneField::id, zone))
            return false;
        devices.prepare();
        form = std::make_unique<TZoneForm>(config, devices);
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    DataGrid *zoneList() const { return form->findChild<DataGrid *>(u"dbgeSensorZone"_s); }
    DataGrid *freeList() const { return form->findChild<DataGrid *>(u"dbgeSensorAcc"_s); }

    static void mark(DataGrid *list, const Device &d)
    {
        const int row = rowWith(list, SensorField::addr, d.address);
        QVERIFY2(row >= 0, qPrintable(QString::number(d.address)));
        clickMark(list, row);
        QVERIFY(list->table().visibleValue(row, SensorField::boolarea).toBool());
    }

    static QVector<int> addresses(const DataGrid *list)
    {
        QVector<int> shown;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            shown << list->table().visibleValue(row, SensorField::addr).toInt();
        return shown;
    }

    int zoneOf(const Device &d)
    {
        const MemTable &sensors = config.mtSensor();
        for (int row = 0; row < sensors.rowCount(); ++row) {
            if (sensors.rowInteger(row, SensorField::addr) == d.address)
                return sensors.rowInteger(row, SensorField::id_area);
        }
        return -1;
    }

    ConstChannelRecord channel(const Device &d) const
    {
        return ConstChannelRecord(std::as_const(config).image().ChannelRecord(d.module, d.record));
    }

    RecordLink link(int zone, int slot) const
    {
        return ConstZoneRecord(std::as_const(config).image().ZoneRecord(zone)).deviceLink(slot);
    }

    Configuration config;
    ZoneDevices devices { config };
    std::unique_ptr<TZoneForm> form;
};

} // namespace

class tst_ZoneForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installProgramFont();
        initResources();
    }

    void attach_markedFreeDevicesJoinTheZone();
    void detach_aDeviceLeftMarkedInAnotherZonesDialogGoesToo();
    void returnKey_inAList_movesNothing();
    void caption_setAsShown_data();
    void caption_setAsShown();
    void removeQuestion_changesNothing_data();
    void removeQuestion_changesNothing();
    void markTitle_setsThenClearsEveryMark_data();
    void markTitle_setsThenClearsEveryMark();
    void markTitles_showTheCheckAgain_data();
    void markTitles_showTheCheckAgain();
    void marks_leaveTheListWhereItStandsSideways_data();
    void marks_leaveTheListWhereItStandsSideways();
    void markTitle_draggedBackToItsPlace_changesNoMark_data();
    void markTitle_draggedBackToItsPlace_changesNoMark();
    void frame();
    void layout_data();
    void layout();
    void hints_data();
    void hints();
    void runModal_preparesTheFreeListAndGoesWhenClosed();
};

void tst_ZoneForm::attach_markedFreeDevicesJoinTheZone()
{
    Rig rig;
    QVERIFY(rig.open(3));
    QVERIFY(Rig::addresses(rig.zoneList()).isEmpty());
    QCOMPARE(Rig::addresses(rig.freeList()), (QVector<int> { 2, 5, 37 }));
    Rig::mark(rig.freeList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[1]);

    press(*rig.form, "BitBtn1");

    QCOMPARE(Rig::addresses(rig.zoneList()), (QVector<int> { 2, 5 }));
    QCOMPARE(Rig::addresses(rig.freeList()), QVector<int> { 37 });
    for (const Device &d : { Devices[0], Devices[1] }) {
        QCOMPARE(rig.zoneOf(d), 3);
        QCOMPARE(rig.channel(d).zone(), 3);
        QCOMPARE(rig.channel(d).index(), d.record);
        QCOMPARE(rig.link(3, d.record).module, d.module);
        QCOMPARE(rig.link(3, d.record).record, d.record);
    }
    QCOMPARE(rig.channel(Devices[2]).zone(), 0);
    QCOMPARE(marks(rig.zoneList(), SensorField::boolarea), QVector<bool>(2, false));
    QCOMPARE(marks(rig.freeList(), SensorField::boolarea), QVector<bool> { false });
}

void tst_ZoneForm::detach_aDeviceLeftMarkedInAnotherZonesDialogGoesToo()
{
    Rig rig;
    QVERIFY(rig.open(1));
    Rig::mark(rig.freeList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[1]);
    press(*rig.form, "BitBtn1");
    Rig::mark(rig.zoneList(), Devices[0]); // and the dialog closed so
    rig.form->close();

    QVERIFY(rig.open(2));
    Rig::mark(rig.freeList(), Devices[2]);
    press(*rig.form, "BitBtn1");
    QCOMPARE(Rig::addresses(rig.zoneList()), QVector<int> { 37 });
    Rig::mark(rig.zoneList(), Devices[2]);
    press(*rig.form, "BitBtn2");

    QVERIFY(Rig::addresses(rig.zoneList()).isEmpty());
    QCOMPARE(Rig::addresses(rig.freeList()), (QVector<int> { 2, 37 }));
    QCOMPARE(rig.zoneOf(Devices[0]), 0);
    QCOMPARE(rig.zoneOf(Devices[1]), 1);
    QCOMPARE(rig.zoneOf(Devices[2]), 0);
    QCOMPARE(rig.channel(Devices[0]).zone(), 0);
    QCOMPARE(rig.channel(Devices[0]).index(), 0);
    QCOMPARE(rig.channel(Devices[1]).zone(), 1);
    QCOMPARE(rig.channel(Devices[2]).zone(), 0);
    QCOMPARE(rig.link(1, 0).module, 0);
    QCOMPARE(rig.link(1, 3).module, 1);

    QVERIFY(rig.open(1));
    QCOMPARE(Rig::addresses(rig.zoneList()), QVector<int> { 5 });
    QCOMPARE(Rig::addresses(rig.freeList()), (QVector<int> { 2, 37 }));
}

void tst_ZoneForm::returnKey_inAList_movesNothing()
{
    Rig rig;
    QVERIFY(rig.open(3));
    Rig::mark(rig.freeList(), Devices[0]);
    rig.freeList()->setFocus();
    QTest::keyClick(rig.freeList(), Qt::Key_Return);
    QTest::keyClick(rig.freeList(), Qt::Key_Enter);
    QCOMPARE(rig.zoneOf(Devices[0]), 0);
    QVERIFY(rig.form->isVisible());
}

void tst_ZoneForm::caption_setAsShown_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("unnamed") << QString() << u"Зона 5 "_s;
    QTest::newRow("named") << u"СКЛАД"_s << u"Зона 5 СКЛАД"_s;
}

void tst_ZoneForm::caption_setAsShown()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Rig rig;
    QVERIFY(rig.config.mtArea().locate(ZoneField::id, 5));
    rig.config.mtArea().setValue(ZoneField::name, name);
    rig.config.mtArea().post();
    TZoneForm form(rig.config, rig.devices);
    QCOMPARE(form.windowTitle(), QString());
    form.show();
    QCOMPARE(form.windowTitle(), caption);
}

void tst_ZoneForm::removeQuestion_changesNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("yes") << u"&Yes"_s;
    QTest::newRow("no") << u"&No"_s;
}

void tst_ZoneForm::removeQuestion_changesNothing()
{
    QFETCH(QString, answer);
    Rig rig;
    QVERIFY(rig.open(3));
    Rig::mark(rig.freeList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[1]);
    press(*rig.form, "BitBtn1");
    Rig::mark(rig.zoneList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[2]);
    const QByteArray image = rig.config.image().Bytes();

    SeenBox seen;
    answerNextBox(answer, &seen);
    press(*rig.form, "BitBtn3");

    QCOMPARE(seen.className, u"QMessageBox"_s);
    QCOMPARE(seen.title, u"Warning"_s);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.text, u"Вы действительо хотите удалить выделенные устройства ???"_s);
    QCOMPARE(seen.buttons, (QStringList { u"&No"_s, u"&Yes"_s }));
    QVERIFY(rig.form->isVisible());
    QCOMPARE(rig.config.image().Bytes(), image);
    QCOMPARE(Rig::addresses(rig.zoneList()), (QVector<int> { 2, 5 }));
    QCOMPARE(Rig::addresses(rig.freeList()), QVector<int> { 37 });
    QCOMPARE(marks(rig.zoneList(), SensorField::boolarea), (QVector<bool> { true, false }));
    QCOMPARE(marks(rig.freeList(), SensorField::boolarea), QVector<bool> { true });
}

void tst_ZoneForm::markTitle_setsThenClearsEveryMark_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("the zone's devices") << u"dbgeSensorZone"_s;
    QTest::newRow("the free devices") << u"dbgeSensorAcc"_s;
}

void tst_ZoneForm::markTitle_setsThenClearsEveryMark()
{
    QFETCH(QString, list);
    Rig rig;
    QVERIFY(rig.open(3));
    Rig::mark(rig.freeList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[1]);
    press(*rig.form, "BitBtn1"); // two above, one below
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    DataGrid *other = grid == rig.zoneList() ? rig.freeList() : rig.zoneList();
    clickMark(grid, 0);
    const QVector<bool> untouched = marks(other, SensorField::boolarea);
    const int rows = grid->model()->rowCount();

    clickMarkTitle(grid);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Cross);
    QCOMPARE(marks(grid, SensorField::boolarea), QVector<bool>(rows, true));
    clickMarkTitle(grid);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Check);
    QCOMPARE(marks(grid, SensorField::boolarea), QVector<bool>(rows, false));

    QCOMPARE(markTitleIcon(other), MarkTitles::Check);
    QCOMPARE(marks(other, SensorField::boolarea), untouched);
}

void tst_ZoneForm::markTitles_showTheCheckAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("attached") << u"BitBtn1"_s;
    QTest::newRow("detached") << u"BitBtn2"_s;
    QTest::newRow("closed") << u"close"_s;
}

void tst_ZoneForm::markTitles_showTheCheckAgain()
{
    QFETCH(QString, how);
    Rig rig;
    QVERIFY(rig.open(3));
    for (DataGrid *grid : { rig.zoneList(), rig.freeList() }) {
        clickMarkTitle(grid);
        QCOMPARE(markTitleIcon(grid), MarkTitles::Cross);
    }
    if (how == u"close")
        rig.form->close();
    else
        press(*rig.form, qPrintable(how));
    QCOMPARE(markTitleIcon(rig.zoneList()), MarkTitles::Check);
    QCOMPARE(markTitleIcon(rig.freeList()), MarkTitles::Check);
}

void tst_ZoneForm::marks_leaveTheListWhereItStandsSideways_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("title"); // the mark title, or one row's mark

    for (const QString &list : { u"dbgeSensorZone"_s, u"dbgeSensorAcc"_s }) {
        QTest::addRow("%s: a mark", qPrintable(list)) << list << false;
        QTest::addRow("%s: the mark title", qPrintable(list)) << list << true;
    }
}

// Scrolled to the marks at the right, a list stays there when one is set: the mark just
// set stays in sight.
void tst_ZoneForm::marks_leaveTheListWhereItStandsSideways()
{
    QFETCH(QString, list);
    QFETCH(bool, title);
    Rig rig;
    QVERIFY(rig.open(3));
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    if (grid == rig.zoneList()) {
        Rig::mark(rig.freeList(), Devices[0]);
        Rig::mark(rig.freeList(), Devices[1]);
        press(*rig.form, "BitBtn1");
    }
    QScrollBar *across = grid->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    across->setValue(across->maximum());
    const int row = grid->model()->rowCount() - 1; // not the current row
    QVERIFY(row > 0);

    if (title)
        clickMarkTitle(grid);
    else
        clickMarkInSight(grid, row);

    QVERIFY(grid->table().visibleValue(row, SensorField::boolarea).toBool());
    QCOMPARE(across->value(), across->maximum());
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(row, markColumn(grid)))));
}

void tst_ZoneForm::markTitle_draggedBackToItsPlace_changesNoMark_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("the zone's devices") << u"dbgeSensorZone"_s;
    QTest::newRow("the free devices") << u"dbgeSensorAcc"_s;
}

// Only a click sets or clears every mark; a drag does not, even one let go in its place.
void tst_ZoneForm::markTitle_draggedBackToItsPlace_changesNoMark()
{
    QFETCH(QString, list);
    Rig rig;
    QVERIFY(rig.open(3));
    Rig::mark(rig.freeList(), Devices[0]);
    Rig::mark(rig.freeList(), Devices[1]);
    press(*rig.form, "BitBtn1");
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    clickMark(grid, 0);
    const QVector<bool> before = marks(grid, SensorField::boolarea);
    const int column = markColumn(grid);

    dragMarkTitleBack(grid);
    QCOMPARE(grid->bandedHeader()->visualIndex(column), column);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Check);
    QCOMPARE(marks(grid, SensorField::boolarea), before);

    clickMarkTitle(grid);
    QCOMPARE(marks(grid, SensorField::boolarea), QVector<bool>(before.size(), true));
}

void tst_ZoneForm::frame()
{
    Rig rig;
    QVERIFY(rig.config.mtArea().locate(ZoneField::id, 3));
    TZoneForm form(rig.config, rig.devices);
    QCOMPARE(form.objectName(), u"ZoneForm"_s);
    checkFrame(form, QSize(874, 634));
}

void tst_ZoneForm::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("dbgeSensorZone") << u"dbgeSensorZone"_s << QRect(7, 10, 858, 273);
    QTest::newRow("BitBtn1") << u"BitBtn1"_s << QRect(7, 289, 53, 53);
    QTest::newRow("BitBtn2") << u"BitBtn2"_s << QRect(63, 289, 53, 53);
    QTest::newRow("BitBtn3") << u"BitBtn3"_s << QRect(812, 289, 53, 53);
    QTest::newRow("dbgeSensorAcc") << u"dbgeSensorAcc"_s << QRect(7, 348, 858, 273);
}

void tst_ZoneForm::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Rig rig;
    const TZoneForm form(rig.config, rig.devices);
    checkPlace(form, name, geometry);
}

void tst_ZoneForm::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("BitBtn1") << u"BitBtn1"_s << u"Приписать отмеченые устройства зоне"_s;
    QTest::newRow("BitBtn2") << u"BitBtn2"_s << u"Удалить отмеченые устройства из зоны"_s;
    QTest::newRow("BitBtn3") << u"BitBtn3"_s << u"Удалить выделеные устройства из списка доступных "_s;
}

void tst_ZoneForm::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    Rig rig;
    QWidget opener;
    const TZoneForm form(rig.config, rig.devices, &opener);
    checkHint(opener, form, qPrintable(name), hint);
}

void tst_ZoneForm::runModal_preparesTheFreeListAndGoesWhenClosed()
{
    Rig rig;
    MemTable &sensors = rig.config.mtSensor();
    QVERIFY(sensors.locate(SensorField::addr, 5));
    sensors.setValue(SensorField::id_area, 4);
    sensors.post();
    QVERIFY(rig.config.mtArea().locate(ZoneField::id, 4));
    QWidget opener;
    QVector<int> inZone;
    QVector<int> free;
    QString caption;
    whenModalOpens([&inZone, &free, &caption](QWidget *modal) {
        caption = modal->windowTitle();
        if (const auto *list = modal->findChild<DataGrid *>(u"dbgeSensorZone"_s))
            inZone = Rig::addresses(list);
        if (const auto *list = modal->findChild<DataGrid *>(u"dbgeSensorAcc"_s))
            free = Rig::addresses(list);
        modal->close();
    });
    TZoneForm::runModal(rig.config, rig.devices, &opener);
    QCOMPARE(caption, u"Зона 4 "_s);
    QCOMPARE(inZone, QVector<int> { 5 });
    QCOMPARE(free, (QVector<int> { 2, 37 }));
    QVERIFY(opener.findChildren<TZoneForm *>().isEmpty());
}

QTEST_MAIN(tst_ZoneForm)
#include "tst_zoneform.moc"
