#include "recordingnotifier.h"

#include <ui/font/programfont.h>
#include <ui/settings/communicatorpage.h>
#include <ui/settings/systempage.h>
#include <ui/settings/technologicaladdressbox.h>

#include <model/configuration.h>
#include <storage/filecommands.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString DigitsOnly = u"Потрібно вводити цифри"_s;
const QString TelephoneKeys = u"Потрібно вводити цифри або\r \"+\" для встановлення паузи\r"
                              u"чи \"*\" для встановлення пошуку сигналу."_s;
const QString AddressRange = u"Диапазон технологического адреса 1..16"_s;

// The three pages as the main window holds them, over one configuration, in one window:
// the system and communicator pages side by side, the modules page below.
struct Pages
{
    Pages()
        : system(new SystemPage(configuration, notifier, &window)),
          communicator(new CommunicatorPage(configuration, notifier, &window)),
          modulesPage(new QWidget(&window)),
          address(new TechnologicalAddressBox(configuration, notifier, modulesPage))
    {
        communicator->move(SystemPage::Width, 0);
        modulesPage->setGeometry(0, SystemPage::Height, 866, 557);
        window.resize(SystemPage::Width + CommunicatorPage::Width, 2 * 557);
    }

    template <typename Control = QWidget>
    Control *control(const QString &name) const
    {
        auto *found = window.findChild<Control *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    // Shown and active, for what depends on the focus.
    bool showActive()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    Configuration configuration;
    RecordingNotifier notifier;
    QWidget window;
    SystemPage *system;
    CommunicatorPage *communicator;
    QWidget *modulesPage;
    TechnologicalAddressBox *address;
};

// The settings field a text box edits.
QString storedText(const SystemSettings &settings, const QString &box)
{
    const QString number = box.right(1);
    if (box.startsWith(u"edAdminPass"))
        return settings.edAdminPass.at(number.toInt() - 1);
    if (box.startsWith(u"edMasterPass"))
        return settings.edMasterPass.at(number.toInt() - 1);
    const QHash<QString, QString> fields {
        { u"edInfMessage"_s, settings.edInfMessage }, { u"edNumReg1"_s, settings.edNumReg1 },
        { u"edNumReg2"_s, settings.edNumReg2 },       { u"edTelNum1"_s, settings.edTelNum1 },
        { u"edTelNum2"_s, settings.edTelNum2 },       { u"edCount"_s, settings.edCount },
        { u"edAddrKLM"_s, settings.edAddrKLM },
    };
    if (!fields.contains(box))
        qFatal("no text field for %s", qPrintable(box));
    return fields.value(box);
}

int &storedNumber(SystemSettings &settings, const QString &number)
{
    return number == u"6" ? settings.ud6 : number == u"7" ? settings.ud7 : settings.ud8;
}

bool insideComboBox(const QWidget *widget)
{
    for (const QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (qobject_cast<const QComboBox *>(parent))
            return true;
    }
    return false;
}

// What a control shows, in words a table can hold.
QString shown(const QWidget *control)
{
    if (const auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    if (const auto *box = qobject_cast<const QCheckBox *>(control))
        return box->isChecked() ? u"checked"_s : u"unchecked"_s;
    if (const auto *box = qobject_cast<const QComboBox *>(control))
        return box->currentText();
    if (const auto *button = qobject_cast<const QToolButton *>(control))
        return u"%1 %2 %3"_s.arg(button->text(), button->isChecked() ? u"pressed"_s : u"released"_s,
                                 button->palette().color(QPalette::ButtonText).name());
    qFatal("cannot read %s", qPrintable(control->objectName()));
}

// Types text the way a keyboard does, also where QTest::keyClicks knows only Latin-1.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QTestEventList clicks(const QString &text)
{
    QTestEventList events;
    events.addKeyClicks(text);
    return events;
}

QTestEventList operator+(QTestEventList events, const QTestEventList &more)
{
    for (const QTestEvent *event : more)
        events.append(event->clone()); // the list owns its events
    return events;
}

QTestEventList key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTestEventList events;
    events.addKeyClick(key, modifiers);
    return events;
}


// `pages` saved as the program saves and opened again in pages of their own; none when
// either failed.
std::unique_ptr<Pages> reopened(Pages &pages)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"saved.tab"_s);
    FileCommands commands(pages.configuration, pages.notifier);
    commands.buildImage();
    auto again = std::make_unique<Pages>();
    if (!commands.saveFile(file) || !FileCommands(again->configuration, again->notifier).openFile(file))
        return nullptr;
    return again;
}

} // namespace

class TestSettingsPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void init() { QApplication::clipboard()->setText(u"55"_s); }

    void controls_namedAndCaptioned_data();
    void controls_namedAndCaptioned();
    void everyReachableControl_hasNames();

    void keys_data();
    void keys();
    void typing_leavesTheCaretWhereItIs_data();
    void typing_leavesTheCaretWhereItIs();

    void telephoneButtons_data();
    void telephoneButtons();
    void tone_cutsToFifteenInBlue_pulseGivesTheSixteenthBackInBlack();
    void storedNumberOverTheLimit_shownWholeAndNotGrown();

    void technologicalAddress_data();
    void technologicalAddress();

    void arrows_data();
    void arrows();

    void checkBoxAndMode_reachTheSettings();
    void modeTyped_data();
    void modeTyped();

    void load_showsEveryControlAsStored_data();
    void load_showsEveryControlAsStored();
    void typed_shownAsReopened_data();
    void typed_shownAsReopened();
    void paste_keptAsShown_data();
    void paste_keptAsShown();

    void layout_withinTheirAreas_nothingClippedOrOverlapping();
};

void TestSettingsPages::controls_namedAndCaptioned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    const auto row = [](const QString &name, const QString &caption) {
        QTest::newRow(qPrintable(name)) << name << caption;
    };
    row(u"edInfMessage"_s, u"Информационное сообщение"_s);
    row(u"ckbFire"_s, u"Включить реле \"Пожар\""_s);
    row(u"ckbNeisp"_s, u"Включить реле \"Неисправность\""_s);
    row(u"ckbComm"_s, u"Включить коммуникатор"_s);
    row(u"ckbAPK"_s, u"Включить вторую АПК"_s);
    row(u"ckbNotiv"_s, u"Повторное включение оповещения"_s);
    for (int i = 1; i <= 8; ++i)
        row(u"edAdminPass%1"_s.arg(i), u"Код доступа %1"_s.arg(i));
    for (int i = 1; i <= 4; ++i)
        row(u"edMasterPass%1"_s.arg(i), u"Код доступа %1"_s.arg(i));
    row(u"edNumReg1"_s, u"Первый регистрационный номер "_s);
    row(u"edNumReg2"_s, u"Второй регистрационный номер"_s);
    row(u"edTelNum1"_s, u"Первый телефонный номер"_s);
    row(u"edTelNum2"_s, u"Второй телефонный номер"_s);
    for (const QString &n : { u"1"_s, u"2"_s }) {
        row(u"sbPause"_s + n, u"пауза"_s);
        row(u"sbFindSignal"_s + n, u"пошук"_s);
        row(u"sbTonePulse"_s + n, u"імп"_s);
    }
    row(u"cbModeAndOr"_s, u"Режим дозвона"_s);
    row(u"edCount"_s, u"Количество попыток"_s);
    row(u"timeed6"_s, u"Время первого теста, час"_s);
    row(u"ud6"_s, u"Время первого теста, час"_s);
    row(u"timeed7"_s, u"Время первого теста, мин"_s);
    row(u"ud7"_s, u"Время первого теста, мин"_s);
    row(u"timeed8"_s, u"Интервал тестов, час"_s);
    row(u"ud8"_s, u"Интервал тестов, час"_s);
    row(u"edAddrKLM"_s, u"Адрес технологического модуля"_s);
}

void TestSettingsPages::controls_namedAndCaptioned()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    const Pages pages;
    const QWidget *control = pages.control(name);
    QCOMPARE(control->accessibleName(), caption);
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
}

void TestSettingsPages::everyReachableControl_hasNames()
{
    const Pages pages;
    const QList<QWidget *> widgets = pages.window.findChildren<QWidget *>();
    for (const QWidget *widget : widgets) {
        const bool reachable = widget->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton *>(widget);
        if (!reachable || insideComboBox(widget))
            continue; // a combo box's own parts speak for it
        const QString what = QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
        QVERIFY2(!widget->objectName().isEmpty(), qPrintable(what));
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(what));
    }
    const QLabel *caption = pages.control<QLabel>(u"Label1"_s);
    QCOMPARE(caption->text(), u"Адрес технологического модуля"_s);
    QVERIFY(caption->wordWrap());
}

