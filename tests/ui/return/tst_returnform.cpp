// The outputs dialog of a zone, driven through its own buttons, marks and titles.

#include "zonedialogchecks.h"

#include <ui/font/programfont.h>
#include <ui/return/returnform.h>

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

constexpr int FirstOutputRecord = 248;

// Outputs 3000 and 3001 exist in the image, 4002 in the table only; zone 4's dialog opened
// as the zones page opens it.
class Rig
{
public:
    static constexpr int Zone = 4;

    Rig()
    {
        for (const int number : { 0, 1 })
            ChannelRecord(config.image().ChannelRecord(3, FirstOutputRecord + number)).setOwner(3);
        MemTable &outputs = config.mtReturn();
        for (const int key : { 3000, 3001, 4002 }) {
            outputs.append();
            outputs.setValue(OutputField::id_dev, key / 1000);
            outputs.setValue(OutputField::offset, key % 1000);
            outputs.setValue(OutputField::id_return, key);
            outputs.setValue(OutputField::boolarea, false);
            outputs.post();
        }
    }

    bool open(const QVector<int> &fields = {})
    {
        MemTable &zones = config.mtArea();
        if (!zones.locate(ZoneField::id, Zone))
            return false;
        for (int slot = 1; slot <= fields.size(); ++slot)
            zones.setValue(ZoneField::r(slot), fields.at(slot - 1));
        zones.post();
        outputs.prepare();
        form = std::make_unique<TReturnForm>(config, outputs);
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    DataGrid *zoneList() const { return form->findChild<DataGrid *>(u"dbgeReturnZone"_s); }
    DataGrid *allList() const { return form->findChild<DataGrid *>(u"dbgeReturnAcc"_s); }

    static void mark(DataGrid *list, int key)
    {
        const int row = rowWith(list, OutputField::id_return, key);
        QVERIFY2(row >= 0, qPrintable(QString::number(key)));
        clickMark(list, row);
        QVERIFY(list->table().visibleValue(row, OutputField::boolarea).toBool());
    }

    void give(const QList<int> &keys)
    {
        for (const int key : keys)
            mark(allList(), key);
        press(*form, "BitBtn1");
    }

    static QList<int> keys(const DataGrid *list, bool markedOnly = false)
    {
        QList<int> shown;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            if (!markedOnly || list->table().visibleValue(row, OutputField::boolarea).toBool())
                shown << list->table().visibleValue(row, OutputField::id_return).toInt();
        }
        return shown;
    }

    QVector<int> fields()
    {
        QVector<int> keys;
        for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
            keys << config.mtArea().asInteger(ZoneField::r(slot));
        return keys;
    }

    RecordLink link(int slot) const
    {
        return ConstZoneRecord(std::as_const(config).image().ZoneRecord(Zone)).outputLink(slot);
    }

    Configuration config;
    ZoneOutputs outputs { config };
    std::unique_ptr<TReturnForm> form;
};

QVector<int> padded(QVector<int> keys)
{
    keys.resize(Configuration::OutputLinksPerZone);
    return keys;
}

} // namespace

class tst_ReturnForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installProgramFont();
        initResources();
    }

    void give_data();
    void give();
    void take_theMarkedOutputLeavesTheZone();
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
    void runModal_preparesEveryOutputAndGoesWhenClosed();
};

void tst_ReturnForm::give_data()
{
    QTest::addColumn<QVector<int>>("preset"); // the zone's fields as the dialog opens
    QTest::addColumn<QList<int>>("givenBefore");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<QVector<int>>("fields");
    QTest::addColumn<QList<int>>("stillMarked");
    QTest::addColumn<QVector<int>>("linkedModules"); // of the record's first two link slots

    QTest::newRow("two outputs") << QVector<int>() << QList<int>() << QList<int> { 3000, 4002 }
                                 << padded({ 3000, 4002 }) << QList<int>() << QVector<int> { 3, 0 };
    QTest::newRow("an output the zone has") << QVector<int>() << QList<int> { 3000 } << QList<int> { 3000 }
                                            << padded({ 3000 }) << QList<int>() << QVector<int> { 3, 0 };
    QVector<int> full;
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
        full << 5000 + slot;
    QTest::newRow("a zone with 16 outputs") << full << QList<int>() << QList<int> { 3000 } << full
                                            << QList<int> { 3000 } << QVector<int> { 0, 0 };
}

