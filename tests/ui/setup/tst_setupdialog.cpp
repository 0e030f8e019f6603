#include "portsettingstostring.h"
#ifdef MIRVANE_PANEL
#include "panelprocess.h"
#endif

#include <ui/font/programfont.h>
#include <ui/setup/setupdialog.h>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PortSettings)


namespace {

const QStringList Ports { u"COM3"_s, u"COM1"_s, u"COM10"_s, u"COM2"_s };

// The six lists in the order the dialog shows them, with their captions.
const QList<std::pair<QString, QString>> Lists {
    { u"cbPort"_s, u"Port"_s },           { u"cbBaudRate"_s, u"Baud rate"_s },
    { u"cbDataBits"_s, u"Data bits"_s },  { u"cbStopBits"_s, u"Stop bits"_s },
    { u"cbParity"_s, u"Parity"_s },       { u"cbFlowControl"_s, u"Flow control"_s },
};

// Unlike the start values in every field, so a field left alone or overwritten shows.
PortSettings unusual()
{
    PortSettings settings;
    settings.port = u"COM2"_s;
    settings.baudRate = u"115200"_s;
    settings.customBaudRate = 4321;
    settings.dataBits = u"7"_s;
    settings.stopBits = u"1.5"_s;
    settings.parity = u"Even"_s;
    settings.setFlowControl(u"Hardware"_s);
    return settings;
}

// Only RTS handshake: a mix that none of the three named flow controls describes.
PortSettings customLines()
{
    PortSettings settings = unusual();
    settings.ctsOutputFlow = false;
    return settings;
}

QComboBox *list(const SetupDialog &dialog, const QString &name)
{
    auto *box = dialog.findChild<QComboBox *>(name);
    if (!box)
        qFatal("no list %s", qPrintable(name));
    return box;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// What a person does: picks each value from its list.
void choose(const SetupDialog &dialog, const QStringList &values)
{
    for (qsizetype i = 0; i < Lists.size(); ++i) {
        QComboBox *box = list(dialog, Lists.at(i).first);
        const int index = box->findText(values.at(i));
        QVERIFY2(index >= 0, qPrintable(values.at(i)));
        box->setCurrentIndex(index);
    }
}

} // namespace

class tst_SetupDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void eachListOffersExactlyItsValues_data();
    void eachListOffersExactlyItsValues();
    void portList_eachNameOnceInNaturalOrder_currentKept_data();
    void portList_eachNameOnceInNaturalOrder_currentKept();
    void opening_showsTheCurrentSettings_data();
    void opening_showsTheCurrentSettings();
    void confirming_appliesAllSixAtOnce_data();
    void confirming_appliesAllSixAtOnce();
    void confirmingUnchanged_returnsWhatWasGiven_data();
    void confirmingUnchanged_returnsWhatWasGiven();
    void cancelling_appliesNone_data();
    void cancelling_appliesNone();
    void captions_labelsAndAccessibleNames();
    void layout_fixedCentredOnScreen_nothingClipped();
#ifdef MIRVANE_PANEL
    void virtualPanel_offeredWhileItRuns();
#endif

private:
    // The virtual panels' announcements of this suite alone, not of panels other suites run.
    QTemporaryDir m_runtime;
};

void tst_SetupDialog::initTestCase()
{
    installProgramFont();
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void tst_SetupDialog::eachListOffersExactlyItsValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("port") << u"cbPort"_s << QStringList { u"COM1"_s, u"COM2"_s, u"COM3"_s, u"COM10"_s };
    QTest::newRow("baud rate") << u"cbBaudRate"_s
                               << QStringList { u"Custom"_s, u"110"_s,    u"300"_s,    u"600"_s,
                                                u"1200"_s,   u"2400"_s,   u"4800"_s,   u"9600"_s,
                                                u"14400"_s,  u"19200"_s,  u"38400"_s,  u"56000"_s,
                                                u"57600"_s,  u"115200"_s, u"128000"_s, u"256000"_s };
    QTest::newRow("data bits") << u"cbDataBits"_s << QStringList { u"5"_s, u"6"_s, u"7"_s, u"8"_s };
    QTest::newRow("stop bits") << u"cbStopBits"_s << QStringList { u"1"_s, u"1.5"_s, u"2"_s };
    QTest::newRow("parity") << u"cbParity"_s
                            << QStringList { u"None"_s, u"Odd"_s, u"Even"_s, u"Mark"_s, u"Space"_s };
    QTest::newRow("flow control") << u"cbFlowControl"_s
                                  << QStringList { u"Hardware"_s, u"Software"_s, u"None"_s, u"Custom"_s };
}

