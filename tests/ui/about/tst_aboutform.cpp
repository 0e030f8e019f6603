#include <ui/about/aboutform.h>
#include <ui/about/svgimage.h>
#include <ui/font/programfont.h>

#include <QFile>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

// Outside any namespace: the macro declares the resource library's function where it stands.
static void initResources()
{
#ifdef MIRVANE_HAVE_RESOURCES
    Q_INIT_RESOURCE(resources);
#endif
}

namespace {

SvgImage *imageOf(const TAboutForm &form)
{
    return form.findChild<SvgImage *>(u"Image"_s);
}

} // namespace

class tst_AboutForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installProgramFont();
        initResources();
    }

    void frame_captionSizeNoButtonsModal();
    void frame_centredOverItsParent();
    void image_fillsTheClientArea();
    void labels_placeTextFontAndColour_data();
    void labels_placeTextFontAndColour();
    void mouseUp_overThePicture_closes_data();
    void mouseUp_overThePicture_closes();
    // Fails until the about picture is among the program's resources.
    void picture_isDrawnFromTheResource();
};

void tst_AboutForm::frame_captionSizeNoButtonsModal()
{
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), u"Mirvane программа для чтения, записи настроек прибора"_s);
    QCOMPARE(form.size(), QSize(344, 322));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.isModal());

    const Qt::WindowFlags flags = form.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint)); // only the hints below, not the defaults
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    for (const Qt::WindowType button : { Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                         Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                         Qt::WindowContextHelpButtonHint })
        QVERIFY2(!flags.testFlag(button), qPrintable(QString::number(button, 16)));
}

void tst_AboutForm::frame_centredOverItsParent()
{
    QWidget mainWindow;
    mainWindow.setFixedSize(874, 672);
    mainWindow.move(60, 40);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    TAboutForm form(&mainWindow);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Qt allows for a frame it cannot measure yet (at most 10 wide, 40 high).
    const QPoint offset = form.frameGeometry().center() - mainWindow.frameGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 10 && qAbs(offset.y()) <= 40,
             qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));
}

void tst_AboutForm::image_fillsTheClientArea()
{
    const TAboutForm form;
    const SvgImage *image = imageOf(form);
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(0, 0, 344, 322));
    QVERIFY(!image->accessibleName().isEmpty());
}

void tst_AboutForm::labels_placeTextFontAndColour_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label1") << u"Label1"_s << u"\"Ворсен-Адрес\""_s << QRect(104, 69, 144, 24) << 21 << true;
    QTest::newRow("Label3") << u"Label3"_s << u"Версия 1.0.00"_s << QRect(199, 284, 73, 15) << 13 << false;
}

void tst_AboutForm::labels_placeTextFontAndColour()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto *label = form.findChild<QLabel *>(name);
    QVERIFY(label);
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), text);
    QCOMPARE(label->font().family(), u"Times New Roman"_s);
    QCOMPARE(label->font().pixelSize(), pixelSize);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->palette().color(label->foregroundRole()), QColor(128, 0, 0));
    QVERIFY(!label->autoFillBackground()); // the picture shows around the letters

    // The place is the one given; only a wider stand-in for Times New Roman makes it grow.
    QCOMPARE(label->pos(), geometry.topLeft());
    QVERIFY(label->width() >= geometry.width() && label->height() >= geometry.height());
    QVERIFY(label->width() >= label->sizeHint().width() && label->height() >= label->sizeHint().height());
    QVERIFY(form.rect().contains(label->geometry()));
    if (label->sizeHint().width() <= geometry.width())
        QCOMPARE(label->size(), geometry.size());
}

void tst_AboutForm::mouseUp_overThePicture_closes_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("pressedAt");
    QTest::addColumn<QPoint>("releasedAt");
    QTest::addColumn<bool>("closes");
    const QPoint picture(40, 160);
    const QPoint product(150, 80); // on Label1's letters, which lie on the picture
    const QPoint version(220, 290);
    QTest::newRow("left") << Qt::LeftButton << picture << picture << true;
    QTest::newRow("right") << Qt::RightButton << picture << picture << true;
    QTest::newRow("middle") << Qt::MiddleButton << picture << picture << true;
    QTest::newRow("left on the product name") << Qt::LeftButton << product << product << true;
    QTest::newRow("right on the version") << Qt::RightButton << version << version << true;
    QTest::newRow("moved within the picture") << Qt::LeftButton << picture << product << true;
    QTest::newRow("dragged off before the release") << Qt::LeftButton << picture << QPoint(-20, 160) << false;
}

void tst_AboutForm::mouseUp_overThePicture_closes()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, pressedAt);
    QFETCH(QPoint, releasedAt);
    QFETCH(bool, closes);
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWindow *window = form.windowHandle();

    QTest::mousePress(window, button, {}, pressedAt);
    QVERIFY(form.isVisible()); // the press alone does nothing
    QTest::mouseRelease(window, button, {}, releasedAt);
    QCOMPARE(!form.isVisible(), closes);
    if (closes)
        QCOMPARE(form.result(), int(QDialog::Rejected));
}

void tst_AboutForm::picture_isDrawnFromTheResource()
{
    QVERIFY2(QFile::exists(QString::fromLatin1(TAboutForm::PictureFile)),
             "the about picture is not among the program's resources yet");
    TAboutForm form;
    QVERIFY(imageOf(form)->hasPicture());
    const QImage drawn = imageOf(form)->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < drawn.height(); y += 7)
        for (int x = 0; x < drawn.width(); x += 7)
            colours.insert(drawn.pixel(x, y));
    QVERIFY2(colours.size() > 8, "the picture is stretched over the whole box");
}

QTEST_MAIN(tst_AboutForm)
#include "tst_aboutform.moc"