void tst_ReturnForm::give()
{
    QFETCH(QVector<int>, preset);
    QFETCH(QList<int>, givenBefore);
    QFETCH(QList<int>, marked);
    QFETCH(QVector<int>, fields);
    QFETCH(QList<int>, stillMarked);
    QFETCH(QVector<int>, linkedModules);
    Rig rig;
    QVERIFY(rig.open(preset));
    if (!givenBefore.isEmpty())
        rig.give(givenBefore);

    rig.give(marked);

    QCOMPARE(rig.fields(), fields);
    QCOMPARE(Rig::keys(rig.allList(), true), stillMarked);
    QCOMPARE(Rig::keys(rig.allList()), (QList<int> { 3000, 3001, 4002 }));
    QList<int> listed; // the zone's outputs the table has
    for (const int key : fields) {
        if (key == 3000 || key == 3001 || key == 4002)
            listed << key;
    }
    QCOMPARE(Rig::keys(rig.zoneList()), listed);
    for (int slot = 0; slot < linkedModules.size(); ++slot)
        QCOMPARE(rig.link(slot).module, linkedModules.at(slot));
    if (linkedModules.first() != 0)
        QCOMPARE(rig.link(0).record, FirstOutputRecord);
}

void tst_ReturnForm::take_theMarkedOutputLeavesTheZone()
{
    Rig rig;
    QVERIFY(rig.open());
    rig.give({ 3000, 3001 });
    QCOMPARE(rig.link(1).record, FirstOutputRecord + 1);
    Rig::mark(rig.zoneList(), 3000);

    press(*rig.form, "BitBtn2");

    QCOMPARE(rig.fields(), padded({ 0, 3001 }));
    QCOMPARE(Rig::keys(rig.zoneList()), QList<int> { 3001 });
    QCOMPARE(Rig::keys(rig.zoneList(), true), QList<int>());
    QCOMPARE(Rig::keys(rig.allList()), (QList<int> { 3000, 3001, 4002 }));
    QCOMPARE(rig.link(0).module, 0);
    QCOMPARE(rig.link(1).module, 3);
    QCOMPARE(rig.link(1).record, FirstOutputRecord + 1);
}

void tst_ReturnForm::caption_setAsShown()
{
    Configuration config;
    ZoneOutputs outputs(config);
    QVERIFY(config.mtArea().locate(ZoneField::id, 5));
    TReturnForm form(config, outputs);
    QCOMPARE(form.windowTitle(), QString());
    form.show();
    QCOMPARE(form.windowTitle(), u"Зона 5 "_s);
}

void tst_ReturnForm::removeQuestion_changesNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("yes") << u"&Yes"_s;
    QTest::newRow("no") << u"&No"_s;
}

void tst_ReturnForm::removeQuestion_changesNothing()
{
    QFETCH(QString, answer);
    Rig rig;
    QVERIFY(rig.open());
    rig.give({ 3000, 3001 });
    Rig::mark(rig.zoneList(), 3001);
    Rig::mark(rig.allList(), 4002);
    const QByteArray image = rig.config.image().Bytes();

    SeenBox seen;
    answerNextBox(answer, &seen);
    press(*rig.form, "BitBtn3");

    QCOMPARE(seen.className, u"QMessageBox"_s);
    QCOMPARE(seen.title, u"Warning"_s);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.text, u"Вы действительно хотите удалить выделенные выходы ???"_s);
    QCOMPARE(seen.buttons, (QStringList { u"&No"_s, u"&Yes"_s }));
    QVERIFY(rig.form->isVisible());
    QCOMPARE(rig.config.image().Bytes(), image);
    QCOMPARE(rig.fields(), padded({ 3000, 3001 }));
    QCOMPARE(Rig::keys(rig.zoneList(), true), QList<int> { 3001 });
    QCOMPARE(Rig::keys(rig.allList()), (QList<int> { 3000, 3001, 4002 }));
    QCOMPARE(Rig::keys(rig.allList(), true), QList<int> { 4002 });
}

