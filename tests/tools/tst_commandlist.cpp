#include "tools/CommandList.h"

#include <QTest>

namespace {

// One tick as "sent bytes (hex, '-' for nothing) next-index interval".
QString describe(const ListStep& step) {
    const QString sent =
        step.frame.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(step.frame.toHex());
    return QStringLiteral("%1 %2 %3").arg(sent).arg(step.nextIndex).arg(step.interval);
}

QString tick(const QStringList& entries, qint16& index, int gap) {
    const ListStep step = stepCommandList(
        entries.size(), [&entries](qsizetype row) { return entries.at(row); }, index, gap);
    index = step.nextIndex;
    return describe(step);
}

} // namespace

class TestCommandList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ticks_data();
    void ticks();
    void editsWhileRunning();
    void longListStartsOverWhereThePositionEnds();
    void gapText_data();
    void gapText();
    void delayLimits_data();
    void delayLimits();
};

void TestCommandList::ticks_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("gap");
    QTest::addColumn<QStringList>("trace");

    const QString a = QStringLiteral("0A");
    const QString b = QStringLiteral("0B");
    const QString c = QStringLiteral("0C");
    QTest::newRow("delay is the gap after the entry before it")
        << QStringList{a, "Delay:300", b} << 1000
        << QStringList{"0a 2 300", "0b 0 1000", "0a 2 300", "0b 0 1000"};
    QTest::newRow("delay in first position costs one tick")
        << QStringList{"Delay:300", a, b} << 1000
        << QStringList{"- 1 1000", "0a 2 1000", "0b 0 1000", "- 1 1000"};
    QTest::newRow("delay as last entry is the gap back to the top")
        << QStringList{a, b, "Delay:300"} << 700 << QStringList{"0a 1 700", "0b 0 300", "0a 1 700"};
    QTest::newRow("GoIdx:0 repeats the entry before it")
        << QStringList{a, "GoIdx:0"} << 500 << QStringList{"0a 0 500", "0a 0 500", "0a 0 500"};
    QTest::newRow("jump back never reaches the entry after it")
        << QStringList{a, b, "GoIdx:0", c} << 500
        << QStringList{"0a 1 500", "0b 0 500", "0a 1 500", "0b 0 500"};
    QTest::newRow("GoIdx:4 in four entries idles")
        << QStringList{a, "GoIdx:4", b, c} << 500
        << QStringList{"0a 4 500", "- 4 1000", "- 4 1000"};
    QTest::newRow("GoIdx:5 in four entries is ignored")
        << QStringList{a, "GoIdx:5", b, c} << 500
        << QStringList{"0a 1 500", "- 2 500", "0b 3 500", "0c 0 500"};
    QTest::newRow("negative jump idles")
        << QStringList{a, "GoIdx:-1"} << 500 << QStringList{"0a -1 500", "- -1 1000"};
    QTest::newRow("jump beyond a 16-bit position is ignored")
        << QStringList{a, "GoIdx:-40000", b} << 500
        << QStringList{"0a 1 500", "- 2 500", "0b 0 500"};
    QTest::newRow("unreadable jump goes to the top")
        << QStringList{a, b, "GoIdx:x"} << 500 << QStringList{"0a 1 500", "0b 0 500"};
    QTest::newRow("empty entry idles for ever")
        << QStringList{a, "", b} << 500 << QStringList{"0a 1 500", "- 1 1000", "- 1 1000"};
    QTest::newRow("empty list idles") << QStringList{} << 500 << QStringList{"- 0 1000"};
    QTest::newRow("delay of 0 stops the ticks")
        << QStringList{a, "Delay:0", b} << 1000 << QStringList{"0a 2 0"};
    QTest::newRow("unreadable delay reads as 0")
        << QStringList{a, "Delay:x", b} << 1000 << QStringList{"0a 2 0"};
    QTest::newRow("delay above 65535 keeps the gap but is stepped over")
        << QStringList{a, "Delay:65536", b} << 1000 << QStringList{"0a 2 1000", "0b 0 1000"};
    QTest::newRow("negative delay keeps the gap")
        << QStringList{a, "Delay:-5", b} << 1000 << QStringList{"0a 2 1000"};
    QTest::newRow("delay 65535 is used")
        << QStringList{a, "Delay:65535"} << 1000 << QStringList{"0a 0 65535"};
    QTest::newRow("delay ties round to even") << QStringList{a, "Delay:300.5", b, "Delay=301.5"}
                                              << 1000 << QStringList{"0a 2 300", "0b 0 302"};
    QTest::newRow("separator is never looked at")
        << QStringList{a, "Delay 250", b} << 1000 << QStringList{"0a 2 250"};
    QTest::newRow("lower-case delay is a hex line")
        << QStringList{a, "delay:300"} << 1000 << QStringList{"0a 1 1000", "de00003000 0 1000"};
    QTest::newRow("five characters are a hex line")
        << QStringList{a, "Delay"} << 1000 << QStringList{"0a 1 1000", "de0000 0 1000"};
    QTest::newRow("hex line spacing and case")
        << QStringList{"0136000f4d", "01 36 00 0F 4D ", "1 2 3"} << 10
        << QStringList{"0136000f4d 1 10", "0136000f4d 2 10", "1203 0 10"};
    QTest::newRow("blank entry sends nothing but paces")
        << QStringList{" ", a} << 10 << QStringList{"- 1 10", "0a 0 10"};
}