void TestSettingsPages::keys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("told");

    const QStringList nothing;
    QTest::newRow("letter in an admin code") << u"edAdminPass3"_s << clicks(u"12a3"_s) << u"123"_s
                                             << QStringList { DigitsOnly };
    QTest::newRow("Ctrl+V in an admin code") << u"edAdminPass3"_s << key(Qt::Key_V, Qt::ControlModifier)
                                             << QString() << QStringList { DigitsOnly };
    QTest::newRow("Ctrl+V in an installer code") << u"edMasterPass4"_s << key(Qt::Key_V, Qt::ControlModifier)
                                                 << QString() << QStringList { DigitsOnly };
    QTest::newRow("Ctrl+V in a registration number") << u"edNumReg2"_s << key(Qt::Key_V, Qt::ControlModifier)
                                                     << QString() << QStringList { DigitsOnly };
    QTest::newRow("Ctrl+V in a telephone number") << u"edTelNum1"_s << key(Qt::Key_V, Qt::ControlModifier)
                                                  << u"55"_s << nothing;
    QTest::newRow("marks in a telephone number") << u"edTelNum2"_s << clicks(u"1+2*3"_s) << u"1+2*3"_s << nothing;
    QTest::newRow("letter in a telephone number") << u"edTelNum2"_s << clicks(u"1b"_s) << u"1"_s
                                                  << QStringList { TelephoneKeys };
    QTest::newRow("Enter in the attempts") << u"edCount"_s << clicks(u"5"_s) + key(Qt::Key_Return) << u"5"_s
                                           << QStringList { DigitsOnly };
    QTest::newRow("Backspace") << u"edAdminPass1"_s << clicks(u"123"_s) + key(Qt::Key_Backspace) << u"12"_s
                               << nothing;
    QTest::newRow("arrows and Delete type nothing")
            << u"edAdminPass1"_s << clicks(u"123"_s) + key(Qt::Key_Left) + key(Qt::Key_Left) + key(Qt::Key_Delete)
            << u"13"_s << nothing;
    QTest::newRow("eleventh digit of a code") << u"edMasterPass1"_s << clicks(u"12345678901"_s) << u"1234567890"_s
                                              << nothing;
    QTest::newRow("fifth registration digit") << u"edNumReg1"_s << clicks(u"12345"_s) << u"1234"_s << nothing;
    // One digit-coded byte keeps two digits.
    QTest::newRow("third attempts digit") << u"edCount"_s << clicks(u"123"_s) << u"12"_s << nothing;
    QTest::newRow("17th telephone character") << u"edTelNum1"_s << clicks(u"1234567890123+*7"_s + u"8"_s)
                                              << u"1234567890123+*7"_s << nothing;
    // In capitals as typed, as the panel keeps it.
    QTest::newRow("any text in the message") << u"edInfMessage"_s << key(Qt::Key_End) + clicks(u"Ab 1!"_s)
                                             << u" AB 1!"_s << nothing;
    QTest::newRow("message limit") << u"edInfMessage"_s << key(Qt::Key_End) + clicks(QString(40, u'x'))
                                   << u" "_s + QString(38, u'X') << nothing;
    QTest::newRow("letter in the address, silently") << u"edAddrKLM"_s << clicks(u"a"_s) << u"1"_s << nothing;
}

void TestSettingsPages::keys()
{
    QFETCH(QString, box);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);
    QFETCH(QStringList, told);

    Pages pages;
    auto *edit = pages.control<QLineEdit>(box);
    keys.simulate(edit);
    QCOMPARE(edit->text(), text);
    QCOMPARE(storedText(pages.configuration.settings(), box), text);
    QCOMPARE(pages.notifier.messages, told);
}

void TestSettingsPages::typing_leavesTheCaretWhereItIs_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");

    QTest::newRow("code") << u"edAdminPass1"_s << u"1243"_s;
    QTest::newRow("registration number") << u"edNumReg1"_s << u"1243"_s;
    QTest::newRow("telephone number") << u"edTelNum2"_s << u"1243"_s;
    QTest::newRow("message") << u"edInfMessage"_s << u" 1243"_s;
}

