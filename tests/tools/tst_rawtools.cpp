#include "OpenWorkbench.h"

#include <QLabel>
#include <QListWidget>
#include <QStatusBar>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

QStringList entries(const OpenWorkbench& bench) {
    QStringList items;
    auto* list = bench.get<QListWidget>("List1");
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

} // namespace

class TestRawTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendsUnmapped_data();
    void sendsUnmapped();
    void crcButtonsShowBothOrders();
    void crcButtonsKeepBoxesWithoutBytes();
    void convertsTextToHex_data();
    void convertsTextToHex();
    void companionRecordsFrameAndSends();
    void companionWithEmptyBoxLeavesFlagForString();
    void recordsEvenWithPortClosed();
    void refusesTextOutsideCodePage();
};

void TestRawTools::sendsUnmapped_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("RTU") << "Text1"
                         << "01 20 00"
                         << "Command11" << hex("01200039C0");
    QTest::newRow("ASC") << "Text1"
                         << "01 20 00"
                         << "Command10" << QByteArray(":012000DF\r\n");
    QTest::newRow("hex as typed") << "Text1"
                                  << "01 20 00"
                                  << "Command1" << hex("012000");
    QTest::newRow("blanks between digits") << "Text1"
                                           << "1 2 3"
                                           << "Command1" << hex("1203");
    QTest::newRow("odd digit count") << "Text1"
                                     << "01 20 0"
                                     << "Command1" << hex("012000");
    QTest::newRow("lower case, odd") << "Text1"
                                     << "1a2"
                                     << "Command1" << hex("1A02");
    QTest::newRow("string") << "Text5"
                            << "AB"
                            << "Command37" << QByteArray("AB");
    QTest::newRow("string with a double-byte character")
        << "Text5" << QStringLiteral("中A") << "Command37" << hex("D6D041");
}

// Each send button switches the PLC mode off first, so the frame goes out as built.
void TestRawTools::sendsUnmapped() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    OpenWorkbench bench;
    bench.setPlcMode(true);
    QVERIFY(bench.get("Text34")->isEnabled());
    bench.type(qPrintable(box), text);
    bench.click(qPrintable(button));
    QTRY_COMPARE(bench.line().toHex(' '), sent.toHex(' '));
    QVERIFY(!bench.get<QCheckBox>("Check2")->isChecked());
    for (const char* name : {"Command3", "Option3", "Option4", "Text34"}) {
        QVERIFY2(!bench.get(name)->isEnabled(), name);
    }
    QVERIFY(!bench.window->sendLog().text().contains(QStringLiteral("西门子标准格式")));
    QTRY_COMPARE(bench.get<QLabel>("Label44")->text(), QString::number(sent.size()));
    QVERIFY(entries(bench).isEmpty());
}

void TestRawTools::crcButtonsShowBothOrders() {
    OpenWorkbench bench(false);
    bench.setPlcMode(true);
    bench.type("Text1", QStringLiteral("01 20 00"));
    bench.click("Command8");
    QCOMPARE(bench.get<QLineEdit>("Text2")->text(), QStringLiteral("39"));
    QCOMPARE(bench.get<QLineEdit>("Text3")->text(), QStringLiteral("C0"));
    for (int press = 0; press < 2; ++press) {
        bench.click("Command2");
        QCOMPARE(bench.get<QLineEdit>("Text2")->text(), QStringLiteral("C0"));
        QCOMPARE(bench.get<QLineEdit>("Text3")->text(), QStringLiteral("39"));
    }
    QVERIFY(bench.get<QCheckBox>("Check2")->isChecked());
}

void TestRawTools::crcButtonsKeepBoxesWithoutBytes() {
    OpenWorkbench bench(false);
    bench.type("Text2", QStringLiteral("AA"));
    bench.type("Text3", QStringLiteral("BB"));
    for (const QString& typed : {QString(), QStringLiteral("   ")}) {
        bench.type("Text1", typed);
        bench.click("Command8");
        bench.click("Command2");
        QCOMPARE(bench.get<QLineEdit>("Text2")->text(), QStringLiteral("AA"));
        QCOMPARE(bench.get<QLineEdit>("Text3")->text(), QStringLiteral("BB"));
    }
}

