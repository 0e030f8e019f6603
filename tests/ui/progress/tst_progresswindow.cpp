#include <ui/font/programfont.h>
#include <ui/progress/progressform.h>
#include <ui/progress/progresswindow.h>

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Writing = u"Идет запись в прибор"_s;
const QString Reading = u"Идет чтение из прибора"_s;
constexpr int Blocks = 1600;

// The transfer's side of the window, with what reached the status bar.
struct Driven
{
    QStringList statusTexts;
    ProgressWindow progress;

    explicit Driven(QWidget *mainWindow = nullptr)
        : progress(mainWindow, [this](const QString &text) { statusTexts.append(text); })
    {
    }

    // What a whole transfer does: the echo starts the bar, each later reply steps it.
    void transfer(const QString &text, int steps)
    {
        progress.start(text, Blocks);
        for (int i = 0; i < steps; ++i)
            progress.advance();
    }
};

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QColor backgroundOf(const QWidget *widget)
{
    return widget->palette().color(widget->backgroundRole());
}

} // namespace

class tst_ProgressWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void transfer_showsStepsAndEnds_data();
    void transfer_showsStepsAndEnds();
    void transfersInARow_eachStartsWithAnEmptyBar_data();
    void transfersInARow_eachStartsWithAnEmptyBar();
    void unfinishedTransfer_windowShownAgainWithItsBar();
    void closedOtherwise_nextStartMakesAFreshWindow();
    void withoutAWindow_advanceAndFinishDoNothing();
    void window_frameTopmostModelessCentredOverTheMainWindow();
    void window_childrenGeometryColoursAndFont_data();
    void window_childrenGeometryColoursAndFont();
    void info_longestTextFitsItsLine();
    void pacedTransfer_blockAndTimeLeft();
    void cancelButton_endsTheTransferOnce();
    void blockAndTimeLeft_fitTheirLines();
};

void tst_ProgressWindow::transfer_showsStepsAndEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("write") << Writing;
    QTest::newRow("read") << Reading;
}

void tst_ProgressWindow::transfer_showsStepsAndEnds()
{
    QFETCH(QString, text);
    Driven driven;
    QVERIFY(!driven.progress.form());

    driven.progress.start(text, Blocks);
    const QPointer<TProgressForm> form = driven.progress.form();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->info(), text);
    QCOMPARE(form->maximum(), Blocks);
    QCOMPARE(form->position(), 0);
    QCOMPARE(driven.statusTexts, QStringList { text });

    for (int i = 1; i < Blocks; ++i)
        driven.progress.advance();
    QCOMPARE(form->position(), Blocks - 1);
    // The bar follows a moment later, not on every block.
    auto *bar = form->findChild<QProgressBar *>(u"ProgressBar"_s);
    QVERIFY(bar->value() < Blocks - 1);
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), Blocks - 1, 1000);

    driven.progress.finish();
    QVERIFY(!driven.progress.form());
    QVERIFY(!form || !form->isVisible());
    processDeferredDeletes();
    QVERIFY(!form); // not left behind hidden for the life of the program
    QCOMPARE(driven.statusTexts, QStringList { text }); // the status bar keeps it
}

void tst_ProgressWindow::transfersInARow_eachStartsWithAnEmptyBar_data()
{
    QTest::addColumn<bool>("deletedBetween");
    QTest::newRow("second starts before the first window is deleted") << false;
    QTest::newRow("second starts after the event loop ran") << true;
}

void tst_ProgressWindow::transfersInARow_eachStartsWithAnEmptyBar()
{
    QFETCH(bool, deletedBetween);
    Driven driven;
    driven.transfer(Writing, Blocks - 1);
    driven.progress.finish();
    if (deletedBetween)
        processDeferredDeletes();

    driven.progress.start(Reading, Blocks);
    const TProgressForm *form = driven.progress.form();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->position(), 0);
    QCOMPARE(form->info(), Reading);
    driven.progress.advance();
    QCOMPARE(form->position(), 1);
    QCOMPARE(driven.statusTexts, (QStringList { Writing, Reading }));
}