// Every keystroke changes the settings, and every change is shown again: the box must
// not be reset under the typing.
void TestSettingsPages::typing_leavesTheCaretWhereItIs()
{
    QFETCH(QString, box);
    QFETCH(QString, text);

    Pages pages;
    auto *edit = pages.control<QLineEdit>(box);
    (key(Qt::Key_End) + clicks(u"123"_s) + key(Qt::Key_Left) + clicks(u"4"_s)).simulate(edit);
    QCOMPARE(edit->text(), text);
    QCOMPARE(edit->cursorPosition(), text.size() - 1);
    QVERIFY(edit->isUndoAvailable());
}

void TestSettingsPages::telephoneButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("newCaret");
    QTest::addColumn<QString>("raw");

    QTest::newRow("pause") << u"sbPause1"_s << u"1234"_s << 2 << u"12+34"_s << 3 << u"12B34D0000000000"_s;
    QTest::newRow("find signal") << u"sbFindSignal1"_s << u"1234"_s << 2 << u"12*34"_s << 3 << u"12C34D0000000000"_s;
    QTest::newRow("second number, at the start") << u"sbPause2"_s << u"1234"_s << 0 << u"+1234"_s << 1
                                                 << u"B1234D0000000000"_s;
    QTest::newRow("second number, at the end") << u"sbFindSignal2"_s << u"1234"_s << 4 << u"1234*"_s << 5
                                               << u"1234CD0000000000"_s;
}

void TestSettingsPages::telephoneButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, typed);
    QFETCH(int, caret);
    QFETCH(QString, text);
    QFETCH(int, newCaret);
    QFETCH(QString, raw);

    Pages pages;
    QVERIFY(pages.showActive());
    const QString number = button.right(1);
    auto *box = pages.control<QLineEdit>(u"edTelNum"_s + number);
    QTest::keyClicks(box, typed);
    QCOMPARE(box->statusTip(), u"%1D"_s.arg(typed).leftJustified(16, u'0'));
    box->setCursorPosition(caret);
    pages.control(u"edCount"_s)->setFocus();

    QTest::mouseClick(pages.control(button), Qt::LeftButton);
    QCOMPARE(box->text(), text);
    QCOMPARE(box->cursorPosition(), newCaret);
    QVERIFY(box->hasFocus());
    QCOMPARE(box->statusTip(), raw);
    QCOMPARE(box->toolTip(), raw);
    const SystemSettings &settings = pages.configuration.settings();
    QCOMPARE(number == u"1" ? settings.edTelNum1 : settings.edTelNum2, text);
    QCOMPARE(number == u"1" ? settings.edTelNum1Raw : settings.edTelNum2Raw, raw);
}

void TestSettingsPages::tone_cutsToFifteenInBlue_pulseGivesTheSixteenthBackInBlack()
{
    Pages pages;
    QVERIFY(pages.showActive());
    auto *box = pages.control<QLineEdit>(u"edTelNum1"_s);
    auto *tone = pages.control<QToolButton>(u"sbTonePulse1"_s);
    QTest::keyClicks(box, u"1234567890123456"_s);
    pages.control(u"edCount"_s)->setFocus();

    QTest::mouseClick(tone, Qt::LeftButton);
    QCOMPARE(box->text(), u"123456789012345"_s);
    QCOMPARE(box->statusTip(), u"E123456789012345"_s);
    QCOMPARE(box->cursorPosition(), 15);
    QVERIFY(box->hasFocus());
    QCOMPARE(shown(tone), u"тон pressed #0000ff"_s);
    QCOMPARE(tone->accessibleName(), u"тон"_s);
    QTest::keyClicks(box, u"6"_s);
    QCOMPARE(box->text(), u"123456789012345"_s);
    QCOMPARE(pages.control<QLineEdit>(u"edTelNum2"_s)->maxLength(), 16); // each number alone

    QTest::mouseClick(tone, Qt::LeftButton);
    QCOMPARE(shown(tone), u"імп released #000000"_s);
    QCOMPARE(box->text(), u"123456789012345"_s);
    QTest::keyClicks(box, u"6"_s);
    QCOMPARE(box->text(), u"1234567890123456"_s);
    QCOMPARE(box->statusTip(), u"1234567890123456"_s);
    QVERIFY(!pages.configuration.settings().sbTonePulse1);
}

