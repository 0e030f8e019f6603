// The tool bar's drawn controls, TAPanel and TAButton, as they paint and as they answer the
// mouse: pixels are read back from QWidget::grab() or the panel's own image and compared
// with the blends worked out by hand.

#include <ui/controls/abutton.h>
#include <ui/controls/apanel.h>
#include <ui/font/programfont.h>

#include <QAccessible>
#include <QDir>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

// The tool bar's colours.
const QColor Cream(255, 251, 240);
const QColor Silver(192, 192, 192);
const QColor Glow(0, 128, 255);

const QColor Magenta(255, 0, 255); // what the button's parent draws
const QColor Subject(200, 0, 0); // the picture's subject
const QColor PictureBackground(0, 160, 0); // its plain background, keyed out

constexpr int GlowAlpha[] = { 20, 40, 80, 150, 255, 150, 80, 40, 20 };
constexpr int ThinFrame = 5;
constexpr int ThinFrameAlpha = 200;

// A 48 x 48 picture: the subject everywhere but in the bottom-left quadrant, which is the
// plain background (the bottom-left pixel gives the key colour).
QImage picture()
{
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(Subject);
    for (int y = 24; y < 48; ++y)
        for (int x = 0; x < 24; ++x)
            image.setPixelColor(x, y, PictureBackground);
    return image;
}

// over at alpha/255 on under, channel by channel.
QColor blended(const QColor &over, const QColor &under, double alpha)
{
    const auto mix = [&](int o, int u) { return qRound((o * alpha + u * (255 - alpha)) / 255); };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue()));
}

bool near(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
            && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

QByteArray describe(const QColor &actual, const QColor &expected)
{
    return QStringLiteral("rgb(%1, %2, %3), expected about rgb(%4, %5, %6)")
            .arg(actual.red())
            .arg(actual.green())
            .arg(actual.blue())
            .arg(expected.red())
            .arg(expected.green())
            .arg(expected.blue())
            .toUtf8();
}

// Colours agree within a rounding step or two of the blending arithmetic.
#define COMPARE_COLOUR(actual, expected)                                                                               \
    do {                                                                                                               \
        const QColor actual_ = (actual), expected_ = (expected);                                                       \
        QVERIFY2(near(actual_, expected_, 2), describe(actual_, expected_).constData());                               \
    } while (false)

// A parent that draws one colour all over while its face colour (the Window role, which
// the button inherits) is another, so that the button's own fill and the parent tell apart.
class Surface : public QWidget
{
public:
    explicit Surface(const QColor &drawn) : m_drawn(drawn)
    {
        resize(100, 100);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, Cream);
        setPalette(palette);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_drawn); }

private:
    QColor m_drawn;
};

// A button at (10, 10) on a surface.
struct Rig
{
    explicit Rig(const QColor &drawn = Magenta, const QImage &image = picture()) : surface(drawn)
    {
        button.move(10, 10);
        button.setImage(image);
    }
    QImage shot() { return surface.grab(QRect(10, 10, 64, 64)).toImage(); }
    void enter()
    {
        QEnterEvent event(QPointF(32, 32), QPointF(42, 42), button.mapToGlobal(QPointF(32, 32)));
        QApplication::sendEvent(&button, &event);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&button, &event);
    }

    Surface surface;
    TAButton button { &surface };
};

void setToolBarColours(TAPanel &panel)
{
    panel.resize(874, 68);
    panel.setBackGround(Cream);
    panel.setBorderColor(Silver);
    panel.setGlowColor(Glow);
    panel.setRound(0);
}

// The main window's tool bar: seven buttons, their pictures with a transparent background
// or a plain one, the first button under the mouse.
struct ToolBar
{
    ToolBar()
    {
        setToolBarColours(panel);
        const int xs[] = { 8, 78, 220, 280, 340, 548, 609 };
        for (int i = 0; i < 7; ++i) {
            auto *button = new TAButton(&panel);
            button->move(xs[i], 3);
            button->setImage(i % 2 ? picture() : drawing(i));
            buttons.append(button);
        }
        QEnterEvent enter(QPointF(32, 32), QPointF(40, 35), buttons[0]->mapToGlobal(QPointF(32, 32)));
        QApplication::sendEvent(buttons[0], &enter);
    }