void tst_SetupDialog::eachListOffersExactlyItsValues()
{
    QFETCH(QString, name);
    QFETCH(QStringList, values);
    const SetupDialog dialog(unusual(), Ports);
    const QComboBox *box = list(dialog, name);
    QCOMPARE(itemsOf(box), values);
    QVERIFY(!box->isEditable());
}

void tst_SetupDialog::portList_eachNameOnceInNaturalOrder_currentKept_data()
{
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("numbers by value") << QStringList { u"COM10"_s, u"COM2"_s, u"COM1"_s } << u"COM1"_s
                                      << QStringList { u"COM1"_s, u"COM2"_s, u"COM10"_s };
    QTest::newRow("device names") << QStringList { u"ttyUSB0"_s, u"ttyS10"_s, u"ttyS2"_s, u"ttyACM0"_s }
                                  << u"ttyS2"_s
                                  << QStringList { u"ttyACM0"_s, u"ttyS2"_s, u"ttyS10"_s, u"ttyUSB0"_s };
    QTest::newRow("reported twice") << QStringList { u"COM4"_s, u"COM3"_s, u"COM4"_s } << u"COM3"_s
                                    << QStringList { u"COM3"_s, u"COM4"_s };
    QTest::newRow("current unplugged") << QStringList { u"COM1"_s, u"COM5"_s } << u"COM3"_s
                                       << QStringList { u"COM1"_s, u"COM3"_s, u"COM5"_s };
    QTest::newRow("none chosen yet") << QStringList { u"COM2"_s, u"COM1"_s } << QString()
                                     << QStringList { u"COM1"_s, u"COM2"_s };
    QTest::newRow("no ports") << QStringList() << u"COM1"_s << QStringList { u"COM1"_s };
}

void tst_SetupDialog::portList_eachNameOnceInNaturalOrder_currentKept()
{
    QFETCH(QStringList, reported);
    QFETCH(QString, current);
    QFETCH(QStringList, offered);
    PortSettings settings;
    settings.port = current;
    const SetupDialog dialog(settings, reported);
    QCOMPARE(itemsOf(list(dialog, u"cbPort"_s)), offered);
    QCOMPARE(list(dialog, u"cbPort"_s)->currentText(), current);
}

void tst_SetupDialog::opening_showsTheCurrentSettings_data()
{
    QTest::addColumn<PortSettings>("current");
    QTest::addColumn<QStringList>("shown");
    PortSettings start;
    start.port = u"COM1"_s;
    QTest::newRow("start values") << start
                                  << QStringList { u"COM1"_s, u"9600"_s, u"8"_s, u"1"_s, u"None"_s, u"None"_s };
    QTest::newRow("every field changed")
            << unusual() << QStringList { u"COM2"_s, u"115200"_s, u"7"_s, u"1.5"_s, u"Even"_s, u"Hardware"_s };
    PortSettings software = unusual();
    software.baudRate = u"Custom"_s;
    software.stopBits = u"2"_s;
    software.parity = u"Space"_s;
    software.setFlowControl(u"Software"_s);
    QTest::newRow("custom rate, software flow")
            << software << QStringList { u"COM2"_s, u"Custom"_s, u"7"_s, u"2"_s, u"Space"_s, u"Software"_s };
    QTest::newRow("mixed lines")
            << customLines() << QStringList { u"COM2"_s, u"115200"_s, u"7"_s, u"1.5"_s, u"Even"_s, u"Custom"_s };
}

void tst_SetupDialog::opening_showsTheCurrentSettings()
{
    QFETCH(PortSettings, current);
    QFETCH(QStringList, shown);
    const SetupDialog dialog(current, Ports);
    for (qsizetype i = 0; i < Lists.size(); ++i)
        QCOMPARE(list(dialog, Lists.at(i).first)->currentText(), shown.at(i));
    QCOMPARE(dialog.settings(), current);
}