// Nine stored bytes can hold 18 digits without an end mark, more than a box takes.
void TestSettingsPages::storedNumberOverTheLimit_shownWholeAndNotGrown()
{
    Pages pages;
    SystemSettings settings = pages.configuration.settings();
    settings.edTelNum1 = u"123456789012345678"_s;
    pages.configuration.setSettings(settings);
    auto *box = pages.control<QLineEdit>(u"edTelNum1"_s);
    QCOMPARE(box->text(), u"123456789012345678"_s);

    (key(Qt::Key_End) + clicks(u"9"_s)).simulate(box);
    QCOMPARE(box->text(), u"123456789012345678"_s);
    (key(Qt::Key_Home) + key(Qt::Key_Delete)).simulate(box);
    QCOMPARE(box->text(), u"23456789012345678"_s);
    QCOMPARE(box->cursorPosition(), 0);
    QCOMPARE(pages.configuration.settings().edTelNum1, u"23456789012345678"_s);
    QVERIFY(pages.notifier.messages.isEmpty());
}

void TestSettingsPages::technologicalAddress_data()
{
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("told");

    // The box starts with "1"; every change of the text is checked at once.
    QTest::newRow("17") << key(Qt::Key_End) + clicks(u"7"_s) << u"1"_s << QStringList { AddressRange };
    QTest::newRow("16") << key(Qt::Key_End) + clicks(u"6"_s) << u"16"_s << QStringList();
    QTest::newRow("05") << key(Qt::Key_End) + clicks(u"5"_s) + key(Qt::Key_Home) + key(Qt::Key_Delete)
                                   + clicks(u"0"_s)
                        << u"05"_s << QStringList();
    QTest::newRow("0") << key(Qt::Key_Home) + clicks(u"0"_s) + key(Qt::Key_End) + key(Qt::Key_Backspace)
                       << u"1"_s << QStringList { AddressRange };
    QTest::newRow("third digit") << key(Qt::Key_End) + clicks(u"23"_s) << u"12"_s << QStringList();
    QTest::newRow("letters and marks") << key(Qt::Key_End) + clicks(u"a+ "_s) << u"1"_s << QStringList();
}

void TestSettingsPages::technologicalAddress()
{
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);
    QFETCH(QStringList, told);

    Pages pages;
    auto *box = pages.control<QLineEdit>(u"edAddrKLM"_s);
    keys.simulate(box);
    QCOMPARE(box->text(), text);
    QCOMPARE(pages.configuration.settings().edAddrKLM, text);
    QCOMPARE(pages.notifier.messages, told);
}

void TestSettingsPages::arrows_data()
{
    QTest::addColumn<QString>("number"); // timeedN with udN
    QTest::addColumn<int>("stored");
    QTest::addColumn<Qt::Key>("arrow"); // a click on it, or the key in the box
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<int>("value");

    QTest::newRow("interval of 48 hours, up") << u"8"_s << 48 << Qt::Key_Up << false << 24;
    QTest::newRow("interval of 48 hours, down") << u"8"_s << 48 << Qt::Key_Down << false << 24;
    QTest::newRow("interval, up") << u"8"_s << 5 << Qt::Key_Up << false << 6;
    QTest::newRow("interval at its top, up") << u"8"_s << 24 << Qt::Key_Up << false << 24;
    QTest::newRow("hours at the bottom, down") << u"6"_s << 0 << Qt::Key_Down << false << 0;
    QTest::newRow("hours, Up key") << u"6"_s << 254 << Qt::Key_Up << true << 255;
    QTest::newRow("minutes of 150, Down key") << u"7"_s << 150 << Qt::Key_Down << true << 99;
    QTest::newRow("minutes, down") << u"7"_s << 30 << Qt::Key_Down << false << 29;
}

