#include "BenchWithSimulator.h"

#include "commands/Lamp.h"

#include <QLabel>

#include <cstdlib>
#include <functional>

namespace {

const QString kStopped = QStringLiteral("停止");
const QString kMoving = QStringLiteral("运动中");

// Short, quick moves: a 10000-pulse move takes about 0.7 s with this profile.
void setFastProfile(BenchWithSimulator& bench) {
    const struct {
        const char* box;
        const char* value;
        const char* button;
    } rows[] = {{"Text12", "1000", "Command17"},   {"Text13", "20000", "Command24"},
                {"Text14", "1000", "Command25"},   {"Text15", "100000", "Command26"},
                {"Text16", "100000", "Command27"}, {"Text29", "20000", "Command64"}};
    for (const auto& row : rows) {
        bench.setText(row.box, QLatin1String(row.value));
        bench.click(row.button);
    }
}

// "name=value" entries typed into the window's boxes.
void type(BenchWithSimulator& bench, const QStringList& entries) {
    for (const QString& entry : entries) {
        const qsizetype equals = entry.indexOf(u'=');
        bench.setText(entry.left(equals).toLatin1().constData(), entry.mid(equals + 1));
    }
}

QString statusText(BenchWithSimulator& bench) {
    return bench.window.control<QLabel>(QStringLiteral("Label15"))->text();
}

// Asks again at every poll of a QTRY_ macro; the condition sees the latest reply.
std::function<bool()> asking(BenchWithSimulator& bench, const char* button,
                             std::function<bool()> condition) {
    return [&bench, button, condition] {
        bench.click(button);
        return condition();
    };
}

// Blanks Label15 first, so only a status reply that arrives from now on can satisfy it.
std::function<bool()> freshStatusIs(BenchWithSimulator& bench, const QString& caption) {
    bench.window.control<QLabel>(QStringLiteral("Label15"))->clear();
    return asking(bench, "Command29", [&bench, caption] { return statusText(bench) == caption; });
}

std::function<bool()> boxReads(BenchWithSimulator& bench, const char* button, const char* box,
                               const QString& value) {
    return asking(bench, button, [&bench, box, value] { return bench.text(box) == value; });
}

qint64 number(BenchWithSimulator& bench, const char* box) {
    return bench.text(box).trimmed().toLongLong();
}

QColor lampColour(BenchWithSimulator& bench, const char* name) {
    return bench.window.control<Lamp>(QLatin1String(name))->fillColor();
}

QColor offColour(BenchWithSimulator& bench) {
    return bench.window.palette().color(QPalette::WindowText);
}

// The workbench's value text: a blank before a value of zero or more.
QString valueText(qint64 value) {
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

} // namespace

class TestSimParametersMotion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parameterSetThenQueried_data();
    void parameterSetThenQueried();
    void refusedParameterShowsOnlyInTheDumps();
    void moveWatchedWhileRunningAndAfter_data();
    void moveWatchedWhileRunningAndAfter();
    void runChangedInSpeedAndStopped();
    void homingEndsOnTheZeroSwitch_data();
    void homingEndsOnTheZeroSwitch();
    void capturedMoveRunsWhenItsInputsAreSet_data();
    void capturedMoveRunsWhenItsInputsAreSet();
};

void TestSimParametersMotion::parameterSetThenQueried_data() {
    QTest::addColumn<QByteArray>("setButton");
    QTest::addColumn<QByteArray>("valueBox");
    QTest::addColumn<QByteArray>("queryButton");
    QTest::addColumn<QByteArray>("resultBox");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("driverState");
    // Values differ from the driver's factory settings, so only a working write shows them.
    QTest::newRow("start speed") << QByteArray("Command17") << QByteArray("Text12")
                                 << QByteArray("Command57") << QByteArray("Text27") << "150"
                                 << " 150"
                                 << "start 150,";
    QTest::newRow("maximum speed") << QByteArray("Command24") << QByteArray("Text13")
                                   << QByteArray("Command58") << QByteArray("Text26") << "23456"
                                   << " 23456"
                                   << "max 23456,";
    QTest::newRow("end speed") << QByteArray("Command25") << QByteArray("Text14")
                               << QByteArray("Command59") << QByteArray("Text25") << "0"
                               << " 0"
                               << "end 0,";
    QTest::newRow("acceleration") << QByteArray("Command26") << QByteArray("Text15")
                                  << QByteArray("Command60") << QByteArray("Text24") << "100000000"
                                  << " 100000000"
                                  << "accel 100000000,";
    QTest::newRow("deceleration") << QByteArray("Command27") << QByteArray("Text16")
                                  << QByteArray("Command61") << QByteArray("Text6") << "1e3"
                                  << " 1000"
                                  << "decel 1000,";
    QTest::newRow("homing speed") << QByteArray("Command64") << QByteArray("Text29")
                                  << QByteArray("Command62") << QByteArray("Text28") << "&H10"
                                  << " 16"
                                  << "homing 16\n";
}

