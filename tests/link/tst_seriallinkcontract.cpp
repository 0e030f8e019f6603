#include "fakepanellink.h"
#include "unexpectedwarnings.h"

#include <link/frames.h>
#include <link/qtseriallink.h>

#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>

#include <functional>
#include <memory>

#ifdef Q_OS_LINUX
#include "pseudoterminal.h"
#endif

namespace {

// A link and the far end of its line, driven alike whatever stands there. The far end
// echoes what it gets, as the panel echoes the set-address command the suite sends.
class LineUnderTest
{
public:
    virtual ~LineUnderTest() = default;
    virtual SerialLink &link() = 0;
    virtual PortSettings settings() const = 0;
    // The far end goes, as when the cable is pulled.
    virtual void breakLine() = 0;
    // The next write cannot leave.
    virtual void jamWrites() = 0;
};

class FakeLine : public LineUnderTest
{
public:
    SerialLink &link() override { return m_link; }
    PortSettings settings() const override { return {}; }
    void breakLine() override { m_link.pullCable(); }
    void jamWrites() override { m_link.jamNextWrite(); }

private:
    FakePanelLink m_link;
};

#ifdef Q_OS_LINUX
class PseudoTerminalLine : public LineUnderTest
{
public:
    PseudoTerminalLine() : m_echo(m_pty.descriptor(), QSocketNotifier::Read)
    {
        QObject::connect(&m_echo, &QSocketNotifier::activated, [this] { echo(); });
    }

    SerialLink &link() override { return m_link; }
    PortSettings settings() const override
    {
        PortSettings settings;
        settings.port = m_pty.portPath();
        settings.setFlowControl(QStringLiteral("None"));
        return settings;
    }
    void breakLine() override
    {
        m_echo.setEnabled(false);
        m_pty.closeMaster();
    }
    void jamWrites() override
    {
        // Nobody reads the far end any more, so the line fills up and stays full.
        m_echo.setEnabled(false);
        m_link.setWriteTime(100, 0);
    }

private:
    void echo()
    {
        char chunk[4096];
        const ssize_t n = ::read(m_pty.descriptor(), chunk, sizeof chunk);
        if (n > 0)
            QVERIFY(m_pty.write(QByteArray(chunk, n)));
    }

