#include "OpenWindow.h"
#include "ReferenceChecksums.h"

#include "commands/Lamp.h"

#include <QLabel>
#include <QLineEdit>

namespace {

QByteArray rtu(const char* hex) {
    return withReferenceCrc(QByteArray::fromHex(hex));
}

} // namespace

class TestReceive : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameLogUnderEveryChunking_data();
    void sameLogUnderEveryChunking();
    void sizeRuleAndClear();
    void repliesReachTheirControls();
};

void TestReceive::sameLogUnderEveryChunking_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("log");
    const QByteArray speed = rtu("0126040000"
                                 "03E8");
    const QByteArray ack = rtu("012000");
    QByteArray flipped = speed;
    flipped[2] = char(flipped[2] ^ 0x01);
    QTest::newRow("two replies") << ack + speed
                                 << QStringLiteral("查询运动初速度:\n\r") + "请求握手命令:\n\r";
    QTest::newRow("garbage then reply")
        << QByteArray("\xFF\x00", 2) + ack << QStringLiteral("请求握手命令:\n\r");
    QTest::newRow("flipped bit") << flipped << QStringLiteral("接收数据校验错误(CRC)，未解码:\n\r");
    QTest::newRow("ASC") << QByteArray(":012000DF\r\n") << QStringLiteral("请求握手命令:\n\r");
}

void TestReceive::sameLogUnderEveryChunking() {
    QFETCH(QByteArray, stream);
    QFETCH(QString, log);
    QString reference;
    // All at once, byte by byte, and every two-way split.
    QList<QList<int>> cutSets{{}};
    QList<int> everyByte;
    for (int i = 1; i < stream.size(); ++i) {
        everyByte << i;
        cutSets << QList<int>{i};
    }
    cutSets << everyByte;
    for (const QList<int>& cuts : cutSets) {
        PtyPair pty;
        FrmMain window;
        QVERIFY(openOnPty(window, pty, QStringLiteral("115200")));
        int from = 0;
        QList<int> ends = cuts;
        ends << int(stream.size());
        for (const int end : ends) {
            QVERIFY(pty.write(stream.mid(from, end - from)));
            from = end;
            // Let the workbench read this piece on its own before the next one.
            QTest::qWait(2);
        }
        QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QString::number(stream.size()));
        QTest::qWait(40);
        if (reference.isEmpty()) {
            reference = window.receiveLog().text();
            // The plain-language lines, newest first.
            qsizetype at = 0;
            for (const QString& line : log.split(u'\r', Qt::SkipEmptyParts)) {
                const qsizetype found = reference.indexOf(line + u'\r', at);
                QVERIFY2(found >= at, qPrintable(line));
                at = found + line.size();
            }
            QCOMPARE(reference.count(QStringLiteral("\n\r")), log.count(u'\r'));
        }
        QCOMPARE(window.receiveLog().text(), reference);
    }
}

void TestReceive::sizeRuleAndClear() {
    PtyPair pty;
    FrmMain window;
    QVERIFY(openOnPty(window, pty));
    window.receiveLog().prepend(QString(10001, u'x'));
    window.receiveLog().addBytes(3);
    QVERIFY(pty.write(rtu("012000")));
    QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QStringLiteral("5"));
    QCOMPARE(
        window.receiveLog().text(),
        QStringLiteral("RecAsc:\u0001 \u00009\uFFFD\nRecHex:01 20 00 39 C0 \n请求握手命令:\n\r"));
    QTest::mouseClick(window.control<QPushButton>("Command36"), Qt::LeftButton);
    QCOMPARE(window.receiveLog().text(), QString());
    QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QStringLiteral("0"));
}

void TestReceive::repliesReachTheirControls() {
    PtyPair pty;
    FrmMain window;
    QVERIFY(openOnPty(window, pty));
    // Several replies in one write: each is decoded on its own.
    QVERIFY(pty.write(rtu("0126040000"
                          "03E8") +
                      rtu("013B0405010201") + rtu("0142050100010002") +
                      rtu("01410502010300"
                          "0A") +
                      rtu("016004FFFFFFFF")));
    QTRY_COMPARE(window.control<QLineEdit>("Text31")->text(), QStringLiteral("01 03 00 0A "));
    QTRY_COMPARE(window.control<QLineEdit>("Text4")->text(), QStringLiteral("-1"));
    QCOMPARE(window.control<QLineEdit>("Text27")->text(), QStringLiteral(" 1000"));
    QCOMPARE(window.control<QLabel>("Label15")->text(), QStringLiteral("运动中"));
    const QColor red(255, 0, 0);
    const QColor off = window.palette().color(QPalette::WindowText);
    const QList<std::pair<const char*, QColor>> lamps{
        {"Shape1", red}, {"Shape2", off}, {"Shape3", red}, {"Shape4", off}, {"Shape5", off},
        {"Shape6", red}, {"Shape7", off}, {"Shape8", red}, {"Shape9", red}};
    for (const auto& [name, colour] : lamps) {
        QCOMPARE(window.control<Lamp>(name)->fillColor(), colour);
    }
}

QTEST_MAIN(TestReceive)
#include "tst_receive.moc"