void TestSimParametersMotion::parameterSetThenQueried() {
    QFETCH(QByteArray, setButton);
    QFETCH(QByteArray, valueBox);
    QFETCH(QByteArray, queryButton);
    QFETCH(QByteArray, resultBox);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, driverState);
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    bench.setText(valueBox.constData(), typed);
    bench.click(setButton.constData());
    bench.click(queryButton.constData());
    QTRY_COMPARE(bench.text(resultBox.constData()), shown);
    const QString state = bench.state();
    QVERIFY2(state.contains(driverState), qPrintable(state));
}

void TestSimParametersMotion::refusedParameterShowsOnlyInTheDumps() {
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    bench.setText("Text13", QStringLiteral("0"));
    bench.click("Command24");
    bench.click("Command58");
    QTRY_COMPARE(bench.text("Text26"), QStringLiteral(" 10000"));
    const QString log = bench.window.receiveLog().text();
    QVERIFY2(log.contains(QStringLiteral("RecHex:01 A7 01 04 ")), qPrintable(log));
    QVERIFY(!log.contains(QStringLiteral("设置运动最大速度:")));
}

void TestSimParametersMotion::moveWatchedWhileRunningAndAfter_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<qint64>("end");
    QTest::newRow("signed count") << QByteArray("Command18") << QStringList{"Text8=10000"}
                                  << qint64(10000);
    QTest::newRow("direction and count")
        << QByteArray("Command19") << QStringList{"Combo3=1", "Text9=10000"} << qint64(-10000);
    QTest::newRow("absolute position")
        << QByteArray("Command74") << QStringList{"Text8=-8000"} << qint64(-8000);
}

void TestSimParametersMotion::moveWatchedWhileRunningAndAfter() {
    QFETCH(QByteArray, button);
    QFETCH(QStringList, entries);
    QFETCH(qint64, end);
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    setFastProfile(bench);
    const QColor off = offColour(bench);
    const QColor red = Lamp::onColor();

    // Standing on the zero switch: only the zero-point lamp is lit.
    bench.click("Command29");
    QTRY_COMPARE(lampColour(bench, "Shape3"), red);
    QCOMPARE(statusText(bench), kStopped);
    QCOMPARE(lampColour(bench, "Shape1"), off);

    type(bench, entries);
    bench.click(button.constData());
    bench.click("Command29");
    bench.click("Command28");
    QTRY_COMPARE(statusText(bench), kMoving);
    QCOMPARE(lampColour(bench, "Shape1"), red);
    QTRY_VERIFY(number(bench, "Text17") > 0);
    QVERIFY(number(bench, "Text17") <= 20000);
    // Somewhere on the way, short of the end.
    const auto onTheWay = asking(bench, "Command30", [&] {
        const qint64 at = number(bench, "Text18");
        return at != 0 && std::abs(at) < std::abs(end);
    });
    QTRY_VERIFY_WITH_TIMEOUT(onTheWay(), 5000);

    const auto stopped = freshStatusIs(bench, kStopped);
    QTRY_VERIFY_WITH_TIMEOUT(stopped(), 5000);
    QCOMPARE(lampColour(bench, "Shape1"), off);
    for (const char* lamp : {"Shape2", "Shape3", "Shape4"}) {
        QCOMPARE(lampColour(bench, lamp), off);
    }
    bench.click("Command30");
    bench.click("Command31");
    bench.click("Command28");
    QTRY_COMPARE(bench.text("Text18"), valueText(end));
    QTRY_COMPARE(bench.text("Text19"), valueText(end));
    QTRY_COMPARE(bench.text("Text17"), QStringLiteral(" 0"));

    // Zeroing one counter leaves the other.
    bench.click("Command66");
    bench.click("Command30");
    bench.click("Command31");
    QTRY_COMPARE(bench.text("Text18"), QStringLiteral(" 0"));
    QCOMPARE(bench.text("Text19"), valueText(end));
    bench.click("Command67");
    bench.click("Command31");
    QTRY_COMPARE(bench.text("Text19"), QStringLiteral(" 0"));
}