    // A rounded box with a ring inside, on a transparent background.
    static QImage drawing(int seed)
    {
        QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(60, 60, 60), 2));
        painter.setBrush(QColor::fromHsv(40 + 50 * seed, 200, 230));
        painter.drawRoundedRect(QRectF(5, 10, 38, 30), 4, 4);
        painter.setBrush(QColor(255, 255, 255));
        painter.drawEllipse(QPointF(24, 25), 7, 7);
        return image;
    }

    TAPanel panel;
    QList<TAButton *> buttons;
};

enum Gesture { LeftClick, RightClick, LeftReleasedOutside, ReleaseWithoutPress, DoubleClick };
enum KeyGesture { KeyClick, KeyPressOnly, KeyReleaseOnly, KeyClickDisabled, SpaceLetGoElsewhere };

} // namespace

Q_DECLARE_METATYPE(Gesture)
Q_DECLARE_METATYPE(KeyGesture)

class TestAComponents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void button_defaults();
    void button_pictureCentredAndKeyed();
    void button_pictureOpacity_data();
    void button_pictureOpacity();
    void button_transparency_data();
    void button_transparency();
    void button_frames_data();
    void button_frames();
    void button_enterAndLeave();
    void button_statusTipNoBalloon();
    void button_clicked_data();
    void button_clicked();
    void button_keys_data();
    void button_keys();
    void button_focusFrame();
    void button_accessibleAsAPushButton();

    void panel_defaults();
    void panel_neverSmallerThanTen_data();
    void panel_neverSmallerThanTen();
    void panel_layers_data();
    void panel_layers();
    void panel_bandRisesTowardTheBottom();
    void panel_roundedCorners_data();
    void panel_roundedCorners();
    void panel_showsItsImage();
    void toolBar_panelShowsAroundThePictures();
};

void TestAComponents::button_defaults()
{
    TAButton button;
    QCOMPARE(button.size(), QSize(64, 64));
    QVERIFY(button.trabsparent());
    QVERIFY(!button.autoFillBackground());
    QVERIFY(!button.isGlowing());
    QVERIFY(button.image().isNull());
    QVERIFY(button.toolTip().isEmpty());

    QImage image = picture();
    button.setImage(image);
    image.fill(Qt::white);
    QCOMPARE(button.image(), picture()); // kept as given

    button.setTrabsparent(false);
    QVERIFY(!button.trabsparent());
    QVERIFY(button.autoFillBackground());
    button.setTrabsparent(false);
    QVERIFY(button.autoFillBackground());
    button.setTrabsparent(true);
    QVERIFY(!button.autoFillBackground());
}

// A 64 x 64 button draws a 48 x 48 picture at (8, 8) .. (55, 55), faded over the face
// colour, its plain background left out so that the parent's drawing shows.
void TestAComponents::button_pictureCentredAndKeyed()
{
    Rig rig;
    const QImage shot = rig.shot();
    const QColor subject = blended(Subject, Cream, TAButton::FadedOpacity);

    for (const QPoint corner : { QPoint(8, 8), QPoint(55, 8), QPoint(55, 55), QPoint(32, 55), QPoint(31, 31) }) {
        COMPARE_COLOUR(shot.pixelColor(corner), subject);
    }
    for (const QPoint outside : { QPoint(7, 8), QPoint(8, 7), QPoint(56, 8), QPoint(55, 7), QPoint(56, 55),
                                  QPoint(55, 56), QPoint(32, 56), QPoint(32, 7) })
        QCOMPARE(shot.pixelColor(outside), Magenta);
    // The background quadrant (8, 32) .. (31, 55), keyed out whole.
    for (const QPoint keyed : { QPoint(8, 32), QPoint(31, 32), QPoint(8, 55), QPoint(31, 55), QPoint(20, 44) })
        QCOMPARE(shot.pixelColor(keyed), Magenta);

    // Odd sizes: at (W div 2) - (w div 2), (H div 2) - (h div 2), here (22, 25) .. (42, 39).
    QImage odd(21, 15, QImage::Format_RGB32);
    odd.fill(Subject);
    odd.setPixelColor(0, 14, PictureBackground);
    rig.button.setImage(odd);
    const QImage oddShot = rig.shot();
    COMPARE_COLOUR(oddShot.pixelColor(22, 25), subject);
    COMPARE_COLOUR(oddShot.pixelColor(42, 39), subject);
    QCOMPARE(oddShot.pixelColor(22, 39), Magenta);
    QCOMPARE(oddShot.pixelColor(21, 25), Magenta);
    QCOMPARE(oddShot.pixelColor(22, 24), Magenta);
    QCOMPARE(oddShot.pixelColor(43, 39), Magenta);
    QCOMPARE(oddShot.pixelColor(42, 40), Magenta);
}

