#include <exchange/transferoutcome.h>
#include <exchange/transferpace.h>

#include <QTest>
#include <QTime>

using Kind = TransferOutcome::Kind;
using End = TransferOutcome::End;

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(End)

// What the status bar says once an exchange is over, and what the progress window says
// while a transfer runs.
class TestTransferFeedback : public QObject
{
    Q_OBJECT

private slots:
    void statusText_data();
    void statusText();
    void timeLeft_data();
    void timeLeft();
    void timeLeftText_data();
    void timeLeftText();
};

void TestTransferFeedback::statusText_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<End>("end");
    QTest::addColumn<bool>("verified");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("text");

    QTest::newRow("verified write") << Kind::Write << End::Done << true << 0 << " Записано в прибор и проверено 09:05";
    QTest::newRow("write") << Kind::Write << End::Done << false << 0 << " Записано в прибор 09:05";
    QTest::newRow("write stopped") << Kind::Write << End::Stopped << false << 812 << " Запись прервана на блоке 812, 09:05";
    QTest::newRow("write not started") << Kind::Write << End::Stopped << false << 0 << " Запись не начата 09:05";
    QTest::newRow("check found differences")
            << Kind::Write << End::VerifyDiffers << false << 0 << " Записано в прибор, но проверка нашла отличия 09:05";
    QTest::newRow("check stopped")
            << Kind::Write << End::VerifyStopped << false << 7 << " Записано в прибор, проверка прервана на блоке 7, 09:05";
    QTest::newRow("check not started")
            << Kind::Write << End::VerifyStopped << false << 0 << " Записано в прибор, не проверено 09:05";
    QTest::newRow("write, no working mode")
            << Kind::Write << End::NoWorkingMode << true << 0
            << " Записано в прибор и проверено, но прибор не подтвердил переход в рабочий режим 09:05";
    QTest::newRow("read") << Kind::Read << End::Done << false << 0 << " Прочитано из прибора 09:05";
    QTest::newRow("read stopped") << Kind::Read << End::Stopped << false << 1600 << " Чтение прервано на блоке 1600, 09:05";
    QTest::newRow("read not started") << Kind::Read << End::Stopped << false << 0 << " Чтение не начато 09:05";
    QTest::newRow("read not loaded") << Kind::Read << End::NotLoaded << false << 0 << " Прочитанное из прибора не загружено 09:05";
    QTest::newRow("compare") << Kind::Compare << End::Done << false << 0 << " Сравнение с прибором завершено 09:05";
    QTest::newRow("compare stopped")
            << Kind::Compare << End::Stopped << false << 3 << " Сравнение с прибором прервано на блоке 3, 09:05";
    QTest::newRow("working mode") << Kind::WorkingMode << End::Done << false << 0 << " Прибор переведён в рабочий режим 09:05";
    QTest::newRow("working mode not confirmed")
            << Kind::WorkingMode << End::NoWorkingMode << false << 0 << " Прибор не подтвердил переход в рабочий режим 09:05";
}

void TestTransferFeedback::statusText()
{
    QFETCH(Kind, kind);
    QFETCH(End, end);
    QFETCH(bool, verified);
    QFETCH(int, block);
    QFETCH(QString, text);

    TransferOutcome outcome;
    outcome.kind = kind;
    outcome.end = end;
    outcome.verified = verified;
    outcome.block = block;
    QCOMPARE(outcome.statusText(QTime(9, 5, 59)), text);
    QCOMPARE(outcome.succeeded(), end == End::Done);
}

void TestTransferFeedback::timeLeft_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<qint64>("left"); // -1: no guess yet

    QTest::newRow("nothing done") << 0 << 1600 << qint64(500) << qint64(-1);
    QTest::newRow("too few to judge") << TransferPace::FewestBlocksToJudge - 1 << 1600 << qint64(2000) << qint64(-1);
    QTest::newRow("first judged") << TransferPace::FewestBlocksToJudge << 1600 << qint64(1600) << qint64(158400);
    QTest::newRow("halfway") << 800 << 1600 << qint64(104800) << qint64(104800);
    QTest::newRow("all done") << 1600 << 1600 << qint64(209600) << qint64(0);
    QTest::newRow("past the count") << 1601 << 1600 << qint64(1000) << qint64(-1);
}

void TestTransferFeedback::timeLeft()
{
    QFETCH(int, done);
    QFETCH(int, count);
    QFETCH(qint64, elapsed);
    QFETCH(qint64, left);

    QCOMPARE(TransferPace::timeLeft(done, count, elapsed).value_or(-1), left);
}

void TestTransferFeedback::timeLeftText_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing") << qint64(0) << "осталось ≈ 5 с";
    QTest::newRow("a moment") << qint64(1200) << "осталось ≈ 5 с";
    QTest::newRow("up to 5 s") << qint64(41000) << "осталось ≈ 45 с";
    QTest::newRow("just under a minute") << qint64(56000) << "осталось ≈ 1 мин";
    QTest::newRow("a minute") << qint64(60000) << "осталось ≈ 1 мин";
    QTest::newRow("to 10 s, down") << qint64(124000) << "осталось ≈ 2 мин";
    QTest::newRow("to 10 s, up") << qint64(125000) << "осталось ≈ 2 мин 10 с";
    QTest::newRow("a full write at 9600 baud") << qint64(209600) << "осталось ≈ 3 мин 30 с";
    QTest::newRow("over an hour") << qint64(3725000) << "осталось ≈ 62 мин 10 с";
}

void TestTransferFeedback::timeLeftText()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(TransferPace::timeLeftText(ms), text);
}

QTEST_GUILESS_MAIN(TestTransferFeedback)
#include "tst_transferfeedback.moc"
