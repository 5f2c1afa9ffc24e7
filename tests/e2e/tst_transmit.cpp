#include "OpenWindow.h"
#include "ReferenceChecksums.h"
#include "ui/LogPane.h"

#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

class TestTransmit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handshake_data();
    void handshake();
    void closedPortLogsNothing();
    void sizeRuleEmptiesLogFirst_data();
    void sizeRuleEmptiesLogFirst();
    void refusedValueSendsNothing();
    void fastSeriesOfSends();
};

void TestTransmit::handshake_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("dump");
    QTest::newRow("RTU") << "Modbus RTU" << QByteArray::fromHex("01200039C0")
                         << QStringLiteral("\u0001 \u00009\uFFFD");
    QTest::newRow("ASC") << "Modbus ASC" << QByteArray(":012000DF\r\n")
                         << QStringLiteral(":012000DF\r\n");
}

void TestTransmit::handshake() {
    QFETCH(QString, mode);
    QFETCH(QByteArray, wire);
    QFETCH(QString, dump);
    PtyPair pty;
    FrmMain window;
    QVERIFY(openOnPty(window, pty));
    window.control<QComboBox>("Combo7")->setEditText(mode);
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QStringLiteral("0"));
    QTest::mouseClick(window.control<QPushButton>("Command12"), Qt::LeftButton);
    QCOMPARE(pty.read(wire.size()), wire);
    QCOMPARE(pty.drain(50), QByteArray());
    const QString hex = QString::fromLatin1(wire.toHex(' ').toUpper()) + u' ';
    QCOMPARE(window.sendLog().text(), QStringLiteral("SndAsc:") + dump + u'\n' +
                                          QStringLiteral("SndHex:") + hex + u'\n' +
                                          QStringLiteral("请求握手命令:\n\r"));
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QString::number(wire.size()));
    auto* pane = window.control<LogPane>("RichTextBox2");
    QTRY_COMPARE(pane->toPlainText().isEmpty(), false);
}

void TestTransmit::closedPortLogsNothing() {
    FrmMain window;
    QTest::mouseClick(window.control<QPushButton>("Command12"), Qt::LeftButton);
    QTest::mouseClick(window.control<QPushButton>("Command16"), Qt::LeftButton);
    QCOMPARE(window.sendLog().text(), QString());
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QStringLiteral("0"));
}

void TestTransmit::sizeRuleEmptiesLogFirst_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("10000 stays") << 10000 << false;
    QTest::newRow("10001 is emptied") << 10001 << true;
}

void TestTransmit::sizeRuleEmptiesLogFirst() {
    QFETCH(int, before);
    QFETCH(bool, emptied);
    PtyPair pty;
    FrmMain window;
    QVERIFY(openOnPty(window, pty));
    window.sendLog().prepend(QString(before, u'x'));
    window.sendLog().addBytes(7);
    QTest::mouseClick(window.control<QPushButton>("Command12"), Qt::LeftButton);
    const QString entry = QStringLiteral("SndAsc:\u0001 \u00009\uFFFD\nSndHex:01 20 00 39 C0 \n"
                                         "请求握手命令:\n\r");
    QCOMPARE(window.sendLog().text(), emptied ? entry : entry + QString(before, u'x'));
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), emptied ? "5" : "12");
}

void TestTransmit::refusedValueSendsNothing() {
    PtyPair pty;
    FrmMain window;
    QVERIFY(openOnPty(window, pty));
    auto* address = window.control<QLineEdit>("Text23");
    address->setText(QStringLiteral("100"));
    window.RecordToList = true;
    QTest::mouseClick(window.control<QPushButton>("Command12"), Qt::LeftButton);
    QCOMPARE(pty.drain(50), QByteArray());
    QCOMPARE(window.sendLog().text(), QString());
    QVERIFY(!window.RecordToList);
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("设备操作地址(Hex)")));
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("0–FF")));
    QVERIFY(!address->styleSheet().isEmpty());
    QTest::keyClick(address, Qt::Key_Backspace);
    QVERIFY(address->styleSheet().isEmpty());
    QTest::mouseClick(window.control<QPushButton>("Command12"), Qt::LeftButton);
    QCOMPARE(pty.read(5), withReferenceCrc(QByteArray::fromHex("102000")));
}

void TestTransmit::fastSeriesOfSends() {
    PtyPair pty;
    FrmMain window;
    window.show();
    QVERIFY(openOnPty(window, pty, QStringLiteral("115200")));
    auto* button = window.control<QPushButton>("Command12");
    QByteArray received;
    for (int i = 0; i < 1000; ++i) {
        button->click();
        QCoreApplication::processEvents();
        received += pty.drain(0);
    }
    received += pty.read(5000 - received.size());
    QCOMPARE(received.size(), 5000);
    QVERIFY(window.sendLog().text().size() <= LogModel::kLimit + 100);
    auto* pane = window.control<LogPane>("RichTextBox2");
    // The view catches up with the model within a refresh period.
    QTRY_VERIFY(pane->toPlainText().startsWith(QStringLiteral("SndAsc:")));
    QTRY_COMPARE(pane->toPlainText().size(), window.sendLog().text().size());
}

QTEST_MAIN(TestTransmit)
#include "tst_transmit.moc"
