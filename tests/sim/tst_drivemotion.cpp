#include "DriveBus.h"
#include "MotionAxis.h"
#include "SimulatedDriver.h"

#include <QTest>

// The motion model with time driven by the test. Expected positions are worked out by hand
// from the trapezoid: distance = (v² - v0²) / 2a on the ramps, v·t at cruise.
namespace {

using Times = QList<qint64>;
using Positions = QList<qint64>;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

QByteArray be32(qint32 value) {
    const auto bits = quint32(value);
    const char bytes[] = {char(bits >> 24), char(bits >> 16), char(bits >> 8), char(bits)};
    return QByteArray(bytes, 4);
}

SimulatedDriver::Outcome command(SimulatedDriver& driver, quint8 code, const QByteArray& data,
                                 qint64 nowMs) {
    return driver.execute(code, data, nowMs);
}

qint32 valueOf(const SimulatedDriver::Outcome& outcome) {
    const auto b = [&](int i) { return quint32(quint8(outcome.data[i])); };
    return qint32(b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3));
}

// A driver whose ramps are easy to reckon with: start and end speed 0, 1000 pulses/s,
// 1000 pulses/s².
SimulatedDriver roundNumberDriver(SwitchLayout switches = {}) {
    SimulatedDriver driver(1, switches, 6);
    command(driver, Cmd::SetStartSpeed, be32(0), 0);
    command(driver, Cmd::SetEndSpeed, be32(0), 0);
    command(driver, Cmd::SetMaxSpeed, be32(1000), 0);
    command(driver, Cmd::SetAcceleration, be32(1000), 0);
    command(driver, Cmd::SetDeceleration, be32(1000), 0);
    command(driver, Cmd::SetHomingSpeed, be32(1000), 0);
    return driver;
}

} // namespace

class TestDriveMotion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pulseMoves_data();
    void pulseMoves();
    void limitSwitchesStopMoves_data();
    void limitSwitchesStopMoves();
    void homing_data();
    void homing();
    void constantSpeedAndStops();
    void queriesFollowTheClock();
    void closedLoop();
    void ioSubstitutionRunsOnInputChange();
};

void TestDriveMotion::pulseMoves_data() {
    QTest::addColumn<qint32>("pulses");
    QTest::addColumn<MotionProfile>("profile");
    QTest::addColumn<Times>("times");
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<qint64>("endMs");
    const MotionProfile unit{0, 1000, 0, 1000, 1000};
    QTest::newRow("trapezoid: 1 s up, 1 s cruise, 1 s down")
        << 2000 << unit << Times{500, 1000, 2000, 2500} << Positions{125, 500, 1500, 1875}
        << qint64(3000);
    QTest::newRow("backwards") << -2000 << unit << Times{1000, 2000} << Positions{-500, -1500}
                               << qint64(3000);
    // Peak speed √(1000·500) ≈ 707 at 0.707 s, after 250 pulses.
    QTest::newRow("triangle: too short to reach the maximum speed")
        << 500 << unit << Times{707} << Positions{250} << qint64(1415);
    // Ramps from 100 to 1000 at 900/s²: 1 s and 550 pulses each.
    QTest::newRow("start and end speed above 0")
        << 2100 << MotionProfile{100, 1000, 100, 900, 900} << Times{1000, 2000}
        << Positions{550, 1550} << qint64(3000);
    QTest::newRow("steeper deceleration: 1 s up, 1.5 s cruise, 0.5 s down")
        << 2250 << MotionProfile{0, 1000, 0, 1000, 2000} << Times{1000, 2500}
        << Positions{500, 2000} << qint64(3000);
    QTest::newRow("shorter than any ramp: one pass at the start speed")
        << 10 << MotionProfile{1000, 1000, 0, 1000, 1000} << Times{5} << Positions{5} << qint64(10);
}