void tst_ReturnForm::markTitle_setsThenClearsEveryMark_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("the zone's outputs") << u"dbgeReturnZone"_s;
    QTest::newRow("every output") << u"dbgeReturnAcc"_s;
}

void tst_ReturnForm::markTitle_setsThenClearsEveryMark()
{
    QFETCH(QString, list);
    Rig rig;
    QVERIFY(rig.open());
    rig.give({ 3000, 3001 });
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    DataGrid *other = grid == rig.zoneList() ? rig.allList() : rig.zoneList();
    clickMark(grid, 0);
    clickMark(other, 1);
    const QVector<bool> untouched = marks(other, OutputField::boolarea);
    const int rows = grid->model()->rowCount();

    clickMarkTitle(grid);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Cross);
    QCOMPARE(marks(grid, OutputField::boolarea), QVector<bool>(rows, true));
    clickMarkTitle(grid);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Check);
    QCOMPARE(marks(grid, OutputField::boolarea), QVector<bool>(rows, false));

    QCOMPARE(markTitleIcon(other), MarkTitles::Check);
    QCOMPARE(marks(other, OutputField::boolarea), untouched);
}

void tst_ReturnForm::markTitles_showTheCheckAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("given") << u"BitBtn1"_s;
    QTest::newRow("taken") << u"BitBtn2"_s;
    QTest::newRow("closed") << u"close"_s;
}

void tst_ReturnForm::markTitles_showTheCheckAgain()
{
    QFETCH(QString, how);
    Rig rig;
    QVERIFY(rig.open());
    for (DataGrid *grid : { rig.zoneList(), rig.allList() }) {
        clickMarkTitle(grid);
        QCOMPARE(markTitleIcon(grid), MarkTitles::Cross);
    }
    if (how == u"close")
        rig.form->close();
    else
        press(*rig.form, qPrintable(how));
    QCOMPARE(markTitleIcon(rig.zoneList()), MarkTitles::Check);
    QCOMPARE(markTitleIcon(rig.allList()), MarkTitles::Check);
}

void tst_ReturnForm::marks_leaveTheListWhereItStandsSideways_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("title"); // the mark title, or one row's mark

    for (const QString &list : { u"dbgeReturnZone"_s, u"dbgeReturnAcc"_s }) {
        QTest::addRow("%s: a mark", qPrintable(list)) << list << false;
        QTest::addRow("%s: the mark title", qPrintable(list)) << list << true;
    }
}

// Narrowed until it scrolls sideways, a list stays where it stands when a mark is set.
void tst_ReturnForm::marks_leaveTheListWhereItStandsSideways()
{
    QFETCH(QString, list);
    QFETCH(bool, title);
    Rig rig;
    QVERIFY(rig.open());
    rig.give({ 3000, 3001 });
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    grid->resize(grid->width() / 2, grid->height());
    QScrollBar *across = grid->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    across->setValue(across->maximum());
    const int row = grid->model()->rowCount() - 1; // not the current row
    QVERIFY(row > 0);

    if (title)
        clickMarkTitle(grid);
    else
        clickMarkInSight(grid, row);

    QVERIFY(grid->table().visibleValue(row, OutputField::boolarea).toBool());
    QCOMPARE(across->value(), across->maximum());
}

