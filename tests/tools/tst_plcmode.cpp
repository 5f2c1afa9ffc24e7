#include "MessageBoxWatcher.h"
#include "OpenWorkbench.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// "on" or "off" when the four controls of the mode agree, "mixed" otherwise.
QString plcControls(const OpenWorkbench& bench) {
    int enabled = 0;
    for (const char* name : {"Command3", "Option3", "Option4", "Text34"}) {
        enabled += bench.get(name)->isEnabled() ? 1 : 0;
    }
    return enabled == 4   ? QStringLiteral("on")
           : enabled == 0 ? QStringLiteral("off")
                          : QStringLiteral("mixed");
}

} // namespace

class TestPlcMode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkBoxSwitchesItsControls();
    void ioButtonsSwitchModeOff_data();
    void ioButtonsSwitchModeOff();
    void mapsButtonRequests_data();
    void mapsButtonRequests();
    void logNamesCommandAboveMarker();
    void registerBaseIsSentUnmapped_data();
    void registerBaseIsSentUnmapped();
    void registerBaseOutOfRange_data();
    void registerBaseOutOfRange();
    void unmappableFrameIsNotSent();
};

void TestPlcMode::checkBoxSwitchesItsControls() {
    OpenWorkbench bench(false);
    QCOMPARE(plcControls(bench), QStringLiteral("off"));
    bench.setPlcMode(true);
    QVERIFY(bench.get<QCheckBox>("Check2")->isChecked());
    QCOMPARE(plcControls(bench), QStringLiteral("on"));
    bench.setPlcMode(false);
    QCOMPARE(plcControls(bench), QStringLiteral("off"));
}

void TestPlcMode::ioButtonsSwitchModeOff_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("read IO substitution") << "Command88";
    QTest::newRow("download IO substitution") << "Command81";
}

void TestPlcMode::ioButtonsSwitchModeOff() {
    QFETCH(QString, button);
    OpenWorkbench bench(false);
    bench.setPlcMode(true);
    bench.click(qPrintable(button));
    QVERIFY(!bench.get<QCheckBox>("Check2")->isChecked());
    QCOMPARE(plcControls(bench), QStringLiteral("off"));
}

void TestPlcMode::mapsButtonRequests_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("handshake") << "Modbus RTU"
                               << "0"
                               << "Command12" << hex("0103002000004400");
    QTest::newRow("address change to 2") << "Modbus RTU"
                                         << "0"
                                         << "Command14" << hex("011000220002040200000071D6");
    QTest::newRow("line speed query, base 1000") << "Modbus RTU"
                                                 << "1000"
                                                 << "Command15" << hex("0103040B0002B4F9");
    QTest::newRow("ASC handshake") << "Modbus ASC"
                                   << "0"
                                   << "Command12" << hex("0103002000004400");
    QTest::newRow("ASC address change") << "Modbus ASC"
                                        << "0"
                                        << "Command14" << hex("011000220002040200000071D6");
    QTest::newRow("base edited but not sent") << "Modbus RTU"
                                              << "65535"
                                              << "Command12" << hex("0103001F0000740C");
}

void TestPlcMode::mapsButtonRequests() {
    QFETCH(QString, mode);
    QFETCH(QString, base);
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    OpenWorkbench bench;
    bench.get<QComboBox>("Combo7")->setEditText(mode);
    bench.type("Text7", QStringLiteral("2"));
    bench.setPlcMode(true);
    bench.type("Text34", base);
    bench.click(qPrintable(button));
    QTRY_COMPARE(bench.line().toHex(' '), sent.toHex(' '));
    QTRY_COMPARE(bench.get<QLabel>("Label44")->text(), QString::number(sent.size()));
    QVERIFY(bench.get<QCheckBox>("Check2")->isChecked());
}

void TestPlcMode::logNamesCommandAboveMarker() {
    OpenWorkbench bench;
    bench.setPlcMode(true);
    bench.click("Command12");
    QCOMPARE(bench.window->sendLog().text(),
             QStringLiteral("SndAsc:\x01\x03") + QChar(0) + QStringLiteral(" ") + QChar(0) +
                 QChar(0) + QStringLiteral("D") + QChar(0) +
                 QStringLiteral("\nSndHex:01 03 00 20 00 00 44 00 \n西门子标准格式:\n\r"
                                "请求握手命令:\n\r"));
}

void TestPlcMode::registerBaseIsSentUnmapped_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("1000") << "1000" << hex("013F04000003E8FFB1");
    QTest::newRow("65503, the highest accepted") << "65503" << hex("013F040000FFDFFF67");
}

// The base goes out in the drivers' own form and the mode is on again afterwards.
void TestPlcMode::registerBaseIsSentUnmapped() {
    QFETCH(QString, base);
    QFETCH(QByteArray, sent);
    OpenWorkbench bench;
    bench.setPlcMode(true);
    bench.get<QRadioButton>("Option4")->setChecked(true);
    bench.type("Text34", base);
    bench.click("Command3");
    QTRY_COMPARE(bench.line().toHex(' '), sent.toHex(' '));
    QVERIFY(bench.get<QCheckBox>("Check2")->isChecked());
    QCOMPARE(plcControls(bench), QStringLiteral("on"));
    QVERIFY(bench.window->sendLog().text().contains(QStringLiteral("设置存储器偏移地址:")));
    QVERIFY(!bench.window->sendLog().text().contains(QStringLiteral("西门子标准格式")));
}

void TestPlcMode::registerBaseOutOfRange_data() {
    QTest::addColumn<QString>("base");
    QTest::newRow("65504") << "65504";
    QTest::newRow("-1") << "-1";
}

void TestPlcMode::registerBaseOutOfRange() {
    QFETCH(QString, base);
    OpenWorkbench bench;
    MessageBoxWatcher boxes;
    bench.setPlcMode(true);
    bench.type("Text34", base);
    bench.click("Command3");
    QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("偏移地址超出范围,请设置0-65500之间")});
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("系统提示")});
    QVERIFY(!bench.get<QCheckBox>("Check2")->isChecked());
    QCOMPARE(plcControls(bench), QStringLiteral("off"));
    QCOMPARE(bench.window->sendLog().text(), QString());
    // Nothing went out before the next request.
    bench.click("Command12");
    QTRY_COMPARE(bench.line().toHex(' '), hex("01200039C0").toHex(' '));
}

// Only a replayed command-list line can carry more than 20 data bytes.
void TestPlcMode::unmappableFrameIsNotSent() {
    OpenWorkbench bench;
    bench.setPlcMode(true);
    bench.get<QRadioButton>("Option4")->setChecked(true);
    bench.window->SendComm(hex("014C15"
                               "0102030405060708090A0B0C0D0E0F101112131415"
                               "0000"));
    QVERIFY(bench.window->sendLog().text().contains(QStringLiteral("数据长度 21")));
    QTRY_COMPARE(bench.get<QLabel>("Label44")->text(), QStringLiteral("0"));
    bench.setPlcMode(false);
    bench.click("Command12");
    QTRY_COMPARE(bench.line().toHex(' '), hex("01200039C0").toHex(' '));
}

QTEST_MAIN(TestPlcMode)
#include "tst_plcmode.moc"
