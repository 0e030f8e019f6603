// The window of a device search, fed by the search engine over a stand-in line whose
// replies the test gives.

#include "fakepanellink.h"
#include "modalanswers.h"
#include "recordingnotifier.h"
#include "relayreplies.h"

#include <ui/font/programfont.h>
#include <ui/grid/datagrid.h>
#include <ui/newsensor/newsensorform.h>

#include <exchange/devicesearch.h>
#include <link/frames.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <model/configuration.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace RelayReplies;

// Outside any namespace: the macro declares the resource library's function where it stands.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// The search over a line that answers nothing by itself.
class Rig
{
public:
    Rig()
    {
        link.silentAt = 1;
        notifier.answer = true;
        search.setPollInterval(1);
        search.setStatusRepeatInterval(1000000);
    }

    bool start() { return search.start(settings, 1, u"1"_s); }
    void feed(const QByteArray &frame) { emit link.received(frame); }
    // The relay's echo, which starts the polls.
    void answerTheStart() { feed(Frames::SetAddress(Frames::RelayAddress)); }
    // `count` detectors with serials of their own.
    void find(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int serial = m_serial++;
            feed(identityReport(QByteArray::fromHex("01120d0c") + char(serial >> 8) + char(serial & 0xFF)));
        }
    }

    FakePanelLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    DeviceSearch search { channel, config, notifier };
    PortSettings settings;

private:
    int m_serial = 0x1000;
};

DataGrid *foundList(const QWidget *form)
{
    return form->findChild<DataGrid *>(u"dbgNewSensor"_s);
}

QLabel *haltLine(const QWidget *form)
{
    return form->findChild<QLabel *>(u"lbHalt"_s);
}

QString shownNote(const DataGrid *grid, int row)
{
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        if (grid->grid().columns.at(column).field == FoundField::note)
            return grid->model()->index(row, column).data().toString();
    }
    return {};
}

} // namespace

class tst_NewSensorForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installProgramFont();
        initResources();
    }

    void rowsArrive_currentRowAndScrollStay_data();
    void rowsArrive_currentRowAndScrollStay();
    void showHalt_underTheList_rowsStay();
    void runSearch_declined_opensNothing();
    void runSearch_showsWhatComesAndStopsWhenClosed();
    void frame();
    void layout_data();
    void layout();
};

void tst_NewSensorForm::rowsArrive_currentRowAndScrollStay_data()
{
    QTest::addColumn<int>("scrolled"); // rows scrolled away at the top; -1 as far as it goes
    QTest::addColumn<int>("current");
    QTest::newRow("at the top") << 0 << 0;
    QTest::newRow("in the middle") << 10 << 15;
    QTest::newRow("on the last row") << -1 << 39;
}

void tst_NewSensorForm::rowsArrive_currentRowAndScrollStay()
{
    QFETCH(int, scrolled);
    QFETCH(int, current);
    Rig rig;
    QVERIFY(rig.start());
    TNewSensorForm form(rig.config);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    DataGrid *grid = foundList(&form);
    QCOMPARE(grid->model()->rowCount(), 0);
    rig.answerTheStart();
    rig.find(1);
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(shownNote(grid, 0), u"записано в базу по адресу 2"_s);
    rig.find(39);
    QCOMPARE(grid->model()->rowCount(), 40);

    QScrollBar *scroll = grid->verticalScrollBar();
    QCoreApplication::processEvents(); // the view lays out the rows it was told of
    scroll->setValue(scrolled < 0 ? scroll->maximum() : scrolled);
    QVERIFY(scrolled == 0 || scroll->value() > 0);
    const QModelIndex target = grid->model()->index(current, 1);
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(target).center()));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(target).center());
    QCOMPARE(grid->currentIndex().row(), current);
    const int position = scroll->value();

    rig.find(5);
    QCoreApplication::processEvents();

    QCOMPARE(grid->model()->rowCount(), 45);
    QCOMPARE(shownNote(grid, 44), u"записано в базу по адресу 46"_s);
    QCOMPARE(grid->currentIndex().row(), current);
    QCOMPARE(rig.config.mtSensorNew().recNo(), current + 1);
    QCOMPARE(scroll->value(), position);
}

