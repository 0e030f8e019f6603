#pragma once

// What the two zone dialogs' suites do alike: clicks on marks and mark titles, the frame
// and the removal question.

#include "modalanswers.h"

#include <ui/grid/bandedheader.h>
#include <ui/grid/datagrid.h>

#include <model/memtable.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTest>

namespace ZoneDialogChecks {

inline int markColumn(const DataGrid *grid)
{
    const QVector<ColumnSpec> &columns = grid->grid().columns;
    for (int column = 0; column < columns.size(); ++column) {
        if (columns.at(column).options.testFlag(ColumnSpec::Mark))
            return column;
    }
    return -1;
}

// The visible row whose `field` is `value`; -1 for none.
inline int rowWith(const DataGrid *grid, int field, int value)
{
    for (int row = 0; row < grid->table().recordCount(); ++row) {
        if (grid->table().visibleValue(row, field).toInt() == value)
            return row;
    }
    return -1;
}

inline void clickMark(DataGrid *grid, int row)
{
    const QModelIndex index = grid->model()->index(row, markColumn(grid));
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

// A click on a row's mark where the list now stands sideways, the mark in sight.
inline void clickMarkInSight(DataGrid *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, markColumn(grid)));
    QVERIFY(grid->viewport()->rect().contains(cell));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// The middle of the mark column's lowest title cell, scrolled into sight first.
inline QPoint markTitleCentre(DataGrid *grid)
{
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    const BandedHeader *title = grid->bandedHeader();
    const int column = markColumn(grid);
    return { title->sectionViewportPosition(column) + title->sectionSize(column) / 2, title->height() - 4 };
}

inline void clickMarkTitle(DataGrid *grid)
{
    const QPoint at = markTitleCentre(grid);
    QTest::mouseClick(grid->bandedHeader()->viewport(), Qt::LeftButton, {}, at);
}

// The mark column's title dragged over its neighbour and back, and let go where it was
// pressed.
inline void dragMarkTitleBack(DataGrid *grid)
{
    const QPoint at = markTitleCentre(grid);
    QWidget *title = grid->bandedHeader()->viewport();
    const QPoint away = at - QPoint(grid->columnWidth(markColumn(grid)) + QApplication::startDragDistance(), 0);
    QTest::mousePress(title, Qt::LeftButton, {}, at);
    QTest::mouseMove(title, away);
    QTest::mouseMove(title, at);
    QTest::mouseRelease(title, Qt::LeftButton, {}, at);
}

inline int markTitleIcon(const DataGrid *grid)
{
    return grid->bandedHeader()->titleIcon(markColumn(grid));
}

inline QVector<bool> marks(const DataGrid *grid, int field)
{
    QVector<bool> marked;
    for (int row = 0; row < grid->table().recordCount(); ++row)
        marked << grid->table().visibleValue(row, field).toBool();
    return marked;
}

inline void press(const QDialog &dialog, const char *button)
{
    auto *found = dialog.findChild<QPushButton *>(QString::fromLatin1(button));
    QVERIFY2(found, button);
    QTest::mouseClick(found, Qt::LeftButton);
}

// The fixed frame with only a close button, the client area, modal; drawn without being
// shown, as a picture of it is taken for reviews.
inline void checkFrame(QDialog &dialog, const QSize &client)
{
    QCOMPARE(dialog.size(), client);
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(dialog.isModal());
    const Qt::WindowFlags flags = dialog.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    for (const Qt::WindowType button :
         { Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint, Qt::WindowContextHelpButtonHint })
        QVERIFY2(!flags.testFlag(button), qPrintable(QString::number(button, 16)));

    const QImage picture = dialog.grab().toImage();
    QCOMPARE(picture.size(), client);
    QWidget *panel = dialog.findChild<QWidget *>(QStringLiteral("Panel1"));
    QVERIFY(panel);
    QCOMPARE(panel->geometry(), dialog.rect());
    // Between the arrows and the cross, where no control lies.
    QCOMPARE(picture.pixelColor(client.width() / 2, 315), QColor(229, 229, 229));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = dialog.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 10 && qAbs(offset.y()) <= 20,
             qPrintable(QStringLiteral("%1,%2 off the centre").arg(offset.x()).arg(offset.y())));
}

// A child of the grey panel at `geometry`, the panel filling the client area.
inline void checkPlace(const QDialog &dialog, const QString &name, const QRect &geometry)
{
    const auto *child = dialog.findChild<QWidget *>(name);
    QVERIFY2(child, qPrintable(name));
    QCOMPARE(child->parentWidget()->objectName(), QStringLiteral("Panel1"));
    QCOMPARE(child->geometry(), geometry);
    QVERIFY2(!child->accessibleName().isEmpty(), qPrintable(name));
}

// Balloon, status tip and accessible name; the status tip reaches the window that opened
// the dialog. (A synthetic entry: the pointer is shared with the other window tests.)
inline void checkHint(QWidget &opener, const QDialog &dialog, const char *name, const QString &hint)
{
    struct TipCatcher : QObject
    {
        QStringList tips;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::StatusTip)
                tips << static_cast<QStatusTipEvent *>(event)->tip();
            return false;
        }
    } catcher;
    opener.installEventFilter(&catcher);

    auto *button = dialog.findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(button->statusTip(), hint);
    QCOMPARE(button->accessibleName(), hint);
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->iconSize(), QSize(32, 32));
    QVERIFY(!button->autoDefault());
    QEnterEvent entry(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(button, &entry);
    QCOMPARE(catcher.tips, QStringList { hint });
}

// What a message box showed, read before it was answered.
struct SeenBox
{
    QString className;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // sorted
};

// Answers the next modal window with the button `answer`, after reading what it shows;
// anything else is closed, so that a wrong window cannot hang the test.
inline void answerNextBox(const QString &answer, SeenBox *seen)
{
    whenModalOpens([answer, seen](QWidget *modal) {
        seen->className = QString::fromLatin1(modal->metaObject()->className());
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        QAbstractButton *chosen = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            seen->buttons << button->text();
            if (button->text() == answer)
                chosen = button;
        }
        seen->buttons.sort();
        if (chosen)
            chosen->click();
        else
            box->reject();
    });
}

} // namespace ZoneDialogChecks
