#include "unexpectedwarnings.h"

#include <image/cp1251.h>

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestCp1251 : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void knownCharacters_data();
    void knownCharacters();
    void textSurvivesRoundTrip_data();
    void textSurvivesRoundTrip();
    void everyByteSurvivesRoundTrip();
    void matchesTheSystemCodePage_data();
    void matchesTheSystemCodePage();
    void foreignCharacterTakesOneByte_data();
    void foreignCharacterTakesOneByte();
    void encodeFixedGivesExactWidth_data();
    void encodeFixedGivesExactWidth();
    void upperCased_data();
    void upperCased();
    void upperCasedKeepsEveryByteStorable();
};

void TestCp1251::knownCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("latin and digits") << QStringLiteral("Zone 7") << QByteArray("Zone 7");
    QTest::newRow("ЗОНА") << QStringLiteral("ЗОНА") << QByteArray::fromHex("c7cecdc0");
    QTest::newRow("а я") << QStringLiteral("ая") << QByteArray::fromHex("e0ff");
    QTest::newRow("Ё ё") << QStringLiteral("Ёё") << QByteArray::fromHex("a8b8");
    QTest::newRow("Ї") << QStringLiteral("Ї") << QByteArray::fromHex("af");
    QTest::newRow("ї") << QStringLiteral("ї") << QByteArray::fromHex("bf");
    QTest::newRow("І") << QStringLiteral("І") << QByteArray::fromHex("b2");
    QTest::newRow("і") << QStringLiteral("і") << QByteArray::fromHex("b3");
    QTest::newRow("Є") << QStringLiteral("Є") << QByteArray::fromHex("aa");
    QTest::newRow("є") << QStringLiteral("є") << QByteArray::fromHex("ba");
    QTest::newRow("Ґ") << QStringLiteral("Ґ") << QByteArray::fromHex("a5");
    QTest::newRow("ґ") << QStringLiteral("ґ") << QByteArray::fromHex("b4");
    QTest::newRow("№") << QStringLiteral("№") << QByteArray::fromHex("b9");
    QTest::newRow("€") << QStringLiteral("€") << QByteArray::fromHex("88");
    QTest::newRow("ВХІД 0") << QStringLiteral("ВХІД 0") << QByteArray::fromHex("c2d5b2c42030");
}

void TestCp1251::knownCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Cp1251::encode(text), bytes);
    QCOMPARE(Cp1251::decode(bytes), text);
}

void TestCp1251::textSurvivesRoundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("russian") << QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
                                               "абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    QTest::newRow("ukrainian") << QStringLiteral("ҐЄІЇґєії'");
    QTest::newRow("punctuation") << QStringLiteral("«Склад» — №3, 1–2…");
    QTest::newRow("zone name") << QStringLiteral("ЗОНА 500 (ПІДВАЛ, ЇДАЛЬНЯ)");
    QTest::newRow("embedded NUL") << QStringLiteral("А\0Б");
}

void TestCp1251::textSurvivesRoundTrip()
{
    QFETCH(QString, text);

    const QByteArray bytes = Cp1251::encode(text);
    QCOMPARE(bytes.size(), text.size());
    QCOMPARE(Cp1251::decode(bytes), text);
}

void TestCp1251::everyByteSurvivesRoundTrip()
{
    // A loaded image may hold any byte in a name; saving it back must not alter it.
    QByteArray all(256, Qt::Uninitialized);
    for (int byte = 0; byte < all.size(); ++byte)
        all[byte] = char(byte);

    const QString text = Cp1251::decode(all);
    QCOMPARE(text.size(), all.size());
    QCOMPARE(Cp1251::encode(text), all);
}

void TestCp1251::matchesTheSystemCodePage_data()
{
    QTest::addColumn<QString>("text");

    QString everyCharacter;
    for (int byte = 0; byte < 256; ++byte)
        everyCharacter += Cp1251::decode(QByteArray(1, char(byte)));
    QTest::newRow("every character of the code page") << everyCharacter;
    QTest::newRow("latin with diaeresis") << QStringLiteral("aäz");
    QTest::newRow("greek") << QStringLiteral("Ω");
    QTest::newRow("CJK") << QStringLiteral("中");
    QTest::newRow("outside the BMP") << QStringLiteral("x😀y");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD");
    QTest::newRow("lone low surrogate") << QStringLiteral("a") + QChar(0xDC00) + QStringLiteral("b");
}

void TestCp1251::matchesTheSystemCodePage()
{
    QFETCH(QString, text);

    // Where Qt has ICU (Linux), its windows-1251 must agree with the table both ways.
    QStringEncoder icuEncoder("windows-1251", QStringConverter::Flag::Stateless);
    QStringDecoder icuDecoder("windows-1251", QStringConverter::Flag::Stateless);
    if (!icuEncoder.isValid() || !icuDecoder.isValid())
        QSKIP("This Qt has no windows-1251 of its own to compare with");

    QByteArray all(256, Qt::Uninitialized);
    for (int byte = 0; byte < all.size(); ++byte)
        all[byte] = char(byte);
    QCOMPARE(Cp1251::decode(all), icuDecoder.decode(all));

    QCOMPARE(Cp1251::encode(text), QByteArray(icuEncoder.encode(text)));
}

void TestCp1251::foreignCharacterTakesOneByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("CJK") << QStringLiteral("中") << QByteArray() << QByteArray();
    QTest::newRow("CJK between letters")
            << QStringLiteral("Я中b") << QByteArray::fromHex("df") << QByteArray("b");
    QTest::newRow("Greek") << QStringLiteral("AΩ") << QByteArray("A") << QByteArray();
    // Two UTF-16 units, still one character on the panel.
    QTest::newRow("outside the BMP") << QStringLiteral("x😀y") << QByteArray("x") << QByteArray("y");
    QTest::newRow("lone high surrogate at the end") << QStringLiteral("x") + QChar(0xD800) << QByteArray("x")
                                                    << QByteArray();
}

void TestCp1251::foreignCharacterTakesOneByte()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    const QByteArray bytes = Cp1251::encode(text);
    QCOMPARE(bytes.size(), before.size() + 1 + after.size());
    QCOMPARE(bytes.at(before.size()), Cp1251::Substitute);
    QVERIFY(bytes.startsWith(before));
    QVERIFY(bytes.endsWith(after));
}

void TestCp1251::encodeFixedGivesExactWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<char>("pad");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("padded with spaces")
            << QStringLiteral("ЗОНА") << 8 << ' ' << QByteArray::fromHex("c7cecdc020202020");
    QTest::newRow("padded with NUL")
            << QStringLiteral("ab") << 4 << '\0' << QByteArray::fromHex("61620000");
    QTest::newRow("exact") << QStringLiteral("ЗОНА") << 4 << ' ' << QByteArray::fromHex("c7cecdc0");
    QTest::newRow("cut") << QStringLiteral("ЗОНА 12") << 4 << ' ' << QByteArray::fromHex("c7cecdc0");
    QTest::newRow("empty text") << QString() << 3 << ' ' << QByteArray("   ");
    QTest::newRow("zero width") << QStringLiteral("ЗОНА") << 0 << ' ' << QByteArray();
    QTest::newRow("zone name slot")
            << QString(40, u'Ж') << 64 << ' ' << QByteArray(40, '\xC6') + QByteArray(24, ' ');
    QTest::newRow("too long for the slot") << QString(70, u'ї') << 64 << ' ' << QByteArray(64, '\xBF');
    QTest::newRow("cut counts bytes, not UTF-16 units")
            << QStringLiteral("😀😀😀") << 2 << ' ' << Cp1251::encode(QStringLiteral("😀")).repeated(2);
}

void TestCp1251::encodeFixedGivesExactWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(char, pad);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Cp1251::encodeFixed(text, width, pad), bytes);

    // Straight into a slot, after a longer text, as a load writes name after name.
    QByteArray slot(width, '\x77');
    const ImageBytes slotBytes(reinterpret_cast<quint8 *>(slot.data()), width);
    Cp1251::writeFixed(slotBytes, QString(100, u'Я'), pad);
    Cp1251::writeFixed(slotBytes, text, pad);
    QCOMPARE(slot, bytes);
}

void TestCp1251::upperCased_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");

    QTest::newRow("latin") << QStringLiteral("zone a1") << QStringLiteral("ZONE A1");
    QTest::newRow("russian") << QStringLiteral("склад ё") << QStringLiteral("СКЛАД Ё");
    QTest::newRow("ukrainian and belarusian")
            << QStringLiteral("ґєіїў") << QStringLiteral("ҐЄІЇЎ");
    QTest::newRow("serbian and macedonian")
            << QStringLiteral("ђѓјљњћќџѕ") << QStringLiteral("ЂЃЈЉЊЋЌЏЅ");
    // µ would become a Greek capital that the code page cannot hold.
    QTest::newRow("micro sign stays") << QStringLiteral("5µm") << QStringLiteral("5µM");
    QTest::newRow("signs stay") << QStringLiteral("№ § © « » – € ‰") << QStringLiteral("№ § © « » – € ‰");
    QTest::newRow("control characters stay") << QStringLiteral("a\x01\0b") << QStringLiteral("A\x01\0B");
}

void TestCp1251::upperCased()
{
    QFETCH(QString, text);
    QFETCH(QString, upper);

    QCOMPARE(Cp1251::upperCased(text), upper);
}

void TestCp1251::upperCasedKeepsEveryByteStorable()
{
    // A name or message read from the panel must come back byte for byte but for its
    // lower-case letters, whatever else it holds.
    for (int byte = 0; byte < 256; ++byte) {
        const QString character = Cp1251::decode(QByteArray(1, char(byte)));
        const QString upper = Cp1251::upperCased(character);
        const QByteArray stored = Cp1251::encode(upper);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(Cp1251::decode(stored), upper);
        if (upper != character)
            QVERIFY2(character.at(0).isLower(), qPrintable(QString::number(byte, 16)));
    }
}

QTEST_GUILESS_MAIN(TestCp1251)

#include "tst_cp1251.moc"