void TestAComponents::button_pictureOpacity_data()
{
    QTest::addColumn<bool>("glowing");
    QTest::addColumn<int>("opacity");

    QTest::newRow("faded while the mouse is elsewhere") << false << 125;
    QTest::newRow("full strength under the mouse") << true << 255;
}

void TestAComponents::button_pictureOpacity()
{
    QFETCH(bool, glowing);
    QFETCH(int, opacity);

    Rig rig;
    if (glowing)
        rig.enter();
    QCOMPARE(rig.button.isGlowing(), glowing);
    const QImage shot = rig.shot();
    const QColor face = rig.button.palette().color(QPalette::Window);
    QCOMPARE(face, Cream); // inherited from the parent

    for (const QPoint subject : { QPoint(12, 12), QPoint(32, 20), QPoint(40, 40), QPoint(51, 51) })
        COMPARE_COLOUR(shot.pixelColor(subject), blended(Subject, face, opacity));
    QCOMPARE(shot.pixelColor(20, 44), Magenta); // keyed out at either strength
}

void TestAComponents::button_transparency_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<QColor>("around");

    QTest::newRow("transparent: the parent shows") << true << Magenta;
    QTest::newRow("opaque: the face colour") << false << Cream;
}

void TestAComponents::button_transparency()
{
    QFETCH(bool, transparent);
    QFETCH(QColor, around);

    Rig rig;
    rig.button.setTrabsparent(transparent);
    const QImage shot = rig.shot();
    QCOMPARE(shot.pixelColor(20, 44), around); // the picture's keyed background
    QCOMPARE(shot.pixelColor(2, 32), around); // between the edge and the frame
    QCOMPARE(shot.pixelColor(32, 7), around); // between the frame and the picture
    COMPARE_COLOUR(shot.pixelColor(40, 20), blended(Subject, Cream, TAButton::FadedOpacity));
}

// On black, a white pen at alpha a leaves a grey of a. Every ring of pixels from the edge
// (0) to just inside the innermost glow frame (10) is sampled on its four sides.
void TestAComponents::button_frames_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("mouseOver");
    QTest::addColumn<bool>("withPicture");
    QTest::addColumn<int>("ring");
    QTest::addColumn<int>("alpha");

    const struct
    {
        const char *name;
        bool enabled;
        bool mouseOver;
        bool withPicture;
    } states[] = {
        { "no picture, mouse elsewhere", true, false, false },
        { "no picture, mouse over", true, true, false },
        { "disabled", false, false, true },
        { "disabled, mouse over", false, true, true },
    };
    for (const auto &state : states) {
        for (int ring = 0; ring <= 10; ++ring) {
            const bool glowFrames = state.enabled && state.mouseOver;
            int alpha = 0;
            if (glowFrames && ring >= 1 && ring <= 9)
                alpha = GlowAlpha[ring - 1];
            else if (!glowFrames && ring == ThinFrame)
                alpha = ThinFrameAlpha;
            QTest::addRow("%s, ring %d", state.name, ring)
                    << state.enabled << state.mouseOver << state.withPicture << ring << alpha;
        }
    }
}

void TestAComponents::button_frames()
{
    QFETCH(bool, enabled);
    QFETCH(bool, mouseOver);
    QFETCH(bool, withPicture);
    QFETCH(int, ring);
    QFETCH(int, alpha);

    Rig rig(Qt::black, withPicture ? picture() : QImage());
    rig.button.setEnabled(enabled);
    if (mouseOver)
        rig.enter();
    const QImage shot = rig.shot();

    const QColor grey(alpha, alpha, alpha);
    COMPARE_COLOUR(shot.pixelColor(32, ring), grey); // top
    COMPARE_COLOUR(shot.pixelColor(63 - ring, 32), grey); // right
    COMPARE_COLOUR(shot.pixelColor(32, 63 - ring), grey); // bottom
    COMPARE_COLOUR(shot.pixelColor(ring, 32), grey); // left
    // Frames only: no picture set, or none drawn while disabled.
    QCOMPARE(shot.pixelColor(40, 20), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(32, 32), QColor(Qt::black));
}

