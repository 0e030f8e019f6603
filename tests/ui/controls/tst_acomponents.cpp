#include <ui/controls/abutton.h>
#include <ui/controls/apanel.h>
#include <ui/font/programfont.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

const QColor Cream(255, 251, 240);
const QColor Picture(200, 0, 0); // the picture's subject
const QColor PictureBackground(0, 160, 0); // its plain background, keyed out

// A 48 x 48 picture: a plain background with a 20 x 20 subject in the middle.
QImage picture()
{
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(PictureBackground);
    for (int y = 14; y < 34; ++y)
        for (int x = 14; x < 34; ++x)
            image.setPixelColor(x, y, Picture);
    return image;
}

// A button on a coloured parent, as on the tool bar.
struct Rig
{
    explicit Rig(const QColor &background = Cream)
    {
        parent.resize(100, 100);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, background);
        parent.setPalette(palette);
        button.move(10, 10);
        button.setImage(picture());
    }
    QImage shot() { return parent.grab(QRect(10, 10, 64, 64)).toImage(); }
    void enter()
    {
        QEnterEvent event(QPointF(32, 32), QPointF(42, 42), QPointF(42, 42));
        QApplication::sendEvent(&button, &event);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&button, &event);
    }

    QWidget parent;
    TAButton button { &parent };
};

int blended(int over, int under, int opacity)
{
    return (over * opacity + under * (255 - opacity)) / 255;
}

bool near(const QColor &actual, const QColor &expected, int tolerance = 3)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
            && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestAComponents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void button_pictureCentredAndKeyed_data();
    void button_pictureCentredAndKeyed();
    void button_framesFollowTheMouse();
    void button_disabledOrEmpty_showsOnlyItsFrame();
    void button_clickOnRelease();
    void panel_neverSmallerThanTen();
    void panel_layers();
};

void TestAComponents::button_pictureCentredAndKeyed_data()
{
    QTest::addColumn<bool>("glowing");
    QTest::addColumn<int>("opacity");

    QTest::newRow("faded while the mouse is elsewhere") << false << 125;
    QTest::newRow("full strength under the mouse") << true << 255;
}

void TestAComponents::button_pictureCentredAndKeyed()
{
    QFETCH(bool, glowing);
    QFETCH(int, opacity);

    Rig rig;
    if (glowing)
        rig.enter();
    QCOMPARE(rig.button.isGlowing(), glowing);
    const QImage shot = rig.shot();
    const QColor face = rig.button.palette().color(QPalette::Window);
    // The picture lies at (8, 8): its subject from (22, 22) to (41, 41).
    const QColor subject(blended(Picture.red(), face.red(), opacity), blended(Picture.green(), face.green(), opacity),
                         blended(Picture.blue(), face.blue(), opacity));
    QVERIFY2(near(shot.pixelColor(22, 22), subject), qPrintable(shot.pixelColor(22, 22).name()));
    QVERIFY(near(shot.pixelColor(41, 41), subject));
    QVERIFY(!near(shot.pixelColor(21, 21), subject));
    // The background left out: the parent shows through the picture's square.
    QVERIFY2(near(shot.pixelColor(12, 30), Cream), qPrintable(shot.pixelColor(12, 30).name()));
    QVERIFY(near(shot.pixelColor(30, 52), Cream));
}

void TestAComponents::button_framesFollowTheMouse()
{
    const QColor navy(0, 0, 128); // dark, so the frames' alphas tell apart
    Rig rig(navy);
    rig.button.setImage(QImage());
    const auto isWhite = [](const QColor &c) { return c.red() > 250 && c.green() > 250 && c.blue() > 250; };

    QImage shot = rig.shot();
    QVERIFY(!isWhite(shot.pixelColor(32, 1))); // no glow frame
    QVERIFY(!isWhite(shot.pixelColor(32, 5))); // the thin frame is not fully opaque
    QVERIFY(shot.pixelColor(32, 5) != navy);
    QCOMPARE(rig.button.cursor().shape(), Qt::ArrowCursor);

    rig.enter();
    shot = rig.shot();
    QVERIFY(isWhite(shot.pixelColor(32, 5))); // the fifth glow frame, opaque
    QVERIFY(shot.pixelColor(32, 1) != navy); // the first, faint
    QVERIFY(!isWhite(shot.pixelColor(32, 3)));
    QCOMPARE(rig.button.cursor().shape(), Qt::PointingHandCursor);

    rig.leave();
    QVERIFY(!rig.button.isGlowing());
    QCOMPARE(rig.button.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(rig.shot().pixelColor(32, 1), navy);
}

void TestAComponents::button_disabledOrEmpty_showsOnlyItsFrame()
{
    Rig disabled;
    disabled.button.setEnabled(false);
    disabled.enter();
    QImage shot = disabled.shot();
    QCOMPARE(shot.pixelColor(30, 30), Cream);
    QVERIFY(shot.pixelColor(32, 5) != Cream);
    QCOMPARE(shot.pixelColor(32, 1), Cream);

    Rig empty;
    empty.button.setImage(QImage());
    QCOMPARE(empty.shot().pixelColor(30, 30), Cream);
}

void TestAComponents::button_clickOnRelease()
{
    Rig rig;
    rig.parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.parent));
    QSignalSpy clicked(&rig.button, &TAButton::clicked);
    QTest::mousePress(&rig.button, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(clicked.size(), 0);
    QTest::mouseRelease(&rig.button, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(clicked.size(), 1);
    QTest::mouseClick(&rig.button, Qt::RightButton, {}, QPoint(30, 30));
    QCOMPARE(clicked.size(), 1);
}

void TestAComponents::panel_neverSmallerThanTen()
{
    TAPanel panel;
    QCOMPARE(panel.height(), 68);
    panel.resize(5, 5);
    QCOMPARE(panel.size(), QSize(10, 10));
    panel.resize(40, 3);
    QCOMPARE(panel.size(), QSize(40, 10));
}

void TestAComponents::panel_layers()
{
    TAPanel panel;
    panel.resize(874, 68);
    panel.setBackGround(Cream);
    panel.setBorderColor(QColor(192, 192, 192));
    const QImage image = panel.rendered();

    QVERIFY(near(image.pixelColor(0, 30), QColor(192, 192, 192)));
    QVERIFY(near(image.pixelColor(873, 30), QColor(192, 192, 192)));
    // The centre glow: clear at its ends, bluest in the middle (below the gloss).
    const QColor middle = image.pixelColor(437, 40);
    const QColor end = image.pixelColor(220, 40);
    QVERIFY2(middle.red() < end.red() - 60, qPrintable(middle.name() + end.name()));
    QVERIFY(near(end, Cream, 8));
    // The lower band starts again from clear and darkens toward the bottom edge.
    const QColor bandTop = image.pixelColor(100, 47);
    const QColor bandBottom = image.pixelColor(100, 66);
    QVERIFY2(bandBottom.red() < bandTop.red() - 60, qPrintable(bandTop.name() + bandBottom.name()));
    // The gloss at the top is bluer than just below it.
    QVERIFY(image.pixelColor(100, 2).red() < image.pixelColor(100, 40).red());

    panel.setRound(12);
    QCOMPARE(panel.rendered().pixelColor(0, 0), panel.palette().color(QPalette::Window)); // outside the corner
}

QTEST_MAIN(TestAComponents)
#include "tst_acomponents.moc"
