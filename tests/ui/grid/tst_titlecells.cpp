// The layout of banded titles, worked out apart from any header: which cells a row of
// column titles makes, where each lies and what it shows.

#include <ui/grid/titlecells.h>

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TitleColumn)

namespace {

constexpr int Level = 10;

TitleColumn titled(int column, const QString &title, int width, int icon = -1)
{
    return { column, title, width, icon, false };
}

TitleColumn hidden(int column, const QString &title, int width)
{
    return { column, title, width, -1, true };
}

// "x,y w×h text", then the picture and the column that has the cell to itself, if any.
QString describe(const TitleCell &cell)
{
    QString text = u"%1,%2 %3x%4 \"%5\""_s.arg(cell.rect.x())
                           .arg(cell.rect.y())
                           .arg(cell.rect.width())
                           .arg(cell.rect.height())
                           .arg(cell.text);
    if (cell.icon >= 0)
        text += u" icon %1"_s.arg(cell.icon);
    if (cell.column >= 0)
        text += u" of %1"_s.arg(cell.column);
    return text;
}

QStringList described(const QVector<TitleCell> &cells)
{
    QStringList texts;
    for (const TitleCell &cell : cells)
        texts.append(describe(cell));
    return texts;
}

} // namespace

class TestTitleCells : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void caption_data();
    void caption();
};