void TestAComponents::button_enterAndLeave()
{
    Rig rig;
    QCOMPARE(rig.button.cursor().shape(), Qt::ArrowCursor);

    rig.enter();
    QVERIFY(rig.button.isGlowing());
    QCOMPARE(rig.button.cursor().shape(), Qt::PointingHandCursor);
    QImage shot = rig.shot();
    COMPARE_COLOUR(shot.pixelColor(40, 20), Subject);
    QCOMPARE(shot.pixelColor(32, 5), QColor(Qt::white)); // the fifth glow frame

    rig.leave();
    QVERIFY(!rig.button.isGlowing());
    QCOMPARE(rig.button.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!rig.button.testAttribute(Qt::WA_SetCursor)); // the default again, not an arrow of its own
    shot = rig.shot();
    COMPARE_COLOUR(shot.pixelColor(40, 20), blended(Subject, Cream, TAButton::FadedOpacity));
    QCOMPARE(shot.pixelColor(32, 1), Magenta); // no glow frame
    COMPARE_COLOUR(shot.pixelColor(32, 5), blended(Qt::white, Magenta, ThinFrameAlpha));
}

// The hint reaches the status bar as a status tip on entering and is cleared on leaving;
// no balloon rises. (Synthetic events: a real pointer is shared with the other window
// tests on the display.)
void TestAComponents::button_statusTipNoBalloon()
{
    const QString hint = QStringLiteral("Открыть файл");
    Rig rig;
    rig.button.setStatusTip(hint);
    rig.button.setAccessibleName(hint);
    struct TipCatcher : QObject
    {
        QStringList tips;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::StatusTip)
                tips.append(static_cast<QStatusTipEvent *>(event)->tip());
            return false;
        }
    } catcher;
    rig.surface.installEventFilter(&catcher);
    rig.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.surface));

    rig.enter();
    QCOMPARE(catcher.tips, QStringList { hint });
    QHelpEvent help(QEvent::ToolTip, QPoint(32, 32), rig.button.mapToGlobal(QPoint(32, 32)));
    QApplication::sendEvent(&rig.button, &help);
    QVERIFY(!QToolTip::isVisible());

    rig.leave();
    QCOMPARE(catcher.tips, (QStringList { hint, QString() }));
}

void TestAComponents::button_clicked_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left press and release") << LeftClick << 1;
    QTest::newRow("right press and release") << RightClick << 0;
    QTest::newRow("left released off the button") << LeftReleasedOutside << 0;
    QTest::newRow("left release without a press") << ReleaseWithoutPress << 0;
    QTest::newRow("double-click: one click") << DoubleClick << 1;
}

void TestAComponents::button_clicked()
{
    QFETCH(Gesture, gesture);
    QFETCH(int, clicks);

    Rig rig;
    rig.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.surface));
    QSignalSpy clicked(&rig.button, &TAButton::clicked);
    const QPoint inside(30, 30);
    switch (gesture) {
    case LeftClick:
        QTest::mousePress(&rig.button, Qt::LeftButton, {}, inside);
        QCOMPARE(clicked.size(), 0); // on the release, not the press
        QTest::mouseRelease(&rig.button, Qt::LeftButton, {}, inside);
        break;
    case RightClick:
        QTest::mouseClick(&rig.button, Qt::RightButton, {}, inside);
        break;
    case LeftReleasedOutside:
        QTest::mousePress(&rig.button, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(&rig.button, Qt::LeftButton, {}, QPoint(70, 30));
        break;
    case ReleaseWithoutPress:
        QTest::mouseRelease(&rig.button, Qt::LeftButton, {}, inside);
        break;
    case DoubleClick: // as delivered: press, release, double-click, release
        QTest::mouseClick(&rig.button, Qt::LeftButton, {}, inside);
        QTest::mouseDClick(&rig.button, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(&rig.button, Qt::LeftButton, {}, inside);
        break;
    }
    QCOMPARE(clicked.size(), clicks);
}

void TestAComponents::button_keys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<KeyGesture>("gesture");
    QTest::addColumn<int>("clicks");

    QTest::newRow("Space") << Qt::Key_Space << KeyClick << 1;
    QTest::newRow("Space: on the release, not the press") << Qt::Key_Space << KeyPressOnly << 0;
    QTest::newRow("Space released without a press") << Qt::Key_Space << KeyReleaseOnly << 0;
    QTest::newRow("Space let go after the focus left") << Qt::Key_Space << SpaceLetGoElsewhere << 0;
    QTest::newRow("Return: on the press") << Qt::Key_Return << KeyPressOnly << 1;
    QTest::newRow("Enter of the keypad") << Qt::Key_Enter << KeyClick << 1;
    QTest::newRow("Space, disabled") << Qt::Key_Space << KeyClickDisabled << 0;
    QTest::newRow("Return, disabled") << Qt::Key_Return << KeyClickDisabled << 0;
    QTest::newRow("another key") << Qt::Key_A << KeyClick << 0;
}