void TestSimParametersMotion::runChangedInSpeedAndStopped() {
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    setFastProfile(bench);

    bench.setText("Text10", QStringLiteral("5000"));
    bench.click("Command20");
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command28", "Text17", QStringLiteral(" 5000"))(),
                             5000);
    bench.setText("Text30", QStringLiteral("8000"));
    bench.click("Command65");
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command28", "Text17", QStringLiteral(" 8000"))(),
                             5000);
    bench.click("Command22");
    const auto stopped = freshStatusIs(bench, kStopped);
    QTRY_VERIFY_WITH_TIMEOUT(stopped(), 5000);
    bench.click("Command30");
    QTRY_VERIFY(number(bench, "Text18") > 0);

    // The other way round, then stopped at once.
    bench.setText("Combo4", QStringLiteral("1"));
    bench.setText("Text11", QStringLiteral("3000"));
    bench.click("Command21");
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command28", "Text17", QStringLiteral(" 3000"))(),
                             5000);
    bench.click("Command31");
    QTRY_VERIFY(number(bench, "Text19") < 0);
    bench.click("Command23");
    const auto stoppedAtOnce = freshStatusIs(bench, kStopped);
    QTRY_VERIFY(stoppedAtOnce());
    bench.click("Command28");
    QTRY_COMPARE(bench.text("Text17"), QStringLiteral(" 0"));
}

void TestSimParametersMotion::homingEndsOnTheZeroSwitch_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::newRow("归零1") << QByteArray("Command76");
    QTest::newRow("归零2") << QByteArray("Command7");
    QTest::newRow("归零3") << QByteArray("Command75");
}

void TestSimParametersMotion::homingEndsOnTheZeroSwitch() {
    QFETCH(QByteArray, button);
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    setFastProfile(bench);
    bench.setText("Text8", QStringLiteral("3000"));
    bench.click("Command18");
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command30", "Text18", QStringLiteral(" 3000"))(),
                             5000);
    // The zero switch lies behind: search towards negative positions.
    bench.setText("Combo5", QStringLiteral("1"));
    bench.click(button.constData());
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command30", "Text18", QStringLiteral(" 0"))(), 5000);
    const auto stopped = freshStatusIs(bench, kStopped);
    QTRY_VERIFY_WITH_TIMEOUT(stopped(), 5000);
    QCOMPARE(lampColour(bench, "Shape3"), Lamp::onColor());
    QCOMPARE(lampColour(bench, "Shape2"), offColour(bench));
    QCOMPARE(lampColour(bench, "Shape4"), offColour(bench));
}

void TestSimParametersMotion::capturedMoveRunsWhenItsInputsAreSet_data() {
    QTest::addColumn<QByteArray>("captureButton");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("captured");
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<qint64>("end");
    QTest::newRow("signed count") << QByteArray("Command82") << QStringList{"Text8=2000"}
                                  << "31 04 00 00 07 D0 "
                                  << "00101"
                                  << "5=31 04 00 00 07 D0" << qint64(2000);
    QTest::newRow("direction and count")
        << QByteArray("Command83") << QStringList{"Combo3=1", "Text9=1500"} << "32 04 01 00 05 DC "
        << "11111"
        << "31=32 04 01 00 05 DC" << qint64(-1500);
}

void TestSimParametersMotion::capturedMoveRunsWhenItsInputsAreSet() {
    QFETCH(QByteArray, captureButton);
    QFETCH(QStringList, entries);
    QFETCH(QString, captured);
    QFETCH(QString, inputs);
    QFETCH(QString, stored);
    QFETCH(qint64, end);
    BenchWithSimulator bench;
    QVERIFY(bench.start());
    setFastProfile(bench);

    type(bench, entries);
    const qint64 sentBefore = bench.window.sendLog().byteCount();
    bench.click(captureButton.constData());
    QCOMPARE(bench.text("Text31"), captured);
    QCOMPARE(bench.window.sendLog().byteCount(), sentBefore);

    bench.setText("Combo8", inputs);
    bench.click("Command81");
    QTRY_VERIFY(bench.window.receiveLog().text().contains(QStringLiteral("设置IO取代命令:")));
    const QString state = bench.state();
    QVERIFY2(state.contains(stored), qPrintable(state));

    // Read back over the line into an emptied box.
    bench.setText("Text31", QString());
    bench.click("Command88");
    QTRY_COMPARE(bench.text("Text31"), captured);

    // Another combination runs nothing; the stored one runs the move.
    bench.console("inputs 00001");
    QVERIFY(bench.state().contains(QStringLiteral("stopped, speed 0, absolute 0,")));
    bench.console(QByteArray("inputs ") + inputs.toLatin1());
    QTRY_VERIFY_WITH_TIMEOUT(boxReads(bench, "Command30", "Text18", valueText(end))(), 5000);
    const auto stopped = freshStatusIs(bench, kStopped);
    QTRY_VERIFY_WITH_TIMEOUT(stopped(), 5000);
}

QTEST_MAIN(TestSimParametersMotion)
#include "tst_sim_parametersmotion.moc"
