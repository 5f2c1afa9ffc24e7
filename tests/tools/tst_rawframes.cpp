#include "tools/RawFrames.h"

#include <QTest>

class TestRawFrames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textBytes_data();
    void textBytes();
    void textToHex_data();
    void textToHex();
    void refusesWhatHexBoxCannotShow();
};

void TestRawFrames::textBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("ASCII") << "AB 1" << QByteArray("AB 1") << "";
    QTest::newRow("double-byte character as its two bytes")
        << QStringLiteral("中") << QByteArray::fromHex("D6D0") << "";
    QTest::newRow("full-width comma") << QStringLiteral("，") << QByteArray::fromHex("A3AC") << "";
    QTest::newRow("Thai letter") << QStringLiteral("a\u0E01") << QByteArray() << "\u0E01";
    QTest::newRow("emoji") << QStringLiteral("\U0001F600") << QByteArray() << "\U0001F600";
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray() << "GBK";
    QTest::newRow("longest text") << QString(32767, u'x') << QByteArray(32767, 'x') << "";
}

void TestRawFrames::textBytes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    const TextBytes result = rawTextBytes(text);
    QCOMPARE(result.bytes.toHex(' '), bytes.toHex(' '));
    if (problem.isEmpty()) {
        QCOMPARE(result.problem, QString());
    } else {
        QVERIFY2(result.problem.contains(problem), qPrintable(result.problem));
    }
}

void TestRawFrames::textToHex_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("AB") << "AB"
                        << "41 42 ";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no leading zero") << "\t\n"
                                     << "9 A ";
    QTest::newRow("double-byte character") << QStringLiteral("中A") << "D6D0 41 ";
}

void TestRawFrames::textToHex() {
    QFETCH(QString, text);
    QFETCH(QString, hex);
    const HexText result = rawTextToHex(text);
    QCOMPARE(result.hex, hex);
    QCOMPARE(result.problem, QString());
}

// A conversion the hex box cannot show (too long for it, or a character without a GBK code)
// is refused rather than cut short or guessed.
void TestRawFrames::refusesWhatHexBoxCannotShow() {
    QVERIFY(!rawTextBytes(QString(32768, u'x')).problem.isEmpty());
    QVERIFY(!rawTextToHex(QString(32768, u'x')).problem.isEmpty());
    QVERIFY(rawTextToHex(QStringLiteral("a\u0E01")).problem.contains(QStringLiteral("\u0E01")));
    QCOMPARE(rawTextToHex(QString(10922, u'x')).hex.size(), 32766);
    const HexText tooLong = rawTextToHex(QString(10923, u'x'));
    QCOMPARE(tooLong.hex, QString());
    QVERIFY(tooLong.problem.contains(QStringLiteral("32769")));
}

QTEST_APPLESS_MAIN(TestRawFrames)
#include "tst_rawframes.moc"