void TestDriveMotion::pulseMoves() {
    QFETCH(qint32, pulses);
    QFETCH(MotionProfile, profile);
    QFETCH(Times, times);
    QFETCH(Positions, positions);
    QFETCH(qint64, endMs);
    MotionAxis axis;
    axis.moveBy(pulses, profile, 0);
    for (qsizetype i = 0; i < times.size(); ++i) {
        axis.advanceTo(times[i]);
        QVERIFY(axis.isMoving());
        QVERIFY2(std::abs(axis.position() - positions[i]) <= 1,
                 qPrintable(QStringLiteral("at %1 ms: %2").arg(times[i]).arg(axis.position())));
    }
    axis.advanceTo(endMs - 2);
    QVERIFY(axis.isMoving());
    axis.advanceTo(endMs + 1);
    QVERIFY(!axis.isMoving());
    QCOMPARE(axis.position(), qint64(pulses));
    QCOMPARE(axis.velocity(), 0.0);
}

void TestDriveMotion::limitSwitchesStopMoves_data() {
    QTest::addColumn<quint8>("code");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("stopsAt");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("move right into the right limit")
        << Cmd::MoveBy << be32(5000) << qint64(1500) << hex("00010100");
    QTest::newRow("move left into the left limit")
        << Cmd::MoveBy << be32(-5000) << qint64(-1200) << hex("00000101");
    QTest::newRow("24-bit move in reverse into the left limit")
        << Cmd::MoveByDirection << hex("01001388") << qint64(-1200) << hex("00000101");
    QTest::newRow("absolute target beyond the right limit")
        << Cmd::MoveToAbsolute << be32(99999) << qint64(1500) << hex("00010100");
    QTest::newRow("constant speed into the right limit")
        << Cmd::Run << be32(800) << qint64(1500) << hex("00010100");
    QTest::newRow("constant speed into the left limit")
        << Cmd::RunDirection << hex("01000320") << qint64(-1200) << hex("00000101");
}

void TestDriveMotion::limitSwitchesStopMoves() {
    QFETCH(quint8, code);
    QFETCH(QByteArray, data);
    QFETCH(qint64, stopsAt);
    QFETCH(QByteArray, status);
    SimulatedDriver driver = roundNumberDriver({-1200, 0, 1500});
    QCOMPARE(command(driver, code, data, 0).error, DriveError::None);
    driver.advanceTo(60000);
    QVERIFY(!driver.axis().isMoving());
    QCOMPARE(driver.absolutePosition(), stopsAt);
    QCOMPARE(command(driver, Cmd::QueryStatus, {}, 60000).data, status);
    // Further into the active switch nothing moves; away from it is free.
    const qint32 further = stopsAt > 0 ? 100 : -100;
    command(driver, Cmd::MoveBy, be32(further), 60000);
    driver.advanceTo(70000);
    QCOMPARE(driver.absolutePosition(), stopsAt);
    command(driver, Cmd::MoveBy, be32(-further), 70000);
    driver.advanceTo(80000);
    QCOMPARE(driver.absolutePosition(), stopsAt - further);
}

void TestDriveMotion::homing_data() {
    QTest::addColumn<quint8>("code");
    QTest::addColumn<qint32>("startAt");
    QTest::addColumn<quint8>("direction");
    QTest::newRow("homing 1 towards the zero switch") << Cmd::Home1 << 3000 << quint8(1);
    QTest::newRow("homing 2 from the left") << Cmd::Home2 << -3000 << quint8(0);
    QTest::newRow("homing 3 away from it: reverses at the limit")
        << Cmd::Home3 << 3000 << quint8(0);
    QTest::newRow("homing from the left limit itself") << Cmd::Home1 << -5000 << quint8(1);
}

void TestDriveMotion::homing() {
    QFETCH(quint8, code);
    QFETCH(qint32, startAt);
    QFETCH(quint8, direction);
    // The zero switch at physical 250; the absolute counter zeroed elsewhere on purpose.
    SimulatedDriver driver = roundNumberDriver({-5000, 250, 8000});
    command(driver, Cmd::MoveBy, be32(startAt - 250), 0);
    driver.advanceTo(30000);
    command(driver, Cmd::ZeroAbsolute, {}, 30000);
    command(driver, Cmd::ZeroClosedLoopAbsolute, {}, 30000);
    QCOMPARE(command(driver, code, QByteArray(1, char(direction)), 30000).error, DriveError::None);
    driver.advanceTo(31000);
    QVERIFY(driver.axis().isMoving());
    QCOMPARE(command(driver, Cmd::QueryStatus, {}, 31000).data[0], char(1));
    driver.advanceTo(60000);
    QVERIFY(!driver.axis().isMoving());
    QCOMPARE(driver.absolutePosition(), 0);
    QCOMPARE(driver.closedLoopAbsolute(), 0);
    QCOMPARE(command(driver, Cmd::QueryStatus, {}, 60000).data, hex("00010001"));
    QCOMPARE(valueOf(command(driver, Cmd::QueryAbsolute, {}, 60000)), 0);
}