void TestRawTools::convertsTextToHex_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hexText");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("AB") << "AB"
                        << "41 42 " << hex("4142");
    QTest::newRow("double-byte character") << QStringLiteral("中") << "D6D0 " << hex("D6D0");
    QTest::newRow("tab has no leading zero") << "\t"
                                             << "9 " << hex("09");
}

// The hex box then holds what a following "发16进制" sends.
void TestRawTools::convertsTextToHex() {
    QFETCH(QString, text);
    QFETCH(QString, hexText);
    QFETCH(QByteArray, sent);
    OpenWorkbench bench;
    bench.type("Text5", text);
    bench.click("Command5");
    QCOMPARE(bench.get<QLineEdit>("Text1")->text(), hexText);
    QCOMPARE(bench.window->sendLog().text(), QString());
    bench.click("Command1");
    QTRY_COMPARE(bench.line().toHex(' '), sent.toHex(' '));
}

void TestRawTools::companionRecordsFrameAndSends() {
    OpenWorkbench bench;
    bench.setPlcMode(true);
    bench.type("Text1", QStringLiteral("01 20 00"));
    QCOMPARE(bench.get<QPushButton>("Command80")->toolTip(), QStringLiteral("添加高级命令"));
    bench.click("Command80");
    QCOMPARE(entries(bench), QStringList{QStringLiteral("01 20 00 39 C0 ")});
    QVERIFY(!bench.window->RecordToList);
    QVERIFY(!bench.get<QCheckBox>("Check2")->isChecked());
    bench.click("Command11");
    QCOMPARE(entries(bench).size(), 1);
    bench.click("Command77");
    QCOMPARE(entries(bench).last(), QStringLiteral("3A 30 31 32 30 30 30 44 46 0D 0A "));
    bench.click("Command79");
    QCOMPARE(entries(bench).last(), QStringLiteral("01 20 00 "));
    QTRY_COMPARE(
        bench.line().toHex(' '),
        (hex("01200039C0") + hex("01200039C0") + ":012000DF\r\n" + hex("012000")).toHex(' '));
}

void TestRawTools::companionWithEmptyBoxLeavesFlagForString() {
    OpenWorkbench bench;
    bench.click("Command79");
    QVERIFY(entries(bench).isEmpty());
    QVERIFY(bench.window->RecordToList);
    bench.type("Text5", QStringLiteral("AB"));
    bench.click("Command37");
    QCOMPARE(entries(bench), QStringList{QStringLiteral("AB")});
    QVERIFY(!bench.window->RecordToList);
    QTRY_COMPARE(bench.line(), QByteArray("AB"));
}

void TestRawTools::recordsEvenWithPortClosed() {
    OpenWorkbench bench(false);
    bench.type("Text1", QStringLiteral("01 20 00"));
    bench.click("Command80");
    QCOMPARE(entries(bench), QStringList{QStringLiteral("01 20 00 39 C0 ")});
    QCOMPARE(bench.window->sendLog().text(), QString());
    QTRY_COMPARE(bench.get<QLabel>("Label44")->text(), QStringLiteral("0"));
}

// Nothing is guessed for a character GBK has no code for: the user is told, nothing is sent.
void TestRawTools::refusesTextOutsideCodePage() {
    OpenWorkbench bench;
    bench.window->RecordToList = true;
    bench.type("Text5", QStringLiteral("A\u0E01"));
    bench.click("Command37");
    QVERIFY(bench.window->statusBar()->currentMessage().contains(QStringLiteral("\u0E01")));
    QVERIFY(entries(bench).isEmpty());
    QVERIFY(!bench.window->RecordToList);
    bench.type("Text1", QStringLiteral("55"));
    bench.click("Command1");
    QTRY_COMPARE(bench.line(), hex("55"));
}

QTEST_MAIN(TestRawTools)
#include "tst_rawtools.moc"
