#include <messages/messages.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Where a placeholder or an <i>…</i> stands, once both sides are brought to one form.
constexpr QChar Placeholder = u'\uFFFC';

// A catalogue text as the manual writes it: placeholders marked, line breaks as spaces.
QString comparable(QStringView text)
{
    QString shown = text.toString();
    shown.replace(QRegularExpression(u"%\\d+"_s), Placeholder);
    return shown.simplified();
}

// A first cell of the manual's table in the same form.
QString comparableCell(QString cell)
{
    cell.replace(QRegularExpression(u"<i>.*?</i>"_s, QRegularExpression::DotMatchesEverythingOption), Placeholder);
    cell.replace(QRegularExpression(u"<br\\s*/?>"_s), u" "_s);
    cell.remove(QRegularExpression(u"<[^>]*>"_s));
    cell.replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s).replace(u"&quot;"_s, u"\""_s).replace(u"&nbsp;"_s, u" "_s);
    cell.replace(u"&amp;"_s, u"&"_s);
    return cell.simplified();
}

// The first cells of every row of every message table, header rows left out.
QStringList manualMessages()
{
    QFile file(QStringLiteral(MIRVANE_SOURCE_DIR "/docs/manual/messages.html"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(file.readAll());
    const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
    const QRegularExpression table(u"<table class=\"messages\">(.*?)</table>"_s, dotAll);
    const QRegularExpression row(u"<tr>(.*?)</tr>"_s, dotAll);
    const QRegularExpression firstCell(u"<td>(.*?)</td>"_s, dotAll);
    QStringList cells;
    for (const QRegularExpressionMatch &t : table.globalMatch(html)) {
        for (const QRegularExpressionMatch &r : row.globalMatch(t.captured(1))) {
            const QRegularExpressionMatch cell = firstCell.match(r.captured(1));
            if (cell.hasMatch())
                cells << comparableCell(cell.captured(1));
        }
    }
    return cells;
}

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT

private slots:
    void catalogueIsWellFormed();
    void everyMessageIsInTheManual_data();
    void everyMessageIsInTheManual();
    void everyRowOfTheManualIsAMessage();
};

// Ids in order is checked where the catalogue is compiled.
void TestMessages::catalogueIsWellFormed()
{
    QSet<QStringView> seen;
    const QRegularExpression placeholder(u"%(\\d+)"_s);
    for (const Messages::Entry &entry : Messages::Catalogue) {
        const QString text = entry.text.toString();
        QVERIFY2(!text.trimmed().isEmpty(), qPrintable(QString::number(int(entry.id))));
        QVERIFY2(!seen.contains(entry.text), qPrintable(text));
        seen.insert(entry.text);
        QSet<int> numbers;
        for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
            numbers.insert(match.captured(1).toInt());
        for (int n = 1; n <= int(numbers.size()); ++n)
            QVERIFY2(numbers.contains(n), qPrintable(text));
        QCOMPARE(message(entry.id), text);
    }
}

void TestMessages::everyMessageIsInTheManual_data()
{
    QTest::addColumn<QString>("text");
    for (const Messages::Entry &entry : Messages::Catalogue)
        QTest::addRow("%d", int(entry.id)) << entry.text.toString();
}

void TestMessages::everyMessageIsInTheManual()
{
    static const QStringList cells = manualMessages();
    QVERIFY2(!cells.isEmpty(), "the manual's table of messages is missing or empty");
    QFETCH(QString, text);
    QVERIFY2(cells.contains(comparable(text)), qPrintable(text));
}

void TestMessages::everyRowOfTheManualIsAMessage()
{
    QSet<QString> known;
    for (const Messages::Entry &entry : Messages::Catalogue)
        known.insert(comparable(entry.text));
    QStringList seen;
    for (const QString &cell : manualMessages()) {
        QVERIFY2(known.contains(cell), qPrintable(u"not a message of the program: "_s + cell));
        QVERIFY2(!seen.contains(cell), qPrintable(u"twice in the table: "_s + cell));
        seen << cell;
    }
}

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