void TestDriveMotion::constantSpeedAndStops() {
    SimulatedDriver driver = roundNumberDriver();
    command(driver, Cmd::Run, be32(-1000), 0);
    QCOMPARE(valueOf(command(driver, Cmd::QuerySpeed, {}, 500)), 500);
    QCOMPARE(valueOf(command(driver, Cmd::QuerySpeed, {}, 2000)), 1000);
    // Ramp 1 s down from 1000 to 400 at 1000/s² ... here 0.6 s and 420 pulses.
    command(driver, Cmd::ChangeSpeed, be32(400), 2000);
    QCOMPARE(valueOf(command(driver, Cmd::QuerySpeed, {}, 3000)), 400);
    QCOMPARE(driver.absolutePosition(), -(500 + 1000 + 420 + 160));
    // Speed factor steps: 400 + 500, then back.
    command(driver, Cmd::SpeedUpByFactor, {}, 3000);
    QCOMPARE(valueOf(command(driver, Cmd::QuerySpeed, {}, 4000)), 900);
    command(driver, Cmd::SlowDownByFactor, {}, 4000);
    QCOMPARE(valueOf(command(driver, Cmd::QuerySpeed, {}, 5000)), 400);
    // Decelerating stop: 0.4 s and 80 pulses to standstill.
    const qint64 before = driver.absolutePosition();
    command(driver, Cmd::StopDecelerating, {}, 5000);
    driver.advanceTo(5300);
    QVERIFY(driver.axis().isMoving());
    driver.advanceTo(5401);
    QVERIFY(!driver.axis().isMoving());
    QCOMPARE(driver.absolutePosition(), before - 80);
    // Immediate stop: standstill in the same instant.
    command(driver, Cmd::MoveBy, be32(100000), 6000);
    command(driver, Cmd::StopNow, {}, 7000);
    QVERIFY(!driver.axis().isMoving());
    QCOMPARE(driver.relativePosition(), 500);
    QCOMPARE(valueOf(command(driver, Cmd::QueryRelative, {}, 7000)), 500);
    // A run reversed while running ramps down first, then up the other way.
    command(driver, Cmd::Run, be32(1000), 8000);
    command(driver, Cmd::Run, be32(-1000), 10000);
    driver.advanceTo(10500);
    QCOMPARE(driver.axis().velocity(), 500.0);
    driver.advanceTo(12000);
    QCOMPARE(driver.axis().velocity(), -1000.0);
}

void TestDriveMotion::queriesFollowTheClock() {
    SimulatedDriver driver = roundNumberDriver();
    command(driver, Cmd::MoveToAbsolute, be32(2000), 0);
    QCOMPARE(valueOf(command(driver, Cmd::QueryAbsolute, {}, 1000)), 500);
    QCOMPARE(command(driver, Cmd::QueryStatus, {}, 1000).data, hex("01010101"));
    // Time never runs backwards.
    QCOMPARE(valueOf(command(driver, Cmd::QueryAbsolute, {}, 500)), 500);
    QCOMPARE(valueOf(command(driver, Cmd::QueryAbsolute, {}, 3000)), 2000);
    QCOMPARE(command(driver, Cmd::QueryStatus, {}, 3000).data, hex("00010101"));
    command(driver, Cmd::MoveToAbsolute, be32(-500), 3000);
    driver.advanceTo(10000);
    QCOMPARE(driver.absolutePosition(), -500);
    QCOMPARE(driver.relativePosition(), -2500);
}

