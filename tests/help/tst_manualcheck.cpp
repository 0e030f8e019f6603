#include <help/manualcheck.h>
#include <help/manualdocument.h>

#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

using Chapters = QList<ManualChapter>;

Chapters chapters(const QStringList &fragments)
{
    Chapters read;
    for (qsizetype i = 0; i < fragments.size(); ++i)
        read.append(ManualChapter(QStringLiteral("c%1.html").arg(i + 1), fragments.at(i)));
    return read;
}

// The anchor names a rich-text browser can scroll to.
QStringList anchorNames(const QTextDocument &document)
{
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            names += it.fragment().charFormat().anchorNames();
    }
    return names;
}

} // namespace

// The manual's source read, checked and made into one page, on small fixtures.
class TestManualCheck : public QObject
{
    Q_OBJECT

private slots:
    void chapterIsReadIntoSections();
    void picturesUnderSectionAndItsSubsections_data();
    void picturesUnderSectionAndItsSubsections();
    void problemsAreNamed_data();
    void problemsAreNamed();
    void unusedPicturesAreNamed();
    void documentHasContentsAndAnchors();
};

void TestManualCheck::chapterIsReadIntoSections()
{
    const ManualChapter chapter(QStringLiteral("c.html"),
                                QStringLiteral("<H1 id=\"files\">Файлы <code>.tab</code></H1>\n<p>См. <a href=\"#save\">ниже</a>.</p>\n"
                                               "<h2 class=\"x\" id=\"save\">\nСохранение\n</h2><p><img alt=\"a\" src=\"pictures/a.png\">"
                                               "<a href=\"#files\">вверх</a></p><h3>Без id</h3>"));
    const QList<ManualSection> &sections = chapter.sections();
    QCOMPARE(sections.size(), 3);
    QCOMPARE(sections.at(0).level, 1);
    QCOMPARE(sections.at(0).id, QStringLiteral("files"));
    QCOMPARE(sections.at(0).title, QStringLiteral("Файлы .tab"));
    QCOMPARE(sections.at(0).links, QStringList { QStringLiteral("#save") });
    QCOMPARE(sections.at(0).pictures, QStringList());
    QCOMPARE(sections.at(1).id, QStringLiteral("save"));
    QCOMPARE(sections.at(1).title, QStringLiteral("Сохранение"));
    QCOMPARE(sections.at(1).links, QStringList { QStringLiteral("#files") });
    QCOMPARE(sections.at(1).pictures, QStringList { QStringLiteral("pictures/a.png") });
    QCOMPARE(sections.at(2).level, 3);
    QCOMPARE(sections.at(2).id, QString());
    QCOMPARE(sections.at(2).title, QStringLiteral("Без id"));
}

void TestManualCheck::picturesUnderSectionAndItsSubsections_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("pictures");
    QTest::newRow("chapter: everything") << "ch" << QStringList { "pictures/ch.png", "pictures/a.png", "pictures/a1.png", "pictures/b.png" };
    QTest::newRow("section with its subsection") << "a" << QStringList { "pictures/a.png", "pictures/a1.png" };
    QTest::newRow("subsection alone") << "a1" << QStringList { "pictures/a1.png" };
    QTest::newRow("not the next section's") << "b" << QStringList { "pictures/b.png" };
    QTest::newRow("section without pictures") << "c" << QStringList();
    QTest::newRow("no such section") << "z" << QStringList();
}

void TestManualCheck::picturesUnderSectionAndItsSubsections()
{
    QFETCH(QString, id);
    QFETCH(QStringList, pictures);
    const ManualChapter chapter(QStringLiteral("c.html"), QStringLiteral(
            "<h1 id=\"ch\">Глава</h1><img src=\"pictures/ch.png\">"
            "<h2 id=\"a\">А</h2><p><img src=\"pictures/a.png\"></p>"
            "<h3 id=\"a1\">А1</h3><img src=\"pictures/a1.png\">"
            "<h2 id=\"b\">Б</h2><img src=\"pictures/b.png\">"
            "<h2 id=\"c\">В</h2>"));
    QCOMPARE(chapter.picturesUnder(id), pictures);
}