void tst_SetupDialog::confirming_appliesAllSixAtOnce_data()
{
    QTest::addColumn<PortSettings>("current");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<PortSettings>("expected");

    PortSettings start;
    start.port = u"COM1"_s;
    PortSettings hardware = unusual();
    hardware.port = u"COM10"_s;
    hardware.baudRate = u"256000"_s;
    hardware.dataBits = u"5"_s;
    hardware.stopBits = u"2"_s;
    hardware.parity = u"Mark"_s;
    hardware.customBaudRate = start.customBaudRate;
    hardware.setFlowControl(u"Hardware"_s);
    QTest::newRow("start values, hardware flow")
            << start << QStringList { u"COM10"_s, u"256000"_s, u"5"_s, u"2"_s, u"Mark"_s, u"Hardware"_s }
            << hardware;

    PortSettings software = unusual();
    software.port = u"COM1"_s;
    software.baudRate = u"Custom"_s;
    software.dataBits = u"6"_s;
    software.stopBits = u"1"_s;
    software.parity = u"Odd"_s;
    software.setFlowControl(u"Software"_s);
    QTest::newRow("custom rate kept, software flow")
            << unusual() << QStringList { u"COM1"_s, u"Custom"_s, u"6"_s, u"1"_s, u"Odd"_s, u"Software"_s }
            << software;

    PortSettings none = unusual();
    none.baudRate = u"110"_s;
    none.setFlowControl(u"None"_s);
    QTest::newRow("hardware to none")
            << unusual() << QStringList { u"COM2"_s, u"110"_s, u"7"_s, u"1.5"_s, u"Even"_s, u"None"_s } << none;

    // "Custom" summarises the lines rather than setting them: they stay exactly as they were.
    PortSettings custom = customLines();
    custom.port = u"COM3"_s;
    custom.parity = u"None"_s;
    QTest::newRow("custom keeps the four lines")
            << customLines() << QStringList { u"COM3"_s, u"115200"_s, u"7"_s, u"1.5"_s, u"None"_s, u"Custom"_s }
            << custom;
    QTest::newRow("custom chosen over hardware keeps them too")
            << unusual() << QStringList { u"COM2"_s, u"115200"_s, u"7"_s, u"1.5"_s, u"Even"_s, u"Custom"_s }
            << unusual();
}

void tst_SetupDialog::confirming_appliesAllSixAtOnce()
{
    QFETCH(PortSettings, current);
    QFETCH(QStringList, chosen);
    QFETCH(PortSettings, expected);
    SetupDialog dialog(current, Ports);
    dialog.show();
    choose(dialog, chosen);
    QCOMPARE(dialog.settings(), current); // nothing applies before "OK"
    QTest::mouseClick(dialog.findChild<QPushButton *>(u"OK"_s), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings(), expected);
}

void tst_SetupDialog::confirmingUnchanged_returnsWhatWasGiven_data()
{
    QTest::addColumn<PortSettings>("current");
    QTest::addColumn<bool>("byReturnKey");
    QTest::newRow("every field changed") << unusual() << false;
    QTest::newRow("by the Return key") << unusual() << true;
    QTest::newRow("mixed lines") << customLines() << false;
    PortSettings unplugged = unusual();
    unplugged.port = u"COM7"_s;
    QTest::newRow("port not reported") << unplugged << false;
    PortSettings noPort = unusual();
    noPort.port.clear();
    QTest::newRow("no port chosen yet") << noPort << false;
    PortSettings foreign = unusual();
    foreign.baudRate = u"1234"_s;
    foreign.parity = u"space"_s;
    QTest::newRow("values the lists do not offer") << foreign << false;
}

void tst_SetupDialog::confirmingUnchanged_returnsWhatWasGiven()
{
    QFETCH(PortSettings, current);
    QFETCH(bool, byReturnKey);
    SetupDialog dialog(current, Ports);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (byReturnKey)
        QTest::keyClick(&dialog, Qt::Key_Return);
    else
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"OK"_s), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings(), current);
}

void tst_SetupDialog::cancelling_appliesNone_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << u"Cancel"_s;
    QTest::newRow("Escape") << u"Escape"_s;
    QTest::newRow("frame") << u"frame"_s;
}

void tst_SetupDialog::cancelling_appliesNone()
{
    QFETCH(QString, how);
    SetupDialog dialog(unusual(), Ports);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    choose(dialog, { u"COM10"_s, u"300"_s, u"5"_s, u"2"_s, u"Odd"_s, u"Software"_s });
    if (how == u"Cancel")
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"Cancel"_s), Qt::LeftButton);
    else if (how == u"Escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.settings(), unusual());
}