void tst_ProgressWindow::unfinishedTransfer_windowShownAgainWithItsBar()
{
    Driven driven;
    driven.transfer(Writing, 7);
    const QPointer<TProgressForm> first = driven.progress.form();
    first->hide(); // hidden, say, by the window system, but never closed

    driven.progress.start(Reading, Blocks);
    QCOMPARE(driven.progress.form(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(first->position(), 7);
    QCOMPARE(first->info(), Reading);
    QCOMPARE(driven.statusTexts, (QStringList { Writing, Reading }));
    driven.progress.advance();
    QCOMPARE(first->position(), 8);
}

void tst_ProgressWindow::closedOtherwise_nextStartMakesAFreshWindow()
{
    Driven driven;
    driven.transfer(Reading, 3);
    QPointer<TProgressForm> first = driven.progress.form();
    first->close(); // as the search does when its list of found devices appears
    QVERIFY(!driven.progress.form());
    driven.progress.advance(); // a late reply finds no window
    driven.progress.start(Reading, Blocks);
    QVERIFY(driven.progress.form() != first.data());
    QCOMPARE(driven.progress.form()->position(), 0);
}

void tst_ProgressWindow::withoutAWindow_advanceAndFinishDoNothing()
{
    Driven driven;
    driven.progress.advance();
    driven.progress.finish();
    QVERIFY(!driven.progress.form());
    QVERIFY(driven.statusTexts.isEmpty());
    driven.progress.start(Writing, Blocks);
    QCOMPARE(driven.progress.form()->position(), 0);
}

void tst_ProgressWindow::window_frameTopmostModelessCentredOverTheMainWindow()
{
    QWidget mainWindow;
    mainWindow.setFixedSize(874, 672);
    mainWindow.move(40, 30);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    Driven driven(&mainWindow);
    driven.progress.start(Writing, Blocks);
    TProgressForm *form = driven.progress.form();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(form->isWindow());
    QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form->isModal());
    QCOMPARE(form->size(), QSize(TProgressForm::ClientWidth, TProgressForm::ClientHeight));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const QPoint offset = form->frameGeometry().center() - mainWindow.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));

    // Where it was put stays put when an unfinished transfer shows it again.
    mainWindow.move(300, 200);
    driven.progress.start(Reading, Blocks);
    QCOMPARE(driven.progress.form(), form);
    QVERIFY(form->frameGeometry().center() != mainWindow.frameGeometry().center());
}

void tst_ProgressWindow::window_childrenGeometryColoursAndFont_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QColor>("background");
    QTest::newRow("Panel") << u"Panel"_s << QRect(0, 0, 315, 98) << QColor(219, 218, 222);
    QTest::newRow("lbInfo") << u"lbInfo"_s << QRect(6, 8, 298, 20) << QColor(155, 205, 255);
    QTest::newRow("ProgressBar") << u"ProgressBar"_s << QRect(6, 36, 298, 17) << QColor();
    QTest::newRow("btnCancel") << u"btnCancel"_s << QRect(229, 63, 75, 25) << QColor();
}

void tst_ProgressWindow::window_childrenGeometryColoursAndFont()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QColor, background);
    TProgressForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(backgroundOf(&form), QColor(222, 221, 225));

    const auto *child = form.findChild<QWidget *>(name);
    QVERIFY(child);
    QCOMPARE(QRect(child->mapTo(&form, QPoint(0, 0)), child->size()), geometry);
    if (background.isValid()) {
        QVERIFY(child->autoFillBackground());
        QCOMPARE(backgroundOf(child), background);
        const auto *frame = qobject_cast<const QFrame *>(child);
        QCOMPARE(frame->frameShape(), QFrame::Box);
        QCOMPARE(frame->frameShadow(), QFrame::Plain);
        QCOMPARE(frame->lineWidth(), 1);
        // What is painted, not only what is asked for: the middle shows the background.
        const QImage image = form.grab().toImage();
        QCOMPARE(QColor(image.pixel(geometry.topLeft() + QPoint(3, 3))), background);
    }
    if (const auto *bar = qobject_cast<const QProgressBar *>(child)) {
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->value(), 0);
    }
    if (const auto *label = qobject_cast<const QLabel *>(child)) {
        QCOMPARE(label->text(), QString());
        QVERIFY(label->alignment().testFlag(Qt::AlignHCenter));
        QCOMPARE(label->font().family(), u"Tahoma"_s);
        QCOMPARE(label->font().pixelSize(), 13);
        QCOMPARE(label->palette().color(label->foregroundRole()), QColor(Qt::black));
    }
}

