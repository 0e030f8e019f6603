#include <help/helptopics.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

// The manual as the program carries it in its resources, read as the help window reads it.
class TestManualResource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyLinkAndSectionHasItsAnchor();
    void everyPictureIsCarried();

private:
    QString m_html;
    QTextDocument m_document;
};

void TestManualResource::initTestCase()
{
    QFile file(QUrl(HelpTopics::manualUrl()).path().prepend(QLatin1Char(':')));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    m_html = QString::fromUtf8(file.readAll());
    m_document.setBaseUrl(QUrl(HelpTopics::manualUrl()));
    m_document.setHtml(m_html);
}

void TestManualResource::everyLinkAndSectionHasItsAnchor()
{
    QSet<QString> anchors;
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            for (const QString &name : it.fragment().charFormat().anchorNames())
                anchors.insert(name);
        }
    }
    QStringList wanted = { QStringLiteral("contents") };
    static const QRegularExpression link(QStringLiteral("href=\"#([^\"]*)\""));
    for (const QRegularExpressionMatch &match : link.globalMatch(m_html))
        wanted.append(match.captured(1));
    QVERIFY(wanted.size() > 1);
    for (const HelpTopic &topic : HelpTopics::all())
        wanted.append(topic.section);
    for (const QString &anchor : wanted)
        QVERIFY2(anchors.contains(anchor), qPrintable(anchor));
}

void TestManualResource::everyPictureIsCarried()
{
    QStringList shown;
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
            if (format.isValid())
                shown.append(format.name());
        }
    }
    const QStringList carried = QDir(QStringLiteral(":/manual/pictures")).entryList(QDir::Files);
    QVERIFY(!carried.isEmpty());
    for (const QString &picture : carried)
        QVERIFY2(!QImage(QStringLiteral(":/manual/pictures/") + picture).isNull(), qPrintable(picture));
    for (const QString &picture : shown) {
        const QUrl resolved = m_document.baseUrl().resolved(QUrl(picture));
        QCOMPARE(resolved.scheme(), QStringLiteral("qrc"));
        QVERIFY2(!QImage(QLatin1Char(':') + resolved.path()).isNull(), qPrintable(picture));
    }
}

QTEST_MAIN(TestManualResource)
#include "tst_manualresource.moc"