void TestAComponents::button_keys()
{
    QFETCH(Qt::Key, key);
    QFETCH(KeyGesture, gesture);
    QFETCH(int, clicks);

    Rig rig;
    auto *other = new QWidget(&rig.surface);
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(80, 80, 10, 10);
    rig.surface.show();
    rig.surface.activateWindow(); // no window manager does it under Xvfb
    QVERIFY(QTest::qWaitForWindowActive(&rig.surface));
    rig.button.setFocus(Qt::TabFocusReason);
    QVERIFY(rig.button.hasFocus());
    QSignalSpy clicked(&rig.button, &TAButton::clicked);
    switch (gesture) {
    case KeyClick:
        QTest::keyClick(&rig.button, key);
        break;
    case KeyPressOnly:
        QTest::keyPress(&rig.button, key);
        break;
    case KeyReleaseOnly:
        QTest::keyRelease(&rig.button, key);
        break;
    case KeyClickDisabled:
        rig.button.setEnabled(false);
        QTest::keyClick(&rig.button, key);
        break;
    case SpaceLetGoElsewhere:
        QTest::keyPress(&rig.button, key);
        other->setFocus(Qt::TabFocusReason);
        rig.button.setFocus(Qt::TabFocusReason);
        QTest::keyRelease(&rig.button, key);
        break;
    }
    QCOMPARE(clicked.size(), clicks);
}

// Tab reaches the button and then it shows a frame; a click leaves the focus where it was.
void TestAComponents::button_focusFrame()
{
    Rig rig;
    auto *other = new QWidget(&rig.surface);
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(80, 80, 10, 10);
    QWidget::setTabOrder(other, &rig.button);
    rig.surface.show();
    rig.surface.activateWindow(); // no window manager does it under Xvfb
    QVERIFY(QTest::qWaitForWindowActive(&rig.surface));
    other->setFocus(Qt::OtherFocusReason);
    const QImage unfocused = rig.shot();

    QTest::mouseClick(&rig.button, Qt::LeftButton, {}, QPoint(30, 30));
    QVERIFY(other->hasFocus());
    QTest::keyClick(other, Qt::Key_Tab);
    QVERIFY(rig.button.hasFocus());
    const QImage focused = rig.shot();
    QVERIFY(focused != unfocused);
    QCOMPARE(focused.copy(1, 1, 62, 62), unfocused.copy(1, 1, 62, 62)); // only the edge: picture and frames as they were

    QTest::keyClick(&rig.button, Qt::Key_Tab);
    QVERIFY(other->hasFocus());
    QCOMPARE(rig.shot(), unfocused);
}

void TestAComponents::button_accessibleAsAPushButton()
{
    Rig rig;
    rig.button.setAccessibleName(u"Открыть файл"_s);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&rig.button);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::PushButton);
    QCOMPARE(accessible->text(QAccessible::Name), u"Открыть файл"_s);
    QVERIFY(accessible->state().focusable);

    QAccessibleActionInterface *actions = accessible->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QSignalSpy clicked(&rig.button, &TAButton::clicked);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.size(), 1);

    rig.button.setEnabled(false);
    QVERIFY(!actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.size(), 1);
}

void TestAComponents::panel_defaults()
{
    QWidget parent;
    parent.resize(300, 200);
    TAPanel panel(&parent);
    QCOMPARE(panel.geometry(), QRect(0, 0, 300, 68));
    QCOMPARE(panel.backGround(), QColor(0, 0, 0));
    QCOMPARE(panel.borderColor(), QColor(106, 133, 172));
    QCOMPARE(panel.glowColor(), QColor(0, 128, 255));
    QCOMPARE(panel.round(), 0);
    QCOMPARE(TAPanel().height(), 68);

    panel.setBackGround(Cream);
    panel.setBorderColor(QColor(192, 192, 192, 10)); // 24 bits: the alpha is dropped
    panel.setGlowColor(Qt::red);
    panel.setRound(7);
    QCOMPARE(panel.backGround(), Cream);
    QCOMPARE(panel.borderColor(), Silver);
    QCOMPARE(panel.glowColor(), QColor(255, 0, 0));
    QCOMPARE(panel.round(), 7);
}

