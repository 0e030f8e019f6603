// The handover report: what each section says of a configuration, and the same on A4 pages.

#include "richconfiguration.h"

#include <model/configuration.h>
#include <report/handoverreport.h>
#include <report/reportdocument.h>
#include <report/reporthtml.h>
#include <storage/imagebuilder.h>
#include <storage/writecheck.h>

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The report's text without its markup, as a reader sees it.
QString textOf(const QString &html)
{
    QString text = html;
    text.remove(QRegularExpression(QStringLiteral("<style>.*</style>"), QRegularExpression::DotMatchesEverythingOption));
    text.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

ReportSource sourceOf(Configuration &config)
{
    return { QStringLiteral("объект.tab"), ImageBuilder::builtAside(config), QDateTime(QDate(2026, 12, 11), QTime(9, 30)) };
}

// One zone with many devices: the device table runs over several pages.
void fillLongZone(Configuration &config, int devices)
{
    MemTable &zones = config.mtArea();
    zones.locate(QStringLiteral("id"), 3);
    zones.setValue(QStringLiteral("name"), QStringLiteral("котельная"));
    MemTable &sensors = config.mtSensor();
    for (int i = 0; i < devices; ++i) {
        sensors.append();
        sensors.setValueSilently("id_dev", 1);
        sensors.setValueSilently("addr", 2 + i % 128);
        sensors.setValueSilently("id_sen", 1);
        sensors.setValueSilently("id_chan", 1);
        sensors.setValueSilently("id_being", 0);
        sensors.setValueSilently("saddrl", i);
        sensors.setValueSilently("id_area", 3);
        sensors.post();
    }
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestHandoverReport : public QObject
{
    Q_OBJECT

private slots:
    void sections_data();
    void sections();
    void settings_data();
    void settings();
    void dialledNumber_data();
    void dialledNumber();
    void pdf_pagesNumberedAndTitlesRepeated_data();
    void pdf_pagesNumberedAndTitlesRepeated();
    void save_byExtension_data();
    void save_byExtension();
};

void TestHandoverReport::sections_data()
{
    QTest::addColumn<bool>("rich"); // the crafted configuration, or a fresh one
    QTest::addColumn<QStringList>("headings");

    QTest::newRow("fresh") << false
                           << QStringList { "Модули (1 из 16)", "Зоны (0 из 500)", "Устройства в зонах (0)",
                                            "Устройства вне зон (0)", "Выходы (0)", "Входы (0)",
                                            "Сообщения входов (4)", "Настройка режима ДЕНЬ/НОЧЬ (4)",
                                            "Коды оповещения (27)", "Проверка перед записью (0)" };
    QTest::newRow("crafted") << true
                             << QStringList { "Модули (3 из 16)", "Зоны (4 из 500)", "Устройства в зонах (4)",
                                              "Устройства вне зон (1)", "Выходы (3)", "Входы (2)",
                                              "Сообщения входов (4)", "Настройка режима ДЕНЬ/НОЧЬ (4)",
                                              "Коды оповещения (27)" };
}

void TestHandoverReport::sections()
{
    QFETCH(bool, rich);
    QFETCH(QStringList, headings);

    Configuration config;
    if (rich)
        fillRichConfiguration(config);
    const ReportSource source = sourceOf(config);
    const QString html = reportHtml(handoverReport(config, source));
    const QString text = textOf(html);
    for (const QString &heading : std::as_const(headings))
        QVERIFY2(html.contains(QStringLiteral(">%1</h").arg(heading)), qPrintable(heading));
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(html.contains(QStringLiteral("@media print")));
    QVERIFY(text.contains(QStringLiteral("Файл: объект.tab")));
    QVERIFY(text.contains(QStringLiteral("Составлен: 11.12.2026 09:30")));
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(source.image, QCryptographicHash::Sha256).toHex());
    QVERIFY(text.contains(QStringLiteral("SHA-256 образа конфигурации: ") + sha));
    // Whatever the check finds is there, one row each.
    const QStringList problems = WriteCheck::problems(config);
    QVERIFY(html.contains(QStringLiteral(">Проверка перед записью (%1)</h").arg(problems.size())));
    for (const QString &problem : problems)
        QVERIFY2(text.contains(problem.simplified()), qPrintable(problem));
    if (problems.isEmpty())
        QVERIFY(text.contains(QStringLiteral("Замечаний нет")));
}

// What the crafted configuration's rows and settings read as.
void TestHandoverReport::settings_data()
{
    QTest::addColumn<QString>("shown");

    QTest::newRow("zone") << "7 СКЛАД №2 Откл. Два извещателя Профиль 3 2 1.1";
    QTest::newRow("zone driving another module's output") << "9 — — — — 0 5.2";
    QTest::newRow("zones left out") << "Без имени, устройств и выходов: 496 зон — зоны 1–6, 10–499.";
    QTest::newRow("device in a zone") << "7 КЛМ № 1 5 ЛОР-4 Тепловой A2R ( 70 C ) 0005 Подкл.";
    QTest::newRow("device in no zone") << "КЛМ № 1 5 ЛОР-4 Ручной — 0005 Подкл.";
    QTest::newRow("output") << "КЛМ № 1 1 SD 1 Выход без контроля Пожаротушение Откл. 7";
    QTest::newRow("module") << "5 КВ-8 КВ-8 № 5 — Подкл.";
    QTest::newRow("first telephone") << "Первый телефонный номер: 12 · пауза · 34 · ожидание сигнала · 5 (импульсный набор)";
    QTest::newRow("second telephone") << "Второй телефонный номер: 0441234567 (тоновый набор)";
    QTest::newRow("dialling mode") << "Режим дозвона: И";
    QTest::newRow("tests") << "Время первого теста: 12 час 30 мин Интервал тестов: 24 час";
    QTest::newRow("relay") << "Включить реле \"Пожар\": да Включить реле \"Неисправность\": нет";
    QTest::newRow("admin code") << "Администраторы Код доступа 1 •••• (4 знака)";
    QTest::newRow("long admin code") << "Администраторы Код доступа 8 •••••••••• (10 знаков)";
    QTest::newRow("installer code") << "Установщики Код доступа 3 ••• (3 знака)";
    QTest::newRow("no code") << "Установщики Код доступа 4 не задан";
    QTest::newRow("profile") << "Профиль 2 08:30 23:50";
    QTest::newRow("event code") << "5 Отключение выхода \"ПОЖАРОТУШЕНИЕ\" 999";
    QTest::newRow("input message") << "3 ПОЖЕЖА";
}

void TestHandoverReport::settings()
{
    QFETCH(QString, shown);
    Configuration config;
    fillRichConfiguration(config);
    const QString text = textOf(reportHtml(handoverReport(config, sourceOf(config))));
    QVERIFY2(text.contains(shown), qPrintable(text));
    // The codes themselves never appear.
    QVERIFY(!text.contains(QStringLiteral("0123456789")));
}

void TestHandoverReport::dialledNumber_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("dialled");

    QTest::newRow("none") << "" << "не задан";
    QTest::newRow("zeros, as an empty number loads") << "000000000000000000" << "не задан";
    QTest::newRow("tone, no digits") << "ED0000000000000000" << "не задан";
    QTest::newRow("sixteen digits, no end mark") << "0441234567890123" << "0441234567890123 (импульсный набор)";
    QTest::newRow("pause first") << "B123D000000000000" << "пауза · 123 (импульсный набор)";
}