void tst_SetupDialog::captions_labelsAndAccessibleNames()
{
    const SetupDialog dialog(unusual(), Ports);
    QCOMPARE(dialog.windowTitle(), u"Setup"_s);
    const auto *group = dialog.findChild<QGroupBox *>();
    QVERIFY(group);
    QCOMPARE(group->title(), u" Settings "_s);
    for (const auto &[name, caption] : Lists) {
        const QComboBox *box = list(dialog, name);
        QVERIFY2(group->isAncestorOf(box), qPrintable(name));
        QCOMPARE(box->accessibleName(), caption);
        const QList<QLabel *> labels = group->findChildren<QLabel *>();
        const auto label = std::find_if(labels.cbegin(), labels.cend(),
                                        [box](const QLabel *l) { return l->buddy() == box; });
        QVERIFY2(label != labels.cend(), qPrintable(name));
        QCOMPARE((*label)->text(), caption);
    }
    const auto *ok = dialog.findChild<QPushButton *>(u"OK"_s);
    const auto *cancel = dialog.findChild<QPushButton *>(u"Cancel"_s);
    QCOMPARE(ok->text(), u"OK"_s);
    QCOMPARE(cancel->text(), u"Cancel"_s);
    QVERIFY(ok->isDefault());
    QVERIFY(!cancel->isDefault());
}

void tst_SetupDialog::layout_fixedCentredOnScreen_nothingClipped()
{
    // The longest name a Linux machine is likely to report.
    SetupDialog dialog(unusual(), { u"ttyUSB10"_s });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = dialog.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 10 && qAbs(offset.y()) <= 20,
             qPrintable(u"%1,%2 off the centre"_s.arg(offset.x()).arg(offset.y())));

    const QList<QWidget *> controls = dialog.findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (!control->isVisible() || control->isWindow())
            continue;
        QVERIFY2(control->width() >= control->sizeHint().width()
                         && control->height() >= control->sizeHint().height(),
                 qPrintable(control->objectName() + u' ' + control->metaObject()->className()));
    }
    for (const auto &[name, caption] : Lists) {
        const QComboBox *box = list(dialog, name);
        for (int i = 0; i < box->count(); ++i) {
            const int needed = box->fontMetrics().horizontalAdvance(box->itemText(i));
            QVERIFY2(needed < box->width() - 24, qPrintable(box->itemText(i)));
        }
    }
}

#ifdef MIRVANE_PANEL
void tst_SetupDialog::virtualPanel_offeredWhileItRuns()
{
    PortSettings current = unusual();
    const auto offered = [&current](const QString &caption) {
        const SetupDialog dialog(current);
        return list(dialog, u"cbPort"_s)->findText(caption) >= 0;
    };

    PanelProcess panel({});
    QVERIFY(panel.port().startsWith(u'/'));
    const QString caption = u"виртуальный прибор (%1)"_s.arg(panel.port());
    {
        SetupDialog dialog(current);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QComboBox *ports = list(dialog, u"cbPort"_s);
        QVERIFY(ports->findText(u"COM2"_s) >= 0); // the current port, kept
        const int index = ports->findText(caption);
        QVERIFY2(index >= 0, qPrintable(caption));
        ports->setCurrentIndex(index);
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"OK"_s), Qt::LeftButton);
        QCOMPARE(dialog.settings().port, panel.port());
        current = dialog.settings();
    }
    {
        const SetupDialog reopened(current);
        QCOMPARE(list(reopened, u"cbPort"_s)->currentText(), caption);
    }

    QVERIFY(panel.terminate());
    QVERIFY(!offered(caption));
    // The port chosen is kept, under its own name now.
    {
        const SetupDialog reopened(current);
        QCOMPARE(list(reopened, u"cbPort"_s)->currentText(), panel.port());
    }

    // One that could not take its announcement away is not offered either.
    PanelProcess killed({});
    QVERIFY(!killed.port().isEmpty());
    const QString killedCaption = u"виртуальный прибор (%1)"_s.arg(killed.port());
    QVERIFY(offered(killedCaption));
    killed.kill();
    QVERIFY(!offered(killedCaption));
}
#endif

QTEST_MAIN(tst_SetupDialog)
#include "tst_setupdialog.moc"