void TestTitleCells::cells_data()
{
    QTest::addColumn<QVector<TitleColumn>>("columns");
    QTest::addColumn<int>("levels");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("plain: each its own band")
            << QVector<TitleColumn> { titled(0, u"A|x"_s, 30), titled(1, u"B|y"_s, 20) } << 2
            << QStringList { u"0,0 30x10 \"A\""_s, u"30,0 20x10 \"B\""_s, u"0,10 30x10 \"x\" of 0"_s,
                             u"30,10 20x10 \"y\" of 1"_s };
    QTest::newRow("shared band")
            << QVector<TitleColumn> { titled(0, u"Список зон|№ зоны"_s, 71), titled(1, u"Список зон|Имя зоны"_s, 403),
                                      titled(2, u"Список зон|Состояние"_s, 79) }
            << 2
            << QStringList { u"0,0 553x10 \"Список зон\""_s, u"0,10 71x10 \"№ зоны\" of 0"_s,
                             u"71,10 403x10 \"Имя зоны\" of 1"_s, u"474,10 79x10 \"Состояние\" of 2"_s };
    QTest::newRow("a band only over neighbours")
            << QVector<TitleColumn> { titled(0, u"A|x"_s, 10), titled(1, u"B|y"_s, 10), titled(2, u"A|z"_s, 10) } << 2
            << QStringList { u"0,0 10x10 \"A\""_s, u"10,0 10x10 \"B\""_s, u"20,0 10x10 \"A\""_s,
                             u"0,10 10x10 \"x\" of 0"_s, u"10,10 10x10 \"y\" of 1"_s, u"20,10 10x10 \"z\" of 2"_s };
    QTest::newRow("shared second cell")
            << QVector<TitleColumn> { titled(0, u"Band|Тип"_s, 30), titled(1, u"Band|Тип"_s, 20),
                                      titled(2, u"Band|Адрес"_s, 40) }
            << 2
            << QStringList { u"0,0 90x10 \"Band\""_s, u"0,10 50x10 \"Тип\""_s, u"50,10 40x10 \"Адрес\" of 2"_s };
    QTest::newRow("third blank line under a shared cell")
            << QVector<TitleColumn> { titled(0, u"Список выходов|Модуль"_s, 98),
                                      titled(1, u"Список выходов|Тип канала| "_s, 119),
                                      titled(2, u"Список выходов|Тип канала| "_s, 48),
                                      titled(3, u"Список выходов|Адрес"_s, 91) }
            << 3
            << QStringList { u"0,0 356x10 \"Список выходов\""_s, u"0,10 98x20 \"Модуль\" of 0"_s,
                             u"98,10 167x10 \"Тип канала\""_s, u"265,10 91x20 \"Адрес\" of 3"_s,
                             u"98,20 119x10 \"\" of 1"_s, u"217,20 48x10 \"\" of 2"_s };
    QTest::newRow("second cells of different depth stay apart")
            << QVector<TitleColumn> { titled(0, u"Band|Тип"_s, 30), titled(1, u"Band|Тип| "_s, 20) } << 3
            << QStringList { u"0,0 50x10 \"Band\""_s, u"0,10 30x20 \"Тип\" of 0"_s, u"30,10 20x10 \"Тип\""_s,
                             u"30,20 20x10 \"\" of 1"_s };
    QTest::newRow("picture title keeps its cell")
            << QVector<TitleColumn> { titled(0, u"Список модулей|Тип"_s, 28, 1), titled(1, u"Список модулей|Тип"_s, 55),
                                      titled(2, u"Список модулей|Тип"_s, 34) }
            << 2
            << QStringList { u"0,0 117x10 \"Список модулей\""_s, u"0,10 28x10 \"\" icon 1 of 0"_s,
                             u"28,10 89x10 \"Тип\""_s };
    QTest::newRow("single-level picture title")
            << QVector<TitleColumn> { titled(0, u"Отметка"_s, 25, 0), titled(1, u"Band|A"_s, 40) } << 2
            << QStringList { u"0,0 25x20 \"\" icon 0 of 0"_s, u"25,0 40x10 \"Band\""_s, u"25,10 40x10 \"A\" of 1"_s };
    QTest::newRow("hidden column in the middle")
            << QVector<TitleColumn> { titled(0, u"Band|A"_s, 30), hidden(1, u"Other|X"_s, 50),
                                      titled(2, u"Band|B"_s, 20), hidden(3, u"Deep|er|still"_s, 50) }
            << 2
            << QStringList { u"0,0 50x10 \"Band\""_s, u"0,10 30x10 \"A\" of 0"_s, u"30,10 20x10 \"B\" of 2"_s };
    QTest::newRow("single-level title beside a banded one")
            << QVector<TitleColumn> { titled(0, u"Список сообщений входов"_s, 354), titled(1, u"Band|A"_s, 40),
                                      titled(2, u"Список сообщений входов"_s, 10) }
            << 2
            << QStringList { u"0,0 354x20 \"Список сообщений входов\" of 0"_s, u"354,0 40x10 \"Band\""_s,
                             u"394,0 10x20 \"Список сообщений входов\" of 2"_s, u"354,10 40x10 \"A\" of 1"_s };
    QTest::newRow("single-level grid")
            << QVector<TitleColumn> { titled(0, u"Список сообщений входов"_s, 354) } << 1
            << QStringList { u"0,0 354x10 \"Список сообщений входов\" of 0"_s };
    QTest::newRow("spaces around parts do not tell titles apart")
            << QVector<TitleColumn> { titled(0, u"Band| Тип"_s, 36, 1), titled(1, u"Band|Тип "_s, 92),
                                      titled(2, u"Band| Тип"_s, 10) }
            << 2
            << QStringList { u"0,0 138x10 \"Band\""_s, u"0,10 36x10 \"\" icon 1 of 0"_s, u"36,10 102x10 \"Тип\""_s };
    QTest::newRow("nothing shown") << QVector<TitleColumn> { hidden(0, u"A|B"_s, 10) } << 1 << QStringList {};
}

void TestTitleCells::cells()
{
    QFETCH(QVector<TitleColumn>, columns);
    QFETCH(int, levels);
    QFETCH(QStringList, expected);

    QCOMPARE(titleLevels(columns), levels);
    QCOMPARE(described(titleCells(columns, Level)), expected);
}

void TestTitleCells::caption_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");

    QTest::newRow("second level") << u"Список зон|Состояние"_s << u"Состояние"_s;
    QTest::newRow("blank third level") << u"Список выходов|Тип канала| "_s << u"Тип канала"_s;
    QTest::newRow("spaces around") << u"Список входов| Уровень нормального состояния"_s
                                   << u"Уровень нормального состояния"_s;
    QTest::newRow("single level") << u"Список сообщений входов"_s << u"Список сообщений входов"_s;
    QTest::newRow("blank") << u" | "_s << QString();
}

void TestTitleCells::caption()
{
    QFETCH(QString, title);
    QFETCH(QString, caption);

    QCOMPARE(titleCaption(title), caption);
}

QTEST_APPLESS_MAIN(TestTitleCells)
#include "tst_titlecells.moc"