void TestAComponents::panel_neverSmallerThanTen_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("got");

    QTest::newRow("5 x 5") << QSize(5, 5) << QSize(10, 10);
    QTest::newRow("0 x 0") << QSize(0, 0) << QSize(10, 10);
    QTest::newRow("narrow") << QSize(3, 40) << QSize(10, 40);
    QTest::newRow("flat") << QSize(40, 3) << QSize(40, 10);
    QTest::newRow("10 x 10") << QSize(10, 10) << QSize(10, 10);
    QTest::newRow("11 x 12") << QSize(11, 12) << QSize(11, 12);
}

void TestAComponents::panel_neverSmallerThanTen()
{
    QFETCH(QSize, asked);
    QFETCH(QSize, got);

    TAPanel panel;
    panel.resize(asked);
    QCOMPARE(panel.size(), got);
    panel.setGeometry(QRect(QPoint(4, 4), asked));
    QCOMPARE(panel.size(), got);

    // Even where the owner has lowered the minimum, once the size takes effect.
    QWidget parent;
    parent.resize(100, 100);
    TAPanel unbounded(&parent);
    unbounded.setMinimumSize(0, 0);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    unbounded.resize(asked);
    QCOMPARE(unbounded.size(), got);
}

// The 874 x 68 tool bar's layers pixel by pixel: W div 4 = 218, H div 2 = 34. Each layer
// is the glow colour at some alpha over what lies below.
void TestAComponents::panel_layers_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");

    const auto over = [](const QColor &below, double alpha) { return blended(Glow, below, alpha); };
    const auto gloss = [](int y) { return 100 + (50 - 100) * y / 34.0; };
    const auto centre = [](int x) {
        const double t = (x - 218) / 438.0;
        return 100 * (t <= 0.5 ? 2 * t : 2 * (1 - t));
    };

    QTest::newRow("border, left") << QPoint(0, 40) << Silver;
    QTest::newRow("border, right") << QPoint(873, 40) << Silver;
    QTest::newRow("border, top") << QPoint(437, 0) << Silver;
    QTest::newRow("border, bottom") << QPoint(437, 67) << Silver;
    QTest::newRow("border, square corner") << QPoint(0, 0) << Silver;
    QTest::newRow("border, square corner opposite") << QPoint(873, 67) << Silver;
    QTest::newRow("background") << QPoint(100, 40) << Cream;
    QTest::newRow("background, right") << QPoint(800, 40) << Cream;
    QTest::newRow("centre glow, middle") << QPoint(437, 40) << over(Cream, 100);
    QTest::newRow("centre glow, left quarter") << QPoint(337, 40) << over(Cream, centre(337));
    QTest::newRow("centre glow, right quarter") << QPoint(537, 40) << over(Cream, centre(537));
    QTest::newRow("centre glow, near its left end") << QPoint(225, 40) << over(Cream, centre(225));
    QTest::newRow("gloss, top") << QPoint(100, 2) << over(Cream, gloss(2));
    QTest::newRow("gloss, bottom") << QPoint(100, 32) << over(Cream, gloss(32));
    QTest::newRow("gloss over the centre glow") << QPoint(437, 20) << over(over(Cream, 100), gloss(20));
}

void TestAComponents::panel_layers()
{
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);

    TAPanel panel;
    setToolBarColours(panel);
    const QImage image = panel.rendered();
    QCOMPARE(image.size(), QSize(874, 68));
    COMPARE_COLOUR(image.pixelColor(at), expected);
}

// The lower band, rows 47 .. 67, shows its gradient tiled: starting again from clear at
// row 46 (H - H div 3) and reaching about alpha 122 at the bottom edge.
void TestAComponents::panel_bandRisesTowardTheBottom()
{
    TAPanel panel;
    setToolBarColours(panel);
    const QImage image = panel.rendered();
    int previousRed = 256;
    for (int y = 48; y <= 66; ++y) {
        const QColor pixel = image.pixelColor(100, y);
        COMPARE_COLOUR(pixel, blended(Glow, Cream, 255 * (y / 46.0 - 1)));
        QVERIFY2(pixel.red() < previousRed, qPrintable(QString::number(y)));
        previousRed = pixel.red();
    }
    QVERIFY(image.pixelColor(100, 66).red() < image.pixelColor(100, 48).red() - 80);
    QCOMPARE(image.pixelColor(100, 45), Cream); // above the band
}

