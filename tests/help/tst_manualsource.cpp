#include <help/helptopics.h>
#include <help/manualcheck.h>
#include <help/manualsource.h>

#include <QHash>
#include <QTest>

// The manual as written in docs/manual.
class TestManualSource : public QObject
{
    Q_OBJECT

private slots:
    void everyChapterIsRead();
    void everyLinkAndPictureResolves();
    void everyPictureTakenIsShown();
    void everyTopicHasItsSection_data();
    void everyTopicHasItsSection();
    void everyTopicShowsItsWindow_data() { everyTopicHasItsSection_data(); }
    void everyTopicShowsItsWindow();

private:
    const ManualSource m_source { QStringLiteral(MIRVANE_MANUAL_SOURCE) };
};

void TestManualSource::everyChapterIsRead()
{
    QCOMPARE(m_source.problems(), QStringList());
    QCOMPARE(m_source.chapters().size(), ManualSource::chapterFiles().size());
    QVERIFY(!m_source.pictures().isEmpty());
}

void TestManualSource::everyLinkAndPictureResolves()
{
    QCOMPARE(ManualCheck(m_source.chapters(), m_source.pictures()).problems(), QStringList());
}

// The pictures are taken for the manual; one no chapter shows has been forgotten by it.
void TestManualSource::everyPictureTakenIsShown()
{
    QCOMPARE(ManualCheck(m_source.chapters(), m_source.pictures()).unusedPictures(), QStringList());
}

// Each section F1 opens, with the picture of its window or page.
void TestManualSource::everyTopicHasItsSection_data()
{
    static const QHash<QString, QString> pictures = {
        { QStringLiteral("zones"), QStringLiteral("page-0.png") },
        { QStringLiteral("modules"), QStringLiteral("page-1.png") },
        { QStringLiteral("outputs"), QStringLiteral("page-2.png") },
        { QStringLiteral("inputs"), QStringLiteral("page-3.png") },
        { QStringLiteral("system"), QStringLiteral("page-4.png") },
        { QStringLiteral("communicator"), QStringLiteral("page-5.png") },
        { QStringLiteral("port"), QStringLiteral("setup.png") },
        { QStringLiteral("zone-devices"), QStringLiteral("zone.png") },
        { QStringLiteral("zone-outputs"), QStringLiteral("return.png") },
        { QStringLiteral("new-devices"), QStringLiteral("newsensor.png") },
        { QStringLiteral("progress"), QStringLiteral("progress.png") },
        { QStringLiteral("backups"), QStringLiteral("backups.png") },
        { QStringLiteral("compare"), QStringLiteral("comparison.png") },
        { QStringLiteral("about"), QStringLiteral("about.png") },
        { QStringLiteral("find"), QStringLiteral("find.png") },
        { QStringLiteral("messages"), QStringLiteral("message.png") },
    };
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("picture");
    for (const HelpTopic &topic : HelpTopics::all()) {
        const QString name = topic.window + (topic.page.isEmpty() ? QString() : QLatin1Char('/') + topic.page);
        QTest::newRow(qPrintable(name)) << topic.section << pictures.value(topic.section);
    }
}

void TestManualSource::everyTopicHasItsSection()
{
    QFETCH(QString, section);
    int found = 0;
    for (const ManualChapter &chapter : m_source.chapters()) {
        for (const ManualSection &heading : chapter.sections())
            found += heading.id == section ? 1 : 0;
    }
    QCOMPARE(found, 1);
}

void TestManualSource::everyTopicShowsItsWindow()
{
    QFETCH(QString, section);
    QFETCH(QString, picture);
    QVERIFY2(!picture.isEmpty(), "a section F1 opens without the picture of its window");
    QVERIFY(m_source.pictures().contains(QStringLiteral("pictures/") + picture));
    QStringList shown;
    for (const ManualChapter &chapter : m_source.chapters())
        shown += chapter.picturesUnder(section);
    QVERIFY2(shown.contains(QStringLiteral("pictures/") + picture),
             qPrintable(QStringLiteral("#%1 does not show pictures/%2").arg(section, picture)));
}

QTEST_GUILESS_MAIN(TestManualSource)
#include "tst_manualsource.moc"