void TestSettingsPages::arrows()
{
    QFETCH(QString, number);
    QFETCH(int, stored);
    QFETCH(Qt::Key, arrow);
    QFETCH(bool, byKey);
    QFETCH(int, value);

    Pages pages;
    QVERIFY(pages.showActive());
    SystemSettings settings = pages.configuration.settings();
    storedNumber(settings, number) = stored;
    pages.configuration.setSettings(settings);
    auto *box = pages.control<QLineEdit>(u"timeed"_s + number);
    QCOMPARE(box->text(), QString::number(stored));
    QTest::keyClicks(box, u"7"_s);
    QCOMPARE(box->text(), QString::number(stored)); // only the arrows change it

    if (byKey) {
        QTest::keyClick(box, arrow);
    } else {
        const QString button = arrow == Qt::Key_Up ? u"up"_s : u"down"_s;
        QTest::mouseClick(pages.control(u"ud"_s + number)->findChild<QToolButton *>(button), Qt::LeftButton);
    }
    QCOMPARE(box->text(), QString::number(value));
    settings = pages.configuration.settings();
    QCOMPARE(storedNumber(settings, number), value);
}

void TestSettingsPages::checkBoxAndMode_reachTheSettings()
{
    Pages pages;
    QVERIFY(pages.showActive());
    auto *fire = pages.control<QCheckBox>(u"ckbFire"_s);
    QTest::mouseClick(fire, Qt::LeftButton, {}, fire->rect().bottomLeft() + QPoint(6, -6));
    QVERIFY(pages.configuration.settings().ckbFire);
    QTest::keyClick(pages.control(u"ckbNotiv"_s), Qt::Key_Space);
    QVERIFY(pages.configuration.settings().ckbNotiv);

    auto *mode = pages.control<QComboBox>(u"cbModeAndOr"_s);
    QCOMPARE(mode->currentText(), u"ИЛИ"_s);
    QTest::keyClick(mode, Qt::Key_Down);
    QCOMPARE(pages.configuration.settings().cbModeAndOr, 1);
    QCOMPARE(mode->currentText(), u"И"_s);

    // Shown as the settings change elsewhere, and not taken back.
    SystemSettings settings = pages.configuration.settings();
    settings.ckbFire = false;
    settings.cbModeAndOr = 0;
    QSignalSpy changes(&pages.configuration.notices(), &ConfigurationNotices::settingsChanged);
    pages.configuration.setSettings(settings);
    QVERIFY(!fire->isChecked());
    QCOMPARE(mode->currentText(), u"ИЛИ"_s);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(pages.configuration.settings(), settings);
}

void TestSettingsPages::modeTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index");

    QTest::newRow("neither") << u"xyz"_s << -1;
    QTest::newRow("part of ИЛИ") << u"ИЛ"_s << -1;
    QTest::newRow("И") << u"И"_s << 1;
    QTest::newRow("ИЛИ") << u"ИЛИ"_s << 0;
}

void TestSettingsPages::modeTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, index);

    Pages pages;
    auto *mode = pages.control<QComboBox>(u"cbModeAndOr"_s);
    mode->lineEdit()->selectAll();
    typeText(mode->lineEdit(), typed);
    QCOMPARE(mode->currentText(), typed);
    QCOMPARE(pages.configuration.settings().cbModeAndOr, index);
}

// Keys typed into a box that is then left: the box shows what a saved and reopened file
// shows, and took nothing the image would not keep as typed.
void TestSettingsPages::typed_shownAsReopened_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");

    QTest::newRow("message: 40 letters") << u"edInfMessage"_s << QString(40, u'ж') << QString(39, u'Ж');
    QTest::newRow("message: foreign characters") << u"edInfMessage"_s << u"тест☃ é5"_s << u"ТЕСТ 5"_s;
    QTest::newRow("message: outer blanks") << u"edInfMessage"_s << u"  тест  "_s << u"ТЕСТ"_s;
    QTest::newRow("admin code 8: 11 digits") << u"edAdminPass8"_s << u"12345678901"_s << u"1234567890"_s;
    QTest::newRow("installer code 4: 11 digits") << u"edMasterPass4"_s << u"98765432109"_s << u"9876543210"_s;
    QTest::newRow("registration 1: 5 digits") << u"edNumReg1"_s << u"99999"_s << u"9999"_s;
    QTest::newRow("registration 2: short") << u"edNumReg2"_s << u"42"_s << u"0042"_s;
    QTest::newRow("registration 2: zero") << u"edNumReg2"_s << u"00"_s << QString();
    QTest::newRow("attempts: 250") << u"edCount"_s << u"250"_s << u"25"_s;
    QTest::newRow("attempts: one digit") << u"edCount"_s << u"7"_s << u"07"_s;
    QTest::newRow("telephone 2: 15 symbols") << u"edTelNum2"_s << u"+*0123456789012"_s << u"+*0123456789012"_s;
}

