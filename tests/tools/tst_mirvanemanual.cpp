#include <help/manualsource.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode;
    QString errors;
};

Run build(const QString &source, const QString &out)
{
    QProcess tool;
    tool.start(QStringLiteral(MIRVANE_MANUAL), { source, out });
    if (!tool.waitForFinished(60000))
        return { -1, tool.errorString() };
    return { tool.exitCode(), QString::fromUtf8(tool.readAllStandardError()) };
}

void write(const QDir &dir, const QString &name, const QString &text)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// Every chapter, each a heading of its own, and `first` as the first chapter's text.
void writeChapters(const QDir &dir, const QString &first)
{
    const QStringList files = ManualSource::chapterFiles();
    write(dir, files.first(), first);
    for (qsizetype i = 1; i < files.size(); ++i)
        write(dir, files.at(i), QStringLiteral("<h1 id=\"chapter-%1\">Глава %1</h1>\n").arg(i + 1));
}

void writePicture(const QDir &dir, const QString &name, int width)
{
    QVERIFY(dir.mkpath(QStringLiteral("pictures")));
    QImage picture(width, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(dir.filePath(QStringLiteral("pictures/") + name)));
}

} // namespace

// mirvane-manual, as the build runs it.
class TestMirvaneManual : public QObject
{
    Q_OBJECT

private slots:
    void brokenManualIsNotBuiltAndEveryProblemNamed();
    void manualIsBuiltWithItsPicturesAndPdf();
};

void TestMirvaneManual::brokenManualIsNotBuiltAndEveryProblemNamed()
{
    QTemporaryDir source;
    QTemporaryDir out;
    const QDir dir(source.path());
    writeChapters(dir, QStringLiteral("<h1 id=\"start\">Начало</h1>\n<p><a href=\"#nowhere\">туда</a></p>\n"
                                      "<h2 id=\"chapter-2\">Занятый id</h2><img src=\"pictures/lost.png\" alt=\"\">"));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("cli.html"))));
    writePicture(dir, QStringLiteral("spare.png"), 10);

    const Run run = build(source.path(), out.path());
    QCOMPARE(run.exitCode, 1);
    for (const QString &problem : { QStringLiteral("cli.html"),
                                    QStringLiteral("start.html: link to #nowhere, which no heading has"),
                                    QStringLiteral("id \"chapter-2\" is already taken by start.html"),
                                    QStringLiteral("start.html: picture pictures/lost.png does not exist") })
        QVERIFY2(run.errors.contains(problem), qPrintable(run.errors));
    QVERIFY(!QFile::exists(QDir(out.path()).filePath(QStringLiteral("manual.html"))));
    QVERIFY(!QFile::exists(QDir(out.path()).filePath(QStringLiteral("manual.pdf"))));
}

void TestMirvaneManual::manualIsBuiltWithItsPicturesAndPdf()
{
    QTemporaryDir source;
    QTemporaryDir out;
    const QDir dir(source.path());
    writeChapters(dir, QStringLiteral("<h1 id=\"start\">Начало работы</h1>\n<h2 id=\"port\">Настройка порта</h2>\n"
                                      "<p>Выберите порт.</p><p><img src=\"pictures/wide.png\" alt=\"окно\"></p>"));
    writePicture(dir, QStringLiteral("wide.png"), 3000); // wider than the page
    writePicture(dir, QStringLiteral("spare.png"), 10);
    const QDir built(out.path());
    QVERIFY(built.mkpath(QStringLiteral("pictures")));
    write(built, QStringLiteral("pictures/stale.png"), QStringLiteral("left from before"));

    const Run run = build(source.path(), out.path());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errors.contains(QStringLiteral("warning: pictures/spare.png is shown by no chapter")), qPrintable(run.errors));

    QFile html(built.filePath(QStringLiteral("manual.html")));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(html.readAll());
    QVERIFY(page.contains(QStringLiteral("<a href=\"#port\">Настройка порта</a>")));
    QVERIFY(page.contains(QStringLiteral("<img src=\"pictures/wide.png\"")));
    QCOMPARE(QDir(built.filePath(QStringLiteral("pictures"))).entryList(QDir::Files),
             (QStringList { QStringLiteral("spare.png"), QStringLiteral("wide.png") }));

    const QString pdf = built.filePath(QStringLiteral("manual.pdf"));
    QVERIFY(QFileInfo(pdf).size() > 0);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("needs pdftotext (poppler-utils) to read the PDF");
    QProcess reader;
    reader.start(pdftotext, { pdf, QStringLiteral("-") });
    QVERIFY(reader.waitForFinished(60000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("Настройка порта")) && text.contains(QStringLiteral("Глава 7")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Страница 1 из")));

    // The wide picture is narrowed to the page: more of its pixels to the inch than A4 is wide.
    const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
    if (pdfimages.isEmpty())
        QSKIP("needs pdfimages (poppler-utils) to measure the picture");
    QProcess lister;
    lister.start(pdfimages, { QStringLiteral("-list"), pdf });
    QVERIFY(lister.waitForFinished(60000));
    const QStringList rows = QString::fromUtf8(lister.readAllStandardOutput()).split(QLatin1Char('\n'));
    bool found = false;
    for (const QString &row : rows) {
        const QStringList columns = row.simplified().split(QLatin1Char(' '));
        if (columns.size() > 12 && columns.at(3) == QLatin1String("3000")) {
            found = true;
            QVERIFY2(columns.at(12).toDouble() >= 3000 / (210 / 25.4), qPrintable(row));
        }
    }
    QVERIFY(found);
}

QTEST_GUILESS_MAIN(TestMirvaneManual)
#include "tst_mirvanemanual.moc"
