#include "BenchWithSimulator.h"
#include "commands/Lamp.h"

#include <memory>

// The closed-loop panel and the IO, CAN and other panel in whole conversations with the
// simulator: what the buttons send changes the simulated driver, and what it answers reaches
// the boxes and lamps.
class TestSimClosedLoopIo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void gearRatioSetAndQueried_data();
    void gearRatioSetAndQueried();
    void closedLoopMoveReachesItsTarget_data();
    void closedLoopMoveReachesItsTarget();
    void closedLoopPositionZeroed_data();
    void closedLoopPositionZeroed();
    void errorCodeReachesItsBoxOnlyInEightByteReplies_data();
    void errorCodeReachesItsBoxOnlyInEightByteReplies();
    void inputsReadIntoLamps_data();
    void inputsReadIntoLamps();
    void outputsSwitchedInTheDriver();

private:
    bool settledAt(const QString& closedLoop);
    QString lamps() const;

    std::unique_ptr<BenchWithSimulator> bench;
};

// Motion needs more than the default wait: a short move and its ramps take well under a
// second, but a loaded machine may delay the simulator.
constexpr int kMotionTimeoutMs = 15000;

void TestSimClosedLoopIo::init() {
    bench = std::make_unique<BenchWithSimulator>();
    QVERIFY(bench->start());
}

void TestSimClosedLoopIo::cleanup() {
    bench.reset();
}

// The driver stands still with this closed-loop line in its state summary.
bool TestSimClosedLoopIo::settledAt(const QString& closedLoop) {
    const QString summary = bench->state();
    return summary.contains(QStringLiteral("  stopped,")) &&
           summary.contains(QStringLiteral("closed loop: ") + closedLoop);
}

// The input lamps IN1 to IN5 as R (red) or - (window-text colour), anything else as ?.
QString TestSimClosedLoopIo::lamps() const {
    const QColor off = bench->window.palette().color(QPalette::WindowText);
    QString shown;
    for (const char* name : {"Shape5", "Shape6", "Shape7", "Shape8", "Shape9"}) {
        const QColor fill = bench->window.control<Lamp>(QLatin1String(name))->fillColor();
        shown += fill == QColor(255, 0, 0) ? u'R' : fill == off ? u'-' : u'?';
    }
    return shown;
}

void TestSimClosedLoopIo::gearRatioSetAndQueried_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QByteArray>("setButton");
    QTest::addColumn<QByteArray>("queryButton");
    QTest::addColumn<QString>("inDriver");
    QTest::newRow("numerator, RTU")
        << "Modbus RTU" << QByteArray("Text4") << QByteArray("Command63") << QByteArray("Command9")
        << "gear 5/1";
    QTest::newRow("denominator, RTU")
        << "Modbus RTU" << QByteArray("Text39") << QByteArray("Command71")
        << QByteArray("Command72") << "gear 1/5";
    QTest::newRow("numerator, ASC")
        << "Modbus ASC" << QByteArray("Text4") << QByteArray("Command63") << QByteArray("Command9")
        << "gear 5/1";
    QTest::newRow("denominator, ASC")
        << "Modbus ASC" << QByteArray("Text39") << QByteArray("Command71")
        << QByteArray("Command72") << "gear 1/5";
}

void TestSimClosedLoopIo::gearRatioSetAndQueried() {
    QFETCH(QString, mode);
    QFETCH(QByteArray, box);
    QFETCH(QByteArray, setButton);
    QFETCH(QByteArray, queryButton);
    QFETCH(QString, inDriver);
    bench->setText("Combo7", mode);
    bench->setText(box.constData(), QStringLiteral("5"));
    bench->click(setButton.constData());
    QTRY_VERIFY(bench->state().contains(inDriver));

    // The query overwrites what is typed in the box the set button reads.
    bench->setText(box.constData(), QStringLiteral("77"));
    bench->click(queryButton.constData());
    QTRY_COMPARE(bench->text(box.constData()), QStringLiteral(" 5"));
    QVERIFY(!bench->window.receiveLog().text().contains(QStringLiteral("校验错误")));
}

void TestSimClosedLoopIo::closedLoopMoveReachesItsTarget_data() {
    QTest::addColumn<QString>("numerator");
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("moveButton");
    QTest::addColumn<QString>("position");
    QTest::newRow("to a closed-loop position")
        << "1" << QByteArray("Text21") << "1000" << QByteArray("Command35") << "1000";
    QTest::newRow("to a negative position through gear 2/1")
        << "2" << QByteArray("Text21") << "-600" << QByteArray("Command35") << "-600";
    QTest::newRow("back by quadruple-rate feedback pulses")
        << "1" << QByteArray("Text35") << "-800" << QByteArray("Command4") << "-800";
    QTest::newRow("by feedback pulses, four counts each")
        << "1" << QByteArray("Text36") << "250" << QByteArray("Command107") << "1000";
}