void TestCommandList::ticks() {
    QFETCH(QStringList, entries);
    QFETCH(int, gap);
    QFETCH(QStringList, trace);
    qint16 index = 0;
    QStringList seen;
    for (qsizetype i = 0; i < trace.size(); ++i) {
        seen << tick(entries, index, gap);
    }
    QCOMPARE(seen, trace);
}

void TestCommandList::editsWhileRunning() {
    QStringList entries{"0A", "0B", "0C"};
    qint16 index = 0;
    QCOMPARE(tick(entries, index, 100), QStringLiteral("0a 1 100"));
    // Deleting before the position skips one entry.
    entries.removeFirst();
    QCOMPARE(tick(entries, index, 100), QStringLiteral("0c 0 100"));
    QCOMPARE(tick(entries, index, 100), QStringLiteral("0b 1 100"));
    // A position beyond the new end idles until entries reach it again.
    entries.clear();
    QCOMPARE(tick(entries, index, 100), QStringLiteral("- 1 1000"));
    entries << "0D";
    QCOMPARE(tick(entries, index, 100), QStringLiteral("- 1 1000"));
    entries << "0E"
            << "Delay:40";
    QCOMPARE(tick(entries, index, 100), QStringLiteral("0e 0 40"));
}

void TestCommandList::longListStartsOverWhereThePositionEnds() {
    const QStringList entries(40000, QStringLiteral("0A"));
    qint16 index = 32767;
    QCOMPARE(tick(entries, index, 100), QStringLiteral("0a 0 100"));
}

void TestCommandList::gapText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("gap"); // 0: refused
    QTest::newRow("default") << "1000" << 1000;
    QTest::newRow("smallest") << "1" << 1;
    QTest::newRow("largest") << "65535" << 65535;
    QTest::newRow("blanks are ignored") << " 2 50 " << 250;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("unreadable") << "abc" << 0;
    QTest::newRow("too large") << "65536" << 0;
    QTest::newRow("negative") << "-10" << 0;
    QTest::newRow("fraction") << "10.5" << 0;
    QTest::newRow("huge") << "1e400" << 0;
}

void TestCommandList::gapText() {
    QFETCH(QString, text);
    QFETCH(int, gap);
    QCOMPARE(gapFromText(text).value_or(0), gap);
}

void TestCommandList::delayLimits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("7 becomes 50") << "7"
                                  << "50";
    QTest::newRow("70000 becomes 60000") << "70000"
                                         << "60000";
    QTest::newRow("empty becomes 50") << ""
                                      << "50";
    QTest::newRow("unreadable becomes 50") << "x"
                                           << "50";
    QTest::newRow("50 stays") << "50"
                              << "50";
    QTest::newRow("60000 stays") << "60000"
                                 << "60000";
    QTest::newRow("fraction inside stays") << "300.5"
                                           << "300.5";
    QTest::newRow("text after a number stays") << "300ms"
                                               << "300ms";
}

void TestCommandList::delayLimits() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(limitDelayText(text).value_or(text), shown);
    QVERIFY(!limitDelayText(shown)); // the replacement is left alone when tested again
}

QTEST_APPLESS_MAIN(TestCommandList)
#include "tst_commandlist.moc"
