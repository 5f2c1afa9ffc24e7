#include "BenchWithSimulator.h"

#include <QLabel>

class TestSimConversation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handshakeAndAddressInBothFramings_data();
    void handshakeAndAddressInBothFramings();
};

void TestSimConversation::handshakeAndAddressInBothFramings_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("RTU") << "Modbus RTU";
    QTest::newRow("ASC") << "Modbus ASC";
}

void TestSimConversation::handshakeAndAddressInBothFramings() {
    QFETCH(QString, mode);
    BenchWithSimulator bench;
    QVERIFY(bench.start({QStringLiteral("--addresses"), QStringLiteral("7")}));
    bench.setText("Combo7", mode);
    bench.setText("Text23", QStringLiteral("7"));
    bench.click("Command12");
    QTRY_VERIFY(bench.window.receiveLog().text().contains(QStringLiteral("请求握手命令:\n\r")));
    bench.click("Command13");
    QTRY_VERIFY(
        bench.window.receiveLog().text().contains(QStringLiteral("查询设备地址:当前地址为7\n\r")));
    QVERIFY(!bench.window.receiveLog().text().contains(QStringLiteral("校验错误")));
    QVERIFY(bench.state().contains(QStringLiteral("driver 7")));
}

QTEST_MAIN(TestSimConversation)
#include "tst_simconversation.moc"