void TestDriveMotion::closedLoop() {
    SimulatedDriver driver = roundNumberDriver();
    command(driver, Cmd::SetGearNumerator, be32(4), 0);
    command(driver, Cmd::SetGearDenominator, be32(2), 0);
    // Two counts per pulse: 4096 counts are 2048 pulses.
    command(driver, Cmd::MoveByCounts, be32(4096), 0);
    driver.advanceTo(10000);
    QCOMPARE(driver.absolutePosition(), 2048);
    QCOMPARE(valueOf(command(driver, Cmd::QueryClosedLoopAbsolute, {}, 10000)), 4096);
    QCOMPARE(command(driver, Cmd::QueryClosedLoopError, {}, 10000).data, hex("00"));
    // Feedback pulses are four counts each; control direction 1 reverses the move.
    command(driver, Cmd::ControlDirection, hex("01"), 10000);
    command(driver, Cmd::MoveByFeedbackPulses, be32(100), 10000);
    driver.advanceTo(20000);
    QCOMPARE(driver.absolutePosition(), 2048 - 200);
    QCOMPARE(valueOf(command(driver, Cmd::QueryClosedLoopRelative, {}, 20000)), -400);
    // Encoder direction 1 counts the other way.
    command(driver, Cmd::EncoderDirection, hex("01"), 20000);
    QCOMPARE(valueOf(command(driver, Cmd::QueryClosedLoopAbsolute, {}, 20000)), -3696);
    command(driver, Cmd::ZeroClosedLoopAbsolute, {}, 20000);
    command(driver, Cmd::MoveToClosedLoop, be32(-1000), 20000);
    driver.advanceTo(30000);
    QCOMPARE(valueOf(command(driver, Cmd::QueryClosedLoopAbsolute, {}, 30000)), -1000);
    QCOMPARE(driver.absolutePosition(), 2048 - 200 + 500);
    // A closed-loop move cut short leaves error code 1.
    command(driver, Cmd::MoveToClosedLoop, be32(-20000), 30000);
    command(driver, Cmd::StopNow, {}, 31000);
    QCOMPARE(command(driver, Cmd::QueryClosedLoopError, {}, 31000).data, hex("01"));
    QCOMPARE(valueOf(command(driver, Cmd::QueryGearNumerator, {}, 31000)), 4);
    command(driver, Cmd::FactorySettings, {}, 31000);
    QCOMPARE(valueOf(command(driver, Cmd::QueryGearNumerator, {}, 31000)), 1);
}

void TestDriveMotion::ioSubstitutionRunsOnInputChange() {
    DriveBus bus({1, 2}, SwitchLayout{}, 6);
    const auto rtu = [](const char* text) { return BuildFrame(hex(text), ProtocolMode::Rtu); };
    // Input number 5 (IN3 and IN1): move 10000; input number 1: stop at once.
    QCOMPARE(bus.handleRequest(rtu("01400705310400002710"), 0).frame, rtu("014000"));
    QCOMPARE(bus.handleRequest(rtu("014003013C00"), 0).frame, rtu("014000"));
    QVERIFY(!bus.drivers()[0].axis().isMoving());
    QCOMPARE(bus.setInputs(0b00101, std::nullopt, 100).size(), 1);
    QVERIFY(bus.drivers()[0].axis().isMoving());
    QVERIFY(!bus.drivers()[1].axis().isMoving());
    QCOMPARE(bus.handleRequest(rtu("014200"), 100).frame, rtu("0142050001000101"));
    QCOMPARE(bus.handleRequest(rtu("014300"), 100).frame, rtu("01430400000005"));
    // The same combination again runs nothing; a new one runs its own command.
    QVERIFY(bus.setInputs(0b00101, std::nullopt, 200).isEmpty());
    bus.setInputs(0b00001, 1, 1000);
    QVERIFY(!bus.drivers()[0].axis().isMoving());
    const qint64 stoppedAt = bus.drivers()[0].absolutePosition();
    QVERIFY(stoppedAt > 0 && stoppedAt < 10000);
    // Inputs with no command stored leave the motion alone.
    bus.setInputs(0b00101, 1, 1000);
    bus.setInputs(0b11111, 1, 1100);
    bus.advanceTo(60000);
    QCOMPARE(bus.drivers()[0].relativePosition(), 10000);
}

QTEST_GUILESS_MAIN(TestDriveMotion)
#include "tst_drivemotion.moc"
