#include "link/CodePage.h"
#include "link/TextParsing.h"

#include <QTest>

#include <cmath>

class TestTextParsing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numberText_data();
    void numberText();
    void hexText_data();
    void hexText();
    void int32Field_data();
    void int32Field();
    void byteField_data();
    void byteField();
    void hexTextToBytes_data();
    void hexTextToBytes();
    void codePage();
};

void TestTextParsing::numberText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "10000" << 10000.0;
    QTest::newRow("negative") << "-10000" << -10000.0;
    QTest::newRow("explicit plus") << "+7" << 7.0;
    QTest::newRow("blank inside") << "1 000" << 1000.0;
    QTest::newRow("tab and line feed ignored") << "\t1\n2" << 12.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("nothing readable") << "abc" << 0.0;
    QTest::newRow("trailing garbage") << "12abc" << 12.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("D exponent with sign") << "25D-1" << 2.5;
    QTest::newRow("exponent without digits") << "7e" << 7.0;
    QTest::newRow("fraction") << "2.5" << 2.5;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("comma is no separator") << "1,5" << 1.0;
    QTest::newRow("hex prefix") << "&H10" << 16.0;
    QTest::newRow("hex prefix lower case") << "&hff" << 255.0;
    QTest::newRow("sign alone") << "-" << 0.0;
}

void TestTextParsing::numberText() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(ParseNumberText(text), value);
}

void TestTextParsing::hexText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint64>("value");
    QTest::newRow("one digit") << "1" << quint64(1);
    QTest::newRow("ten is sixteen") << "10" << quint64(0x10);
    QTest::newRow("mixed case") << "1a" << quint64(0x1A);
    QTest::newRow("blanks ignored") << " 1 F" << quint64(0x1F);
    QTest::newRow("stops at other character") << "1G2" << quint64(1);
    QTest::newRow("nothing readable") << "Z1" << quint64(0);
    QTest::newRow("empty") << "" << quint64(0);
    QTest::newRow("above a byte") << "1FF" << quint64(0x1FF);
    QTest::newRow("saturates") << "FFFFFFFFFFFFFFFFFFFF" << ~quint64(0);
}

void TestTextParsing::hexText() {
    QFETCH(QString, text);
    QFETCH(quint64, value);
    QCOMPARE(ParseHexText(text), value);
}

void TestTextParsing::int32Field_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<qint32>("value");
    QTest::newRow("tie to even down") << "2.5" << true << 2;
    QTest::newRow("tie to even up") << "3.5" << true << 4;
    QTest::newRow("negative tie") << "-2.5" << true << -2;
    QTest::newRow("minus one") << "-1" << true << -1;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << qint32(-2147483647 - 1);
    QTest::newRow("one too large") << "2147483648" << false << 0;
    QTest::newRow("one too small") << "-2147483649" << false << 0;
    QTest::newRow("rounds into range") << "2147483647.4" << true << 2147483647;
    QTest::newRow("rounds out of range") << "2147483647.5" << false << 0;
    QTest::newRow("overflowing exponent") << "1e999" << false << 0;
}

void TestTextParsing::int32Field() {
    QFETCH(QString, text);
    QFETCH(bool, fits);
    QFETCH(qint32, value);
    const auto field = toInt32Field(ParseNumberText(text));
    QCOMPARE(field.has_value(), fits);
    if (fits) {
        QCOMPARE(*field, value);
    }
}

void TestTextParsing::byteField_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected"); // -1: does not fit
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("top") << 255.0 << 255;
    QTest::newRow("above") << 256.0 << -1;
    QTest::newRow("below") << -1.0 << -1;
    QTest::newRow("rounds down to top") << 255.4 << 255;
    QTest::newRow("tie 254.5 to even") << 254.5 << 254;
    QTest::newRow("minus half rounds to zero") << -0.5 << 0;
}

void TestTextParsing::byteField() {
    QFETCH(double, value);
    QFETCH(int, expected);
    const auto field = toByteField(value);
    QCOMPARE(field ? int(*field) : -1, expected);
}

void TestTextParsing::hexTextToBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("spaced pairs") << "01 36 00 0F 4D " << QByteArray::fromHex("0136000F4D");
    QTest::newRow("no spacing") << "0136000F4D" << QByteArray::fromHex("0136000F4D");
    QTest::newRow("odd digits split") << "1 2 3" << QByteArray::fromHex("1203");
    QTest::newRow("odd last digit") << "01 20 0" << QByteArray::fromHex("012000");
    QTest::newRow("odd long") << "1A2" << QByteArray::fromHex("1A02");
    QTest::newRow("lower case") << "ab cd" << QByteArray::fromHex("ABCD");
    QTest::newRow("pair with valid lead digit") << "1Z" << QByteArray::fromHex("01");
    QTest::newRow("pair without lead digit") << "Z1" << QByteArray::fromHex("00");
    QTest::newRow("blanks only") << "   " << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
}

void TestTextParsing::hexTextToBytes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(HexTextToBytes(text), bytes);
}

void TestTextParsing::codePage() {
    QCOMPARE(TextToHex(QStringLiteral("AB")), QStringLiteral("41 42 "));
    QCOMPARE(TextToHex(QStringLiteral("\t")), QStringLiteral("9 "));
    QCOMPARE(TextToHex(QStringLiteral("中")), QStringLiteral("D6D0 "));
    QCOMPARE(TextToHex(QString()), QString());
    QCOMPARE(toCodePage(QStringLiteral("中A")), QByteArray("\xD6\xD0"
                                                           "A"));
    QCOMPARE(fromCodePage(QByteArray("\xD6\xD0")), QStringLiteral("中"));
    // One mark per stray byte; pairs that form a character are shown as it; CR LF stay.
    QCOMPARE(dumpCharacters(QByteArray(":01\r\n")), QStringLiteral(":01\r\n"));
    QCOMPARE(dumpCharacters(QByteArray("\xD6\xD0")), QStringLiteral("中"));
    QCOMPARE(dumpCharacters(QByteArray("\x80\xFF\xD6", 3)), QStringLiteral("\uFFFD\uFFFD\uFFFD"));
    QCOMPARE(dumpCharacters(QByteArray("\x01\x20\x00\x39\xC0", 5)),
             QString(QChar(1)) + QChar(0x20) + QChar(0) + QChar(0x39) + QChar(0xFFFD));
}

QTEST_APPLESS_MAIN(TestTextParsing)
#include "tst_textparsing.moc"