void TestManualCheck::problemsAreNamed_data()
{
    QTest::addColumn<QStringList>("fragments");
    QTest::addColumn<QStringList>("problems");
    const QStringList pictures = { QStringLiteral("pictures/a.png") };

    QTest::newRow("sound") << QStringList { "<h1 id=\"one\">1</h1><a href=\"#two\">2</a><img src=\"pictures/a.png\">",
                                            "<h1 id=\"two\">2</h1><h2 id=\"two-a\">2а</h2><a href=\"#one\">1</a><a href=\"#contents\">к</a>" }
                           << QStringList();
    QTest::newRow("link to no heading") << QStringList { "<h1 id=\"one\">1</h1><p><a href=\"#tow\">2</a></p>" }
                                        << QStringList { "c1.html: link to #tow, which no heading has" };
    QTest::newRow("link out of the manual")
            << QStringList { "<h1 id=\"one\">1</h1><a href=\"https://example.org/\">x</a><a href=\"start.html#one\">y</a>" }
            << QStringList { "c1.html: link to \"https://example.org/\" leads out of the manual",
                             "c1.html: link to \"start.html#one\" leads out of the manual" };
    QTest::newRow("id in two chapters")
            << QStringList { "<h1 id=\"one\">1</h1><h2 id=\"same\">а</h2>", "<h1 id=\"two\">2</h1><h3 id=\"same\">б</h3>" }
            << QStringList { "c2.html: id \"same\" is already taken by c1.html" };
    QTest::newRow("the contents' id") << QStringList { "<h1 id=\"contents\">Содержание</h1>" }
                                      << QStringList { "c1.html: id \"contents\" is already taken by the table of contents" };
    QTest::newRow("heading without id") << QStringList { "<h1 id=\"one\">1</h1><h2>Раздел <b>без</b> id</h2>" }
                                        << QStringList { "c1.html: heading \"Раздел без id\" has no id" };
    QTest::newRow("id not in its form")
            << QStringList { "<h1 id=\"One\">1</h1><h2 id=\"зоны\">з</h2><h2 id=\"a_b\">а</h2>" }
            << QStringList { "c1.html: id \"One\" is not lower-case Latin letters, digits and hyphens",
                             "c1.html: id \"зоны\" is not lower-case Latin letters, digits and hyphens",
                             "c1.html: id \"a_b\" is not lower-case Latin letters, digits and hyphens" };
    QTest::newRow("missing picture") << QStringList { "<h1 id=\"one\">1</h1><img src=\"pictures/b.png\" alt=\"б\">" }
                                     << QStringList { "c1.html: picture pictures/b.png does not exist" };
    QTest::newRow("picture elsewhere")
            << QStringList { "<h1 id=\"one\">1</h1><img src=\"a.png\"><img src=\"/tmp/a.png\"><img src=\"pictures/a.jpg\">" }
            << QStringList { "c1.html: picture \"a.png\" is not a pictures/NAME.png",
                             "c1.html: picture \"/tmp/a.png\" is not a pictures/NAME.png",
                             "c1.html: picture \"pictures/a.jpg\" is not a pictures/NAME.png" };
    QTest::newRow("two chapter headings") << QStringList { "<h1 id=\"one\">1</h1><h1 id=\"two\">2</h1>" }
                                          << QStringList { "c1.html: 2 chapter headings (h1), where one is wanted" };
    QTest::newRow("no chapter heading") << QStringList { "<h2 id=\"one\">1</h2>" }
                                        << QStringList { "c1.html: 0 chapter headings (h1), where one is wanted" };
}

void TestManualCheck::problemsAreNamed()
{
    QFETCH(QStringList, fragments);
    QFETCH(QStringList, problems);
    QCOMPARE(ManualCheck(chapters(fragments), { QStringLiteral("pictures/a.png") }).problems(), problems);
}

void TestManualCheck::unusedPicturesAreNamed()
{
    const ManualCheck check(chapters({ QStringLiteral("<h1 id=\"one\">1</h1><img src=\"pictures/b.png\">"),
                                       QStringLiteral("<h1 id=\"two\">2</h1><img src=\"pictures/b.png\">") }),
                            { QStringLiteral("pictures/a.png"), QStringLiteral("pictures/b.png"), QStringLiteral("pictures/c.png") });
    QCOMPARE(check.problems(), QStringList());
    QCOMPARE(check.unusedPictures(), (QStringList { QStringLiteral("pictures/a.png"), QStringLiteral("pictures/c.png") }));
}

// As the help window shows it: the title, the contents of chapters and sections, and each
// heading an anchor Qt's rich text scrolls to.
void TestManualCheck::documentHasContentsAndAnchors()
{
    const Chapters read = chapters({ QStringLiteral("<h1 id=\"one\">Первая</h1><p>Текст</p><h2 id=\"one-a\">Раздел 1а</h2>"
                                                    "<h3 id=\"one-a-x\">Подраздел</h3><p><a href=\"#two-a\">дальше</a></p>"),
                                     QStringLiteral("<h1 id=\"two\">Вторая</h1><h2 id=\"two-a\">Раздел 2а</h2><h2 id=\"two-b\">Раздел 2б</h2>") });
    const QString html = ManualDocument::html(read);
    QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));

    QTextDocument document;
    document.setHtml(html);
    QCOMPARE(document.metaInformation(QTextDocument::DocumentTitle), QStringLiteral("Mirvane — руководство пользователя"));
    // Nothing of the head shows as text.
    QVERIFY(document.toPlainText().startsWith(ManualDocument::title()));
    QVERIFY(!document.toPlainText().contains(QStringLiteral("font-family")));
    const QStringList anchors = anchorNames(document);
    const QStringList ids = { "contents", "one", "one-a", "one-a-x", "two", "two-a", "two-b" };
    for (const QString &id : ids)
        QVERIFY2(anchors.contains(id), qPrintable(id));

    // The contents link the chapters and their sections, in order, and no subsection.
    const qsizetype firstChapter = html.indexOf(QStringLiteral("<h1 id=\"one\""));
    QVERIFY(firstChapter > 0);
    QStringList listed;
    static const QRegularExpression link(QStringLiteral("<a href=\"#([^\"]+)\">([^<]*)</a>"));
    for (const QRegularExpressionMatch &match : link.globalMatch(html.left(firstChapter)))
        listed.append(match.captured(1) + QLatin1Char(' ') + match.captured(2));
    QCOMPARE(listed, (QStringList { "one Первая", "one-a Раздел 1а", "two Вторая", "two-a Раздел 2а", "two-b Раздел 2б" }));
    QVERIFY(html.indexOf(QStringLiteral("id=\"contents\"")) < html.indexOf(QStringLiteral("href=\"#one\"")));
}

QTEST_MAIN(TestManualCheck)
#include "tst_manualcheck.moc"
