#include "unexpectedwarnings.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;

// Outside any namespace: the macro declares the resource library's function where it stands.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

struct Picture
{
    const char *path;
    int size;
};

// Every picture with the size it is drawn for; strokes sit on that pixel grid.
constexpr Picture Pictures[] = {
    { ":/toolbar/open.svg", 48 },
    { ":/toolbar/save.svg", 48 },
    { ":/toolbar/factory.svg", 48 },
    { ":/toolbar/write.svg", 48 },
    { ":/toolbar/read.svg", 48 },
    { ":/toolbar/port.svg", 48 },
    { ":/toolbar/workmode.svg", 48 },
    { ":/about/panel.svg", 450 },
    { ":/icons/title/0.svg", 16 },
    { ":/icons/title/1.svg", 16 },
    { ":/icons/title/2.svg", 16 },
    { ":/icons/module/2.svg", 16 },
    { ":/icons/module/3.svg", 16 },
    { ":/icons/device/1.svg", 16 },
    { ":/icons/device/2.svg", 16 },
    { ":/icons/device/3.svg", 16 },
    { ":/icons/device/4.svg", 16 },
    { ":/icons/device/5.svg", 16 },
    { ":/icons/device/6.svg", 16 },
    { ":/icons/device/7.svg", 16 },
    { ":/icons/device/8.svg", 16 },
    { ":/buttons/detectors.svg", 64 },
    { ":/buttons/modules.svg", 64 },
    { ":/buttons/search.svg", 48 },
    { ":/buttons/arrow-right.svg", 32 },
    { ":/buttons/arrow-left.svg", 32 },
    { ":/buttons/arrow-up.svg", 32 },
    { ":/buttons/arrow-down.svg", 32 },
    { ":/buttons/cross.svg", 32 },
};

const char *const ToolBar[] = {
    ":/toolbar/open.svg", ":/toolbar/save.svg", ":/toolbar/factory.svg", ":/toolbar/write.svg",
    ":/toolbar/read.svg", ":/toolbar/port.svg", ":/toolbar/workmode.svg",
};

// The picture drawn into a transparent canvas of canvasSize with its box at the given offset.
QImage render(const QString &path, const QSize &canvasSize, const QRect &box)
{
    QImage image(canvasSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&image);
    renderer.render(&painter, box);
    return image;
}

QImage render(const QString &path, int size)
{
    return render(path, QSize(size, size), QRect(0, 0, size, size));
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initResources(); }
    void init() { failOnUnexpectedWarnings(); }

    void picture_loadsAndFillsItsBox_data();
    void picture_loadsAndFillsItsBox();
    void picture_drawsNothingOutsideItsBox_data();
    void picture_drawsNothingOutsideItsBox();
    void picture_needsNoFontOrOtherFile_data();
    void picture_needsNoFontOrOtherFile();
    void picture_hasTheColourOfItsSubject_data();
    void picture_hasTheColourOfItsSubject();
    void toolBar_bottomLeftPixelIsEmpty_data();
    void toolBar_bottomLeftPixelIsEmpty();
    void toolBar_keepsItsArtworkOverTheFaceColour_data();
    void toolBar_keepsItsArtworkOverTheFaceColour();
    void device7_isTheSamePictureAsDevice6();
};

namespace {

void addPictureRows()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    for (const Picture &picture : Pictures)
        QTest::newRow(picture.path) << QString::fromLatin1(picture.path) << picture.size;
}

void addToolBarRows()
{
    QTest::addColumn<QString>("path");
    for (const char *path : ToolBar)
        QTest::newRow(path) << QString::fromLatin1(path);
}

} // namespace

void tst_Pictures::picture_loadsAndFillsItsBox_data()
{
    addPictureRows();
}

void tst_Pictures::picture_loadsAndFillsItsBox()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    // Drawn on the grid of the size it is shown at, so it stays crisp there.
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, size, size));

    const QImage image = render(path, size);
    int solid = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            solid += qAlpha(image.pixel(x, y)) >= 128;
    QVERIFY2(solid >= size * size / 5, qPrintable(u"only %1 solid pixels"_s.arg(solid)));
}

void tst_Pictures::picture_drawsNothingOutsideItsBox_data()
{
    addPictureRows();
}