void tst_ProgressWindow::info_longestTextFitsItsLine()
{
    TProgressForm form;
    const auto *label = form.findChild<QLabel *>(u"lbInfo"_s);
    for (const QString &text : { Writing, Reading }) {
        form.setInfo(text);
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(text));
        QVERIFY2(label->fontMetrics().height() <= label->contentsRect().height(), qPrintable(text));
    }
}

// 100 ms a block, on a clock of the test's own.
void tst_ProgressWindow::pacedTransfer_blockAndTimeLeft()
{
    Driven driven;
    qint64 now = 5000;
    driven.progress.setClock([&now] { return now; });
    driven.progress.start(Writing, Blocks);
    TProgressForm *form = driven.progress.form();
    QCOMPARE(form->blockText(), u"Блок 1 из 1600"_s);
    QCOMPARE(form->timeLeftText(), QString()); // nothing to judge by yet

    for (int block = 1; block < 800; ++block) {
        now += 100;
        driven.progress.advance();
    }
    QTRY_COMPARE(form->blockText(), u"Блок 800 из 1600"_s);
    // 799 blocks took 79.9 s: the other 801 take 80.1 s.
    QCOMPARE(form->timeLeftText(), u"осталось ≈ 1 мин 20 с"_s);
    QCOMPARE(form->info(), Writing); // the line above the bar stays as it was

    // The check after the write starts its own count and its own pace.
    driven.progress.finish();
    driven.progress.start(u"Идет проверка записи"_s, Blocks);
    form = driven.progress.form();
    QCOMPARE(form->blockText(), u"Блок 1 из 1600"_s);
    QCOMPARE(form->timeLeftText(), QString());
    for (int block = 1; block < Blocks; ++block) {
        now += 50;
        driven.progress.advance();
    }
    QTRY_COMPARE(form->blockText(), u"Блок 1600 из 1600"_s);
    QCOMPARE(form->timeLeftText(), u"осталось ≈ 5 с"_s);
}

void tst_ProgressWindow::cancelButton_endsTheTransferOnce()
{
    Driven driven;
    int cancels = 0;
    driven.progress.setCancel([&cancels] { ++cancels; });
    driven.transfer(Reading, 10);
    TProgressForm *form = driven.progress.form();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    auto *cancel = form->findChild<QPushButton *>(u"btnCancel"_s);
    QCOMPARE(cancel->text(), u"Отмена"_s);
    QCOMPARE(cancel->accessibleName(), u"Отмена"_s);

    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(cancels, 1);
    // Until the reply in flight has come the window stays; a second press adds nothing.
    QVERIFY(!cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(cancels, 1);

    // A window left by an unfinished transfer takes the next one's cancel again.
    driven.progress.start(Writing, Blocks);
    QCOMPARE(driven.progress.form(), form);
    QVERIFY(cancel->isEnabled());
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Space);
    QCOMPARE(cancels, 2);
}

void tst_ProgressWindow::blockAndTimeLeft_fitTheirLines()
{
    TProgressForm form;
    const auto *block = form.findChild<QLabel *>(u"lbBlock"_s);
    const auto *timeLeft = form.findChild<QLabel *>(u"lbTimeLeft"_s);
    const auto *cancel = form.findChild<QPushButton *>(u"btnCancel"_s);
    const QString longestBlock = u"Блок 1600 из 1600"_s;
    const QString longestTimeLeft = u"осталось ≈ 59 мин 50 с"_s;
    QVERIFY(block->fontMetrics().horizontalAdvance(longestBlock) <= block->contentsRect().width());
    QVERIFY(timeLeft->fontMetrics().horizontalAdvance(longestTimeLeft) <= timeLeft->contentsRect().width());
    for (const QWidget *widget : { static_cast<const QWidget *>(block), static_cast<const QWidget *>(timeLeft),
                                   static_cast<const QWidget *>(cancel) }) {
        QVERIFY2(form.rect().contains(widget->geometry()), qPrintable(widget->objectName()));
        QVERIFY(widget->fontMetrics().height() <= widget->contentsRect().height());
        QVERIFY(!widget->geometry().intersects(form.findChild<QProgressBar *>()->geometry()));
    }
    QVERIFY(!block->geometry().intersects(cancel->geometry()));
    QVERIFY(!timeLeft->geometry().intersects(cancel->geometry()));
}

QTEST_MAIN(tst_ProgressWindow)
#include "tst_progresswindow.moc"