void TestSettingsPages::typed_shownAsReopened()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, shown);

    Pages pages;
    QVERIFY(pages.showActive());
    auto *edit = pages.control<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    typeText(edit, keys);
    pages.control(box == u"edCount"_s ? u"edNumReg1"_s : u"edCount"_s)->setFocus();
    QCOMPARE(edit->text(), shown);
    QCOMPARE(storedText(pages.configuration.settings(), box), shown);

    const std::unique_ptr<Pages> again = reopened(pages);
    QVERIFY(again);
    QCOMPARE(again->control<QLineEdit>(box)->text(), shown);
    QCOMPARE(again->notifier.messages, QStringList());
}

// The context menu's paste passes no key filter: the box's check alone decides, and no
// key follows it to bring the stored form up to date.
void TestSettingsPages::paste_keptAsShown_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");

    QTest::newRow("telephone marks") << u"edTelNum1"_s << u"12+3*"_s << u"12+3*"_s;
    QTest::newRow("telephone letters") << u"edTelNum1"_s << u"12ab"_s << QString();
    QTest::newRow("registration letters") << u"edNumReg1"_s << u"12ab"_s << QString();
    QTest::newRow("code outside the code page") << u"edAdminPass1"_s << u"12☃"_s << QString();
    QTest::newRow("message in capitals") << u"edInfMessage"_s << u"объект"_s << u"ОБЪЕКТ"_s;
    QTest::newRow("message outside the code page") << u"edInfMessage"_s << u"😀"_s << QString();
    QTest::newRow("address letters") << u"edAddrKLM"_s << u"x"_s << QString();
}

void TestSettingsPages::paste_keptAsShown()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(QString, text);

    Pages pages;
    auto *edit = pages.control<QLineEdit>(box);
    edit->clear(); // the message's space, the address's 1, as shown only
    const SystemSettings before = pages.configuration.settings();
    QApplication::clipboard()->setText(pasted);
    edit->paste();
    QCOMPARE(edit->text(), text);
    if (text.isEmpty()) {
        QVERIFY(pages.configuration.settings() == before); // a refused paste changes nothing
        return;
    }
    QCOMPARE(storedText(pages.configuration.settings(), box), text);
    // What the paste shows is what a save and reopen show, with no key pressed after it.
    const std::unique_ptr<Pages> again = reopened(pages);
    QVERIFY(again);
    QCOMPARE(again->control<QLineEdit>(box)->text(), text);
}

void TestSettingsPages::load_showsEveryControlAsStored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("display");

    QTest::newRow("message") << u"edInfMessage"_s << u"ОБЪЕКТ 5"_s;
    QTest::newRow("fire relay") << u"ckbFire"_s << u"checked"_s;
    QTest::newRow("fault relay") << u"ckbNeisp"_s << u"unchecked"_s;
    QTest::newRow("second APK") << u"ckbAPK"_s << u"checked"_s;
    QTest::newRow("admin code 8") << u"edAdminPass8"_s << u"12345"_s;
    QTest::newRow("installer code 1") << u"edMasterPass1"_s << u"9876543210"_s;
    QTest::newRow("registration number 2") << u"edNumReg2"_s << u"0427"_s;
    QTest::newRow("telephone 1") << u"edTelNum1"_s << u"12+34"_s;
    QTest::newRow("pulse, released by the load") << u"sbTonePulse1"_s << u"імп released #808080"_s;
    QTest::newRow("telephone 2") << u"edTelNum2"_s << u"0445551234"_s;
    QTest::newRow("tone") << u"sbTonePulse2"_s << u"тон pressed #0000ff"_s;
    QTest::newRow("mode") << u"cbModeAndOr"_s << u"И"_s;
    QTest::newRow("attempts") << u"edCount"_s << u"12"_s;
    QTest::newRow("first test hours") << u"timeed6"_s << u"200"_s;
    QTest::newRow("first test minutes over the range") << u"timeed7"_s << u"150"_s;
    QTest::newRow("interval of 48 hours") << u"timeed8"_s << u"48"_s;
}