void tst_Pictures::picture_drawsNothingOutsideItsBox()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    const int margin = size / 2;
    const QRect box(margin, margin, size, size);
    const QImage image = render(path, QSize(size + 2 * margin, size + 2 * margin), box);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!box.contains(x, y) && qAlpha(image.pixel(x, y)) != 0)
                QFAIL(qPrintable(u"paints at %1, %2 outside its box"_s.arg(x - margin).arg(y - margin)));
}

void tst_Pictures::picture_needsNoFontOrOtherFile_data()
{
    addPictureRows();
}

void tst_Pictures::picture_needsNoFontOrOtherFile()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    for (const char *needs : { "<text", "<image", "font-family", "href=\"http", "href=\"file" })
        QVERIFY2(!text.contains(needs), needs);
}

void tst_Pictures::picture_hasTheColourOfItsSubject_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QTest::addColumn<char>("channel");
    QTest::newRow("green check") << u":/icons/title/0.svg"_s << 16 << 'g';
    QTest::newRow("blue curved arrow") << u":/icons/title/1.svg"_s << 16 << 'b';
    QTest::newRow("red cross icon") << u":/icons/title/2.svg"_s << 16 << 'r';
    QTest::newRow("red call point") << u":/icons/device/3.svg"_s << 16 << 'r';
    QTest::newRow("green arrow right") << u":/buttons/arrow-right.svg"_s << 32 << 'g';
    QTest::newRow("green arrow left") << u":/buttons/arrow-left.svg"_s << 32 << 'g';
    QTest::newRow("green arrow up") << u":/buttons/arrow-up.svg"_s << 32 << 'g';
    QTest::newRow("green arrow down") << u":/buttons/arrow-down.svg"_s << 32 << 'g';
    QTest::newRow("red cross button") << u":/buttons/cross.svg"_s << 32 << 'r';
}

void tst_Pictures::picture_hasTheColourOfItsSubject()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    QFETCH(char, channel);
    const QImage image = render(path, size);
    qint64 r = 0, g = 0, b = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 255)
                continue;
            r += qRed(pixel);
            g += qGreen(pixel);
            b += qBlue(pixel);
        }
    const qint64 wanted = channel == 'r' ? r : channel == 'g' ? g : b;
    const qint64 others = r + g + b - wanted;
    QVERIFY2(wanted * 2 > others * 1.2, qPrintable(u"r %1 g %2 b %3"_s.arg(r).arg(g).arg(b)));
}

void tst_Pictures::toolBar_bottomLeftPixelIsEmpty_data()
{
    addToolBarRows();
}

void tst_Pictures::toolBar_bottomLeftPixelIsEmpty()
{
    QFETCH(QString, path);
    // The button keys out every pixel of this corner's colour.
    QCOMPARE(qAlpha(render(path, 48).pixel(0, 47)), 0);
}

void tst_Pictures::toolBar_keepsItsArtworkOverTheFaceColour_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QColor>("face");
    QTest::addColumn<int>("opacity");
    for (const char *path : ToolBar)
        for (const QColor &face : { QColor(239, 239, 239), QColor(240, 240, 240) })
            for (int opacity : { 125, 255 })
                QTest::addRow("%s over %d at %d", path, face.red(), opacity) << QString::fromLatin1(path) << face << opacity;
}

void tst_Pictures::toolBar_keepsItsArtworkOverTheFaceColour()
{
    QFETCH(QString, path);
    QFETCH(QColor, face);
    QFETCH(int, opacity);
    // As the button draws it: blended at one opacity over the face colour, then keyed on that colour.
    const QImage picture = render(path, 48);
    QImage working(picture.size(), QImage::Format_RGB32);
    working.fill(face);
    {
        QPainter painter(&working);
        painter.setOpacity(opacity / 255.0);
        painter.drawImage(0, 0, picture);
    }
    const QRgb key = working.pixel(0, 47);
    QCOMPARE(key, face.rgb());
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            if (qAlpha(picture.pixel(x, y)) >= 64 && working.pixel(x, y) == key)
                QFAIL(qPrintable(u"artwork at %1, %2 would be keyed out"_s.arg(x).arg(y)));
}

void tst_Pictures::device7_isTheSamePictureAsDevice6()
{
    const QImage six = render(u":/icons/device/6.svg"_s, 16);
    QCOMPARE(render(u":/icons/device/7.svg"_s, 16), six);
    QVERIFY(six != render(u":/icons/device/5.svg"_s, 16));
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