void tst_NewSensorForm::showHalt_underTheList_rowsStay()
{
    Rig rig;
    QVERIFY(rig.start());
    rig.answerTheStart();
    rig.find(3);
    TNewSensorForm form(rig.config);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(haltLine(&form)->text().isEmpty());

    form.showHalt(u"Прибор не отвечает!"_s);

    const QLabel *line = haltLine(&form);
    QCOMPARE(line->text(), u"Прибор не отвечает!"_s);
    QVERIFY(line->isVisible());
    QVERIFY(form.rect().contains(line->geometry()));
    QVERIFY(!line->geometry().intersects(foundList(&form)->geometry()));
    QVERIFY(line->fontMetrics().horizontalAdvance(line->text()) < line->contentsRect().width());
    QVERIFY(line->fontMetrics().height() <= line->contentsRect().height());
    QCOMPARE(foundList(&form)->model()->rowCount(), 3);
}

void tst_NewSensorForm::runSearch_declined_opensNothing()
{
    Rig rig;
    rig.notifier.answer = false;
    bool beforeShow = false;
    QWidget opener;
    TNewSensorForm::runSearch(rig.search, rig.settings, 1, u"1"_s, rig.config, &opener,
                              [&beforeShow] { beforeShow = true; });
    QCOMPARE(rig.notifier.questions.size(), 1);
    QVERIFY(!beforeShow);
    QVERIFY(opener.findChildren<TNewSensorForm *>().isEmpty());
    QVERIFY(rig.link.sent.isEmpty());
}

void tst_NewSensorForm::runSearch_showsWhatComesAndStopsWhenClosed()
{
    Rig rig;
    bool beforeShow = false;
    bool shownAfterBeforeShow = false;
    bool activeWhileOpen = false;
    int rowsShown = 0;
    QString haltBefore;
    QString haltAfter;
    QWidget opener;
    whenModalOpens([&](QWidget *modal) {
        shownAfterBeforeShow = beforeShow && qobject_cast<TNewSensorForm *>(modal);
        activeWhileOpen = rig.search.isActive();
        rig.answerTheStart();
        rig.find(2);
        if (const DataGrid *grid = foundList(modal))
            rowsShown = grid->model()->rowCount();
        if (const QLabel *line = haltLine(modal)) {
            haltBefore = line->text();
            rig.feed(code(0x05));
            haltAfter = line->text();
        }
        modal->close();
    });

    TNewSensorForm::runSearch(rig.search, rig.settings, 1, u"1"_s, rig.config, &opener,
                              [&beforeShow] { beforeShow = true; });

    QVERIFY(shownAfterBeforeShow);
    QVERIFY(activeWhileOpen);
    QCOMPARE(rowsShown, 2);
    QCOMPARE(haltBefore, QString());
    QCOMPARE(haltAfter, u"Непонятная команда =05"_s); // what the user was told, kept in the window
    QCOMPARE(rig.notifier.informations, QStringList { u"Непонятная команда =05"_s });
    QVERIFY(!rig.search.isActive());
    QVERIFY(opener.findChildren<TNewSensorForm *>().isEmpty());
    QCOMPARE(rig.config.mtSensorNew().rowCount(), 2); // the rows outlive the window
}

void tst_NewSensorForm::frame()
{
    Configuration config;
    TNewSensorForm form(config);
    QCOMPARE(form.objectName(), u"NewSensorForm"_s);
    QCOMPARE(form.size(), QSize(842, 373));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.isModal());
    const Qt::WindowFlags flags = form.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    for (const Qt::WindowType button :
         { Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint, Qt::WindowContextHelpButtonHint })
        QVERIFY2(!flags.testFlag(button), qPrintable(QString::number(button, 16)));
    QCOMPARE(form.grab().size(), QSize(842, 373)); // a picture for reviews, never shown

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = form.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 10 && qAbs(offset.y()) <= 20,
             qPrintable(u"%1,%2 off the centre"_s.arg(offset.x()).arg(offset.y())));
    QVERIFY(!foundList(&form)->accessibleName().isEmpty());
}

void tst_NewSensorForm::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("dbgNewSensor") << u"dbgNewSensor"_s << QRect(0, 0, 842, 355);
    QTest::newRow("lbHalt") << u"lbHalt"_s << QRect(0, 355, 842, 18);
}

void tst_NewSensorForm::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Configuration config;
    const TNewSensorForm form(config);
    const auto *child = form.findChild<QWidget *>(name);
    QVERIFY(child);
    QCOMPARE(child->parentWidget(), &form);
    QCOMPARE(child->geometry(), geometry);
}

QTEST_MAIN(tst_NewSensorForm)
#include "tst_newsensorform.moc"