void TestHandoverReport::dialledNumber()
{
    QFETCH(QString, raw);
    QFETCH(QString, dialled);
    QCOMPARE(::dialledNumber(raw), dialled);
}

void TestHandoverReport::pdf_pagesNumberedAndTitlesRepeated_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<int>("fewestPages");

    QTest::newRow("crafted") << 0 << 2;
    QTest::newRow("a zone of 400 devices") << 400 << 8;
}

// The PDF as a reader's tools see it: the page count, the numbers at the feet, Cyrillic
// text, and the device table's titles on each page it runs over.
void TestHandoverReport::pdf_pagesNumberedAndTitlesRepeated()
{
    QFETCH(int, devices);
    QFETCH(int, fewestPages);

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        QSKIP("needs pdftotext and pdfinfo (poppler-utils)");

    Configuration config;
    fillRichConfiguration(config);
    fillLongZone(config, devices);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("отчёт.pdf"));
    QString error;
    int pages = 0;
    QVERIFY2(ReportDocument::save(handoverReport(config, sourceOf(config)), file, &error, &pages), qPrintable(error));
    QVERIFY(pages >= fewestPages);

    const QRegularExpressionMatch info = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(pdfinfo, { file }));
    QVERIFY(info.hasMatch());
    QCOMPARE(info.captured(1).toInt(), pages);
    const QString text = run(pdftotext, { QStringLiteral("-layout"), file, QStringLiteral("-") });
    QVERIFY(text.contains(QStringLiteral("Конфигурация прибора «Ворсен-А»")));
    QVERIFY(text.contains(QStringLiteral("СКЛАД №2")));
    const QStringList pageTexts = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), pages);
    int withDeviceTitles = 0;
    for (int page = 0; page < pages; ++page) {
        QVERIFY2(pageTexts.at(page).contains(QStringLiteral("Страница %1 из %2").arg(page + 1).arg(pages)),
                 qPrintable(pageTexts.at(page)));
        if (pageTexts.at(page).contains(QStringLiteral("Серийный")))
            ++withDeviceTitles;
    }
    if (devices > 0) {
        QVERIFY(text.contains(QStringLiteral("КОТЕЛЬНАЯ")));
        QVERIFY2(withDeviceTitles >= 4, qPrintable(QString::number(withDeviceTitles))); // not on the first page only
    }
}

void TestHandoverReport::save_byExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("starts");

    QTest::newRow("html") << "отчёт.html" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("pdf") << "отчёт.PDF" << QByteArray("%PDF-");
    QTest::newRow("folder that is not there") << "нет/отчёт.pdf" << QByteArray();
}

void TestHandoverReport::save_byExtension()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, starts);

    Configuration config;
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    QString error;
    const bool saved = ReportDocument::save(handoverReport(config, sourceOf(config)), file, &error);
    QCOMPARE(saved, !starts.isEmpty());
    if (!saved) {
        QVERIFY2(error.startsWith(QStringLiteral("Не удалось записать отчёт «%1»: ").arg(file)), qPrintable(error));
        QVERIFY(!QFile::exists(file));
        return;
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith(starts));
}

QTEST_MAIN(TestHandoverReport)
#include "tst_handoverreport.moc"