void TestSettingsPages::load_showsEveryControlAsStored()
{
    QFETCH(QString, name);
    QFETCH(QString, display);

    Configuration source;
    SystemSettings settings;
    settings.edInfMessage = u"Объект 5"_s;
    settings.ckbFire = true;
    settings.ckbAPK = true;
    settings.edAdminPass[7] = u"12345"_s;
    settings.edMasterPass[0] = u"9876543210"_s;
    settings.edNumReg2 = u"0427"_s;
    settings.edTelNum1Raw = u"12B34D0000000000"_s;
    settings.edTelNum2Raw = u"E0445551234D0000"_s;
    settings.cbModeAndOr = 1;
    settings.edCount = u"12"_s;
    settings.ud6 = 200;
    settings.ud7 = 150;
    settings.ud8 = 48;
    source.setSettings(settings);
    RecordingNotifier sourceNotifier;
    FileCommands(source, sourceNotifier).buildImage();

    Pages pages;
    QSignalSpy changes(&pages.configuration.notices(), &ConfigurationNotices::settingsChanged);
    QVERIFY(FileCommands(pages.configuration, pages.notifier).openImage(source.image(), u"object5.tab"_s));
    QCOMPARE(shown(pages.control(name)), display);
    QCOMPARE(pages.control(u"edTelNum1"_s)->statusTip(), u"12B34D000000000000"_s); // all nine stored bytes
    QCOMPARE(changes.count(), 1); // the load's own: no control took its value back
    QCOMPARE(pages.configuration.settings().ud8, 48);
    QCOMPARE(pages.notifier.messages, QStringList());
}

void TestSettingsPages::layout_withinTheirAreas_nothingClippedOrOverlapping()
{
    Pages pages;
    pages.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pages.window));

    // Each page at its page's top left, clear of the grid the window puts beside it (the
    // day/night grid from x 519, the notification list from x 453); the address box at
    // its place on the modules page.
    QVERIFY(pages.system->width() <= 512 && pages.system->height() <= 557);
    QVERIFY(pages.communicator->width() <= 446 && pages.communicator->height() <= 557);
    QCOMPARE(pages.address->geometry(), QRect(368, 133, 98, 66));
    QCOMPARE(pages.control(u"Label1"_s)->geometry().translated(pages.address->pos()), QRect(368, 133, 96, 39));
    QCOMPARE(pages.control(u"edAddrKLM"_s)->geometry().translated(pages.address->pos()), QRect(368, 178, 98, 21));

    for (const QWidget *page : { static_cast<QWidget *>(pages.system), static_cast<QWidget *>(pages.communicator),
                                 static_cast<QWidget *>(pages.address) }) {
        QList<std::pair<QRect, QString>> taken;
        const QList<QWidget *> children = page->findChildren<QWidget *>();
        for (const QWidget *child : children) {
            // Group boxes hold controls; combo boxes and arrows are measured whole.
            if (!child->isVisible() || qobject_cast<const QGroupBox *>(child) || insideComboBox(child)
                || child->parentWidget()->inherits("UpDownButtons"))
                continue;
            const QRect rect(child->mapTo(page, QPoint(0, 0)), child->size());
            const QString what = child->objectName() + u' ' + child->property("text").toString();
            QVERIFY2(page->rect().contains(rect), qPrintable(what));
            const auto *label = qobject_cast<const QLabel *>(child);
            const auto *button = qobject_cast<const QToolButton *>(child);
            if (label && label->wordWrap())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(what));
            else if (button) // sized to their captions, tighter than the style's hint
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width()
                                 && button->fontMetrics().height() + 4 <= button->height(),
                         qPrintable(what));
            else
                QVERIFY2(child->width() >= child->minimumSizeHint().width()
                                 && child->height() >= child->minimumSizeHint().height(),
                         qPrintable(what));
            for (const auto &[other, otherWhat] : std::as_const(taken))
                QVERIFY2(!rect.intersects(other), qPrintable(what + u" over "_s + otherWhat));
            taken.append({ rect, what });
        }
    }
}

QTEST_MAIN(TestSettingsPages)
#include "tst_settingspages.moc"