void TestAComponents::panel_roundedCorners_data()
{
    QTest::addColumn<QPoint>("corner");
    QTest::addColumn<QPoint>("inside");

    QTest::newRow("top left") << QPoint(0, 0) << QPoint(8, 8);
    QTest::newRow("top right") << QPoint(873, 0) << QPoint(865, 8);
    QTest::newRow("bottom left") << QPoint(0, 67) << QPoint(8, 59);
    QTest::newRow("bottom right") << QPoint(873, 67) << QPoint(865, 59);
}

// With Round > 0 a corner pixel lies outside every path: it keeps the clearing colour (the
// face colour, from the parent), neither background nor border.
void TestAComponents::panel_roundedCorners()
{
    QFETCH(QPoint, corner);
    QFETCH(QPoint, inside);

    const QColor face(10, 200, 30);
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, face);
    parent.setPalette(palette);
    TAPanel panel(&parent);
    setToolBarColours(panel);
    panel.setRound(12);
    const QImage image = panel.rendered();
    QCOMPARE(image.pixelColor(corner), face);
    QVERIFY(image.pixelColor(inside) != face);
    // The straight parts of the border stay on the edge.
    QCOMPARE(image.pixelColor(corner.x(), 34), Silver);
    QCOMPARE(image.pixelColor(437, corner.y()), Silver);

    panel.setRound(0);
    QCOMPARE(panel.rendered().pixelColor(corner), Silver);
}

// What the panel shows on screen is its off-screen image.
void TestAComponents::panel_showsItsImage()
{
    TAPanel panel;
    setToolBarColours(panel);
    panel.setRound(9);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    const QImage shown = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown, panel.rendered().convertToFormat(QImage::Format_RGB32));
}

// The tool bar as the main window has it: the panel shows around the buttons' pictures.
// With MIRVANE_CONTROLS_LOOK naming a folder, its pictures are written there to look at.
void TestAComponents::toolBar_panelShowsAroundThePictures()
{
    ToolBar bar;
    TAPanel plain;
    setToolBarColours(plain);
    const QImage alone = plain.rendered().convertToFormat(QImage::Format_RGB32);
    const QImage shot = bar.panel.grab().toImage().convertToFormat(QImage::Format_RGB32);

    QVERIFY(bar.buttons[0]->isGlowing());
    QCOMPARE(shot.pixelColor(8 + 32, 3 + 5), QColor(Qt::white)); // its fifth glow frame
    for (const TAButton *button : std::as_const(bar.buttons)) {
        // Between the button's edge and its frame, and in a keyed background (or the
        // transparent part of a drawing).
        for (const QPoint at : { QPoint(2, 32), QPoint(16, 50), QPoint(61, 20) }) {
            if (button->isGlowing() && (at.x() < 10 || at.x() > 53))
                continue; // under the glow frames
            const QPoint where = button->pos() + at;
            QVERIFY2(shot.pixelColor(where) == alone.pixelColor(where),
                     qPrintable(QStringLiteral("at %1, %2").arg(where.x()).arg(where.y())));
        }
    }
    const QColor faded = blended(Subject, bar.panel.palette().color(QPalette::Window), TAButton::FadedOpacity);
    COMPARE_COLOUR(shot.pixelColor(bar.buttons[1]->pos() + QPoint(40, 20)), faded);

    const QString folder = qEnvironmentVariable("MIRVANE_CONTROLS_LOOK");
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(shot.save(dir.filePath(QStringLiteral("toolbar.png"))));
    QVERIFY(alone.save(dir.filePath(QStringLiteral("panel.png"))));
    QVERIFY(shot.copy(0, 0, 420, 68).scaled(420 * 3, 68 * 3).save(dir.filePath(QStringLiteral("toolbar-left-x3.png"))));
    bar.panel.setRound(12);
    QVERIFY(bar.panel.grab().save(dir.filePath(QStringLiteral("toolbar-round12.png"))));
}

QTEST_MAIN(TestAComponents)
#include "tst_acomponents.moc"