void tst_ReturnForm::markTitle_draggedBackToItsPlace_changesNoMark_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("the zone's outputs") << u"dbgeReturnZone"_s;
    QTest::newRow("every output") << u"dbgeReturnAcc"_s;
}

void tst_ReturnForm::markTitle_draggedBackToItsPlace_changesNoMark()
{
    QFETCH(QString, list);
    Rig rig;
    QVERIFY(rig.open());
    rig.give({ 3000, 3001 });
    DataGrid *grid = rig.form->findChild<DataGrid *>(list);
    clickMark(grid, 0);
    const QVector<bool> before = marks(grid, OutputField::boolarea);

    dragMarkTitleBack(grid);
    QCOMPARE(markTitleIcon(grid), MarkTitles::Check);
    QCOMPARE(marks(grid, OutputField::boolarea), before);
}

void tst_ReturnForm::frame()
{
    Rig rig;
    QVERIFY(rig.config.mtArea().locate(ZoneField::id, 4));
    TReturnForm form(rig.config, rig.outputs);
    QCOMPARE(form.objectName(), u"ReturnForm"_s);
    checkFrame(form, QSize(754, 631));
}

void tst_ReturnForm::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("dbgeReturnZone") << u"dbgeReturnZone"_s << QRect(3, 10, 744, 273);
    QTest::newRow("BitBtn1") << u"BitBtn1"_s << QRect(7, 289, 56, 53);
    QTest::newRow("BitBtn2") << u"BitBtn2"_s << QRect(69, 291, 56, 53);
    QTest::newRow("BitBtn3") << u"BitBtn3"_s << QRect(694, 289, 53, 53);
    QTest::newRow("dbgeReturnAcc") << u"dbgeReturnAcc"_s << QRect(7, 350, 740, 273);
}

void tst_ReturnForm::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Rig rig;
    const TReturnForm form(rig.config, rig.outputs);
    checkPlace(form, name, geometry);
}

void tst_ReturnForm::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("BitBtn1") << u"BitBtn1"_s << u"Приписать отмеченые выходы к зоне"_s;
    QTest::newRow("BitBtn2") << u"BitBtn2"_s << u"Удалить отмеченые выходы из зоны"_s;
    QTest::newRow("BitBtn3") << u"BitBtn3"_s << u"Удалить выделеные устройства из списка доступных "_s;
}

void tst_ReturnForm::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    Rig rig;
    QWidget opener;
    const TReturnForm form(rig.config, rig.outputs, &opener);
    checkHint(opener, form, qPrintable(name), hint);
}

void tst_ReturnForm::runModal_preparesEveryOutputAndGoesWhenClosed()
{
    Rig rig;
    QVERIFY(rig.config.mtReturn().applyFilter(u"id_return=3001"_s)); // as another page left it
    MemTable &zones = rig.config.mtArea();
    QVERIFY(zones.locate(ZoneField::id, 4));
    zones.setValue(ZoneField::r(1), 4002);
    zones.post();
    QWidget opener;
    QList<int> inZone;
    QList<int> all;
    QString caption;
    whenModalOpens([&inZone, &all, &caption](QWidget *modal) {
        caption = modal->windowTitle();
        if (const auto *list = modal->findChild<DataGrid *>(u"dbgeReturnZone"_s))
            inZone = Rig::keys(list);
        if (const auto *list = modal->findChild<DataGrid *>(u"dbgeReturnAcc"_s))
            all = Rig::keys(list);
        modal->close();
    });
    TReturnForm::runModal(rig.config, rig.outputs, &opener);
    QCOMPARE(caption, u"Зона 4 "_s);
    QCOMPARE(inZone, QList<int> { 4002 });
    QCOMPARE(all, (QList<int> { 3000, 3001, 4002 }));
    QVERIFY(opener.findChildren<TReturnForm *>().isEmpty());
}

QTEST_MAIN(tst_ReturnForm)
#include "tst_returnform.moc"