void TestSimClosedLoopIo::closedLoopMoveReachesItsTarget() {
    QFETCH(QString, numerator);
    QFETCH(QByteArray, box);
    QFETCH(QString, value);
    QFETCH(QByteArray, moveButton);
    QFETCH(QString, position);
    bench->setText("Text4", numerator);
    bench->click("Command63");
    QTRY_VERIFY(bench->state().contains(QStringLiteral("gear %1/1").arg(numerator)));

    bench->setText(box.constData(), value);
    bench->click(moveButton.constData());
    QTRY_VERIFY_WITH_TIMEOUT(
        settledAt(QStringLiteral("gear %1/1, absolute %2, relative %2, error 0")
                      .arg(numerator, position)),
        kMotionTimeoutMs);

    bench->click("Command46");
    bench->click("Command47");
    const QString shown = position.startsWith(u'-') ? position : u' ' + position;
    QTRY_COMPARE(bench->text("Text37"), shown);
    QTRY_COMPARE(bench->text("Text38"), shown);
}

void TestSimClosedLoopIo::closedLoopPositionZeroed_data() {
    QTest::addColumn<QByteArray>("zeroButton");
    QTest::addColumn<QString>("absolute");
    QTest::addColumn<QString>("relative");
    QTest::newRow("absolute") << QByteArray("Command48") << " 0"
                              << " 700";
    QTest::newRow("relative") << QByteArray("Command49") << " 700"
                              << " 0";
}

void TestSimClosedLoopIo::closedLoopPositionZeroed() {
    QFETCH(QByteArray, zeroButton);
    QFETCH(QString, absolute);
    QFETCH(QString, relative);
    bench->setText("Text21", QStringLiteral("700"));
    bench->click("Command35");
    QTRY_VERIFY_WITH_TIMEOUT(settledAt(QStringLiteral("gear 1/1, absolute 700, relative 700")),
                             kMotionTimeoutMs);

    bench->click(zeroButton.constData());
    bench->click("Command46");
    bench->click("Command47");
    QTRY_COMPARE(bench->text("Text37"), absolute);
    QTRY_COMPARE(bench->text("Text38"), relative);
}

void TestSimClosedLoopIo::errorCodeReachesItsBoxOnlyInEightByteReplies_data() {
    QTest::addColumn<QByteArray>("replyLengthButton");
    QTest::addColumn<QString>("errorBox");
    // The code of a stopped move is one data byte: a protocol-length reply is too short to
    // carry a value, padded to 8 bytes it shows.
    QTest::newRow("8-byte replies") << QByteArray("Command104") << " 1";
    QTest::newRow("protocol-length replies") << QByteArray("Command105") << "128";
}

void TestSimClosedLoopIo::errorCodeReachesItsBoxOnlyInEightByteReplies() {
    QFETCH(QByteArray, replyLengthButton);
    QFETCH(QString, errorBox);
    bench->click(replyLengthButton.constData());
    bench->setText("Text21", QStringLiteral("100000"));
    bench->click("Command35");
    bench->click("Command23");
    QTRY_VERIFY(bench->state().contains(QStringLiteral("error 1")));

    // No button asks for the error code: the raw tool sends the query.
    bench->setText("Text1", QStringLiteral("01 64 00"));
    bench->click("Command11");
    QTRY_VERIFY(bench->window.receiveLog().text().contains(QStringLiteral("查询闭环错误代码:")));
    QCOMPARE(bench->text("Text40"), errorBox);
}

void TestSimClosedLoopIo::inputsReadIntoLamps_data() {
    QTest::addColumn<QByteArray>("inputs");
    QTest::addColumn<QString>("shown");
    // Console digits run IN5..IN1; the lamps IN1..IN5, red for an active input.
    QTest::newRow("IN1 and IN3") << QByteArray("00101") << "R-R--";
    QTest::newRow("IN2 and IN5") << QByteArray("10010") << "-R--R";
    QTest::newRow("none") << QByteArray("00000") << "-----";
}

void TestSimClosedLoopIo::inputsReadIntoLamps() {
    QFETCH(QByteArray, inputs);
    QFETCH(QString, shown);
    // All red first, so that every lamp of the row has to change.
    bench->console("inputs 11111");
    QVERIFY(bench->state().contains(QStringLiteral("inputs IN5..IN1 11111")));
    bench->click("Command94");
    QTRY_COMPARE(lamps(), QStringLiteral("RRRRR"));

    bench->console("inputs " + inputs);
    QVERIFY(bench->state().contains(QStringLiteral("inputs IN5..IN1 ") + inputs));
    bench->click("Command94");
    QTRY_COMPARE(lamps(), shown);
}

void TestSimClosedLoopIo::outputsSwitchedInTheDriver() {
    struct Step {
        const char* button;
        const char* inDriver;
        const char* k1Caption;
        const char* k2Caption;
    };
    const Step steps[] = {
        {"Command109", "K1 on, K2 off", "K1关", "K2开"},
        {"Command110", "K1 on, K2 on", "K1关", "K2关"},
        {"Command109", "K1 off, K2 on", "K1开", "K2关"},
        {"Command110", "K1 off, K2 off", "K1开", "K2开"},
    };
    for (const Step& step : steps) {
        bench->click(step.button);
        QTRY_VERIFY2(bench->state().contains(QLatin1String(step.inDriver)), step.inDriver);
        QCOMPARE(bench->window.control<QPushButton>("Command109")->text(),
                 QString::fromUtf8(step.k1Caption));
        QCOMPARE(bench->window.control<QPushButton>("Command110")->text(),
                 QString::fromUtf8(step.k2Caption));
    }
}

QTEST_MAIN(TestSimClosedLoopIo)
#include "tst_sim_closedloopio.moc"