    PseudoTerminal m_pty;
    QSocketNotifier m_echo;
    QtSerialLink m_link;
};
#endif

using LineFactory = std::function<std::unique_ptr<LineUnderTest>()>;

// Larger than any line holds, so that a jammed line keeps some of it back.
const QByteArray MoreThanTheLineHolds(1 << 20, '\x55');

QByteArray joined(const QSignalSpy &received)
{
    QByteArray bytes;
    for (const QList<QVariant> &batch : received) {
        const QByteArray part = batch.first().toByteArray();
        if (part.isEmpty())
            return QByteArray("<empty batch>");
        bytes += part;
    }
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(LineFactory)

// What the transfers and the search rely on, from the in-process fake and from the
// QSerialPort link alike.
class TestSerialLinkContract : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void write_whenClosed_failsAndSaysWhy_data() { addLines(); }
    void write_whenClosed_failsAndSaysWhy();
    void write_returnsAtOnce_thenWrittenAndRepliesInOrder_data() { addLines(); }
    void write_returnsAtOnce_thenWrittenAndRepliesInOrder();
    void close_dropsWhatWasUnderWay_data() { addLines(); }
    void close_dropsWhatWasUnderWay();
    void lineFailure_closesAndIsReportedOnce_data() { addLines(); }
    void lineFailure_closesAndIsReportedOnce();
    void jammedWrite_isReportedOnce_lineStaysOpen_data() { addLines(); }
    void jammedWrite_isReportedOnce_lineStaysOpen();

private:
    static void addLines();
    void openLine();

    std::unique_ptr<LineUnderTest> m_line;
    std::unique_ptr<QSignalSpy> m_received;
    std::unique_ptr<QSignalSpy> m_written;
    std::unique_ptr<QSignalSpy> m_writeFailed;
    std::unique_ptr<QSignalSpy> m_failed;
};

void TestSerialLinkContract::addLines()
{
    QTest::addColumn<LineFactory>("line");
    QTest::newRow("in-process fake") << LineFactory([] { return std::make_unique<FakeLine>(); });
#ifdef Q_OS_LINUX
    QTest::newRow("QSerialPort on a pseudo-terminal")
            << LineFactory([] { return std::make_unique<PseudoTerminalLine>(); });
#endif
}

void TestSerialLinkContract::init()
{
    failOnUnexpectedWarnings();
    QFETCH(LineFactory, line);
    m_line = line();
    SerialLink &link = m_line->link();
    m_received = std::make_unique<QSignalSpy>(&link, &SerialLink::received);
    m_written = std::make_unique<QSignalSpy>(&link, &SerialLink::written);
    m_writeFailed = std::make_unique<QSignalSpy>(&link, &SerialLink::writeFailed);
    m_failed = std::make_unique<QSignalSpy>(&link, &SerialLink::failed);
}

void TestSerialLinkContract::openLine()
{
    QString error;
    QVERIFY2(m_line->link().open(m_line->settings(), &error), qPrintable(error));
    QVERIFY(m_line->link().isOpen());
}

void TestSerialLinkContract::write_whenClosed_failsAndSaysWhy()
{
    SerialLink &link = m_line->link();
    QVERIFY(!link.isOpen());
    QString error;
    QVERIFY(!link.write(Frames::SetAddress(1), &error));
    QVERIFY(!error.isEmpty());

    openLine();
    link.close();
    link.close(); // twice is harmless
    QVERIFY(!link.isOpen());
    error.clear();
    QVERIFY(!link.write(Frames::SetAddress(2), &error));
    QVERIFY(!error.isEmpty());

    QTest::qWait(50);
    QCOMPARE(m_received->size() + m_written->size() + m_writeFailed->size() + m_failed->size(), 0);
}

void TestSerialLinkContract::write_returnsAtOnce_thenWrittenAndRepliesInOrder()
{
    openLine();
    SerialLink &link = m_line->link();
    const QByteArray first = Frames::SetAddress(0x00300000);
    QString error;
    QVERIFY2(link.write(first, &error), qPrintable(error));
    // Nothing is reported from inside the call: a reply handler is never re-entered.
    QCOMPARE(m_written->size(), 0);
    QCOMPARE(m_received->size(), 0);
    QTRY_COMPARE(joined(*m_received), first);
    QCOMPARE(m_written->size(), 1);

    const QByteArray second = Frames::SetAddress(0x00300080);
    const QByteArray third = Frames::SetAddress(0x00300100);
    QVERIFY2(link.write(second, &error), qPrintable(error));
    QVERIFY2(link.write(third, &error), qPrintable(error));
    QTRY_COMPARE(joined(*m_received), first + second + third);
    QVERIFY(m_written->size() >= 2);
    QCOMPARE(m_writeFailed->size() + m_failed->size(), 0);
    QVERIFY(link.isOpen());
}

void TestSerialLinkContract::close_dropsWhatWasUnderWay()
{
    openLine();
    SerialLink &link = m_line->link();
    QString error;
    QVERIFY2(link.write(Frames::SetAddress(1), &error), qPrintable(error));
    link.close();
    QTest::qWait(100);
    QCOMPARE(m_received->size() + m_written->size() + m_writeFailed->size() + m_failed->size(), 0);

    openLine();
    const QByteArray next = Frames::SetAddress(2);
    QVERIFY2(link.write(next, &error), qPrintable(error));
    QTRY_COMPARE(joined(*m_received), next);
}

void TestSerialLinkContract::lineFailure_closesAndIsReportedOnce()
{
    openLine();
    m_line->breakLine();
    QTRY_COMPARE(m_failed->size(), 1);
    QVERIFY(!m_line->link().isOpen());
    QVERIFY(!m_failed->first().first().toString().isEmpty());
    QTest::qWait(100);
    QCOMPARE(m_failed->size(), 1);
    QCOMPARE(m_received->size(), 0);
}

void TestSerialLinkContract::jammedWrite_isReportedOnce_lineStaysOpen()
{
    openLine();
    m_line->jamWrites();
    QString error;
    QVERIFY2(m_line->link().write(MoreThanTheLineHolds, &error), qPrintable(error));
    QCOMPARE(m_writeFailed->size(), 0);
    QTRY_COMPARE(m_writeFailed->size(), 1);
    QVERIFY(!m_writeFailed->first().first().toString().isEmpty());
    QTest::qWait(200);
    QCOMPARE(m_writeFailed->size(), 1);
    QCOMPARE(m_written->size(), 0);
    QCOMPARE(m_failed->size(), 0);
    QVERIFY(m_line->link().isOpen());
}

QTEST_GUILESS_MAIN(TestSerialLinkContract)
#include "tst_seriallinkcontract.moc"
