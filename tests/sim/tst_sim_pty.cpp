#include "SimulatorProcess.h"
#include "WireFrames.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pty.h>

// The simulator executable over a real pseudo-terminal, bytes checked on the far side.
namespace {

using Frames = QList<QByteArray>;

qsizetype totalSize(const Frames& frames) {
    qsizetype size = 0;
    for (const QByteArray& frame : frames) {
        size += frame.size();
    }
    return size;
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversations_data();
    void conversations();
    void requestArrivingInPieces();
    void garbageIsFlushedBySilence();
    void moveRunsInRealTime();
    void faultInjection_data();
    void faultInjection();
    void splitAndDelayedReplies();
    void consoleLines();
    void serialDeviceSide();
    void linkFollowsTheLifetime_data();
    void linkFollowsTheLifetime();
    void standardInputEnd();
    void commandLine_data();
    void commandLine();
};

// Requests written one after another; the replies must come back in order.
void TestSimPty::conversations_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Frames>("requests");
    QTest::addColumn<Frames>("replies");
    QTest::newRow("rtu and asc handshakes")
        << QStringList() << Frames{hex("01200039C0"), QByteArray(":012000DF\r\n")}
        << Frames{hex("01200039C0"), QByteArray(":012000DF\r\n")};
    QTest::newRow("two requests in one write")
        << QStringList() << Frames{rtu("012600") + asc("012300")}
        << Frames{rtu("012604000001F4"), asc("01230106")};
    QTest::newRow("several drivers, one absent")
        << QStringList{QStringLiteral("--addresses"), QStringLiteral("1,2,5")}
        << Frames{rtu("032000"), rtu("052000"), rtu("002100")}
        << Frames{rtu("052000"), rtu("012100")};
    QTest::newRow("failure replies")
        << QStringList()
        << Frames{hex("01200039C1"), rtu("016300"), rtu("0125020064"), rtu("01240103")}
        << Frames{rtu("01A00102"), rtu("01E30103"), rtu("01A50101"), rtu("01A40104")};
    QTest::newRow("PLC read and write at a register base")
        << QStringList()
        << Frames{rtu("013F04000003E8"), hex("0110040D00020400000064011D"), rtu("0103040E0002")}
        << Frames{rtu("013F00"), rtu("0110040D0002"), rtu("01030400000064")};
    QTest::newRow("inputs from the command line")
        << QStringList{QStringLiteral("--inputs"), QStringLiteral("10011")} << Frames{rtu("014200")}
        << Frames{rtu("0142050000010100")};
}

void TestSimPty::conversations() {
    QFETCH(QStringList, arguments);
    QFETCH(Frames, requests);
    QFETCH(Frames, replies);
    SimulatorProcess sim;
    QVERIFY(sim.start(arguments));
    for (const QByteArray& request : requests) {
        sim.send(request);
    }
    const QByteArray expected = replies.join();
    QCOMPARE(sim.receive(totalSize(replies)), expected);
    QCOMPARE(sim.receiveWithin(100), QByteArray());
}

void TestSimPty::requestArrivingInPieces() {
    SimulatorProcess sim;
    QVERIFY(sim.start({QStringLiteral("--frame-gap"), QStringLiteral("400")}));
    const QByteArray request = rtu("01250400000064");
    sim.send(request.first(4));
    QCOMPARE(sim.receiveWithin(100), QByteArray());
    sim.send(request.sliced(4));
    QCOMPARE(sim.receive(5), rtu("012500"));
    const QByteArray line = asc("012600");
    sim.send(line.first(5));
    QCOMPARE(sim.receiveWithin(100), QByteArray());
    sim.send(line.sliced(5));
    QCOMPARE(sim.receive(19), asc("012604000000"
                                  "64"));
}

void TestSimPty::garbageIsFlushedBySilence() {
    SimulatorProcess sim;
    QVERIFY(sim.start({}));
    // Garbage that looks like the start of a long request to address 1.
    sim.send(hex("01FF40"));
    QCOMPARE(sim.receive(6), rtu("01FF0102"));
    sim.send(rtu("012000"));
    QCOMPARE(sim.receive(5), rtu("012000"));
}

void TestSimPty::moveRunsInRealTime() {
    SimulatorProcess sim;
    QVERIFY(sim.start({}));
    // 2000 pulses with the factory ramps take about 0.3 s.
    QCOMPARE(sim.exchange(rtu("013104000007D0"), 5), rtu("013100"));
    QCOMPARE(sim.exchange(rtu("013B00"), 9).mid(3, 1), hex("01"));
    QTRY_COMPARE_WITH_TIMEOUT(sim.exchange(rtu("013B00"), 9), rtu("013B0400010101"), 5000);
    QCOMPARE(sim.exchange(rtu("013700"), 9), rtu("013704000007D0"));
}

void TestSimPty::faultInjection_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Frames>("replies");
    const QByteArray reply = rtu("012000");
    QByteArray corrupted = reply;
    corrupted[3] = char(~quint8(corrupted[3]));
    corrupted[4] = char(~quint8(corrupted[4]));
    QTest::newRow("every second reply corrupted")
        << QStringList{QStringLiteral("--corrupt-every"), QStringLiteral("2")}
        << Frames{reply, corrupted, reply, corrupted};
    QTest::newRow("every third reply dropped")
        << QStringList{QStringLiteral("--drop-every"), QStringLiteral("3")}
        << Frames{reply, reply, QByteArray(), reply};
    QTest::newRow("extra bytes after each reply")
        << QStringList{QStringLiteral("--extra-bytes"), QStringLiteral("00FF")}
        << Frames{reply + hex("00FF"), reply + hex("00FF"), reply + hex("00FF"),
                  reply + hex("00FF")};
}

void TestSimPty::faultInjection() {
    QFETCH(QStringList, arguments);
    QFETCH(Frames, replies);
    SimulatorProcess sim;
    QVERIFY(sim.start(arguments));
    for (const QByteArray& expected : replies) {
        sim.send(rtu("012000"));
        QCOMPARE(expected.isEmpty() ? sim.receiveWithin(200) : sim.receive(expected.size()),
                 expected);
    }
}

void TestSimPty::splitAndDelayedReplies() {
    SimulatorProcess sim;
    QVERIFY(sim.start({QStringLiteral("--reply-delay"), QStringLiteral("300"),
                       QStringLiteral("--split-reply"), QStringLiteral("4:300")}));
    sim.send(rtu("012600"));
    QCOMPARE(sim.receiveWithin(150), QByteArray());
    const QByteArray reply = rtu("012604000001F4");
    QCOMPARE(sim.receive(4), reply.first(4));
    QCOMPARE(sim.receiveWithin(150), QByteArray());
    QCOMPARE(sim.receive(reply.size() - 4), reply.sliced(4));
}

void TestSimPty::consoleLines() {
    SimulatorProcess sim;
    QVERIFY(sim.start(
        {QStringLiteral("--verbose"), QStringLiteral("--addresses"), QStringLiteral("1,2")}));
    // IN3 and IN1 active on driver 2, where input number 5 holds a handshake.
    QCOMPARE(sim.exchange(rtu("024003052000"), 5), rtu("024000"));
    QByteArray out;
    QByteArray err;
    sim.process.write("inputs 00101 2\n");
    QTRY_VERIFY((out += sim.process.readAllStandardOutput()).contains("ran 20 00: done"));
    QCOMPARE(sim.exchange(rtu("024200"), 10), rtu("0242050001000101"));
    QCOMPARE(sim.exchange(rtu("014200"), 10), rtu("0142050101010101"));
    sim.process.write("state\n");
    QTRY_VERIFY((out += sim.process.readAllStandardOutput()).contains("5=20 00"));
    QVERIFY(out.contains("inputs IN5..IN1 00101"));
    sim.process.write("inputs 2\n");
    QTRY_VERIFY((out += sim.process.readAllStandardOutput()).contains("usage"));
    QTRY_VERIFY((err += sim.process.readAllStandardError()).contains("01 42 00 10 A0 -> 01 42 05"));
}

// QSerialPort on a pseudo-terminal that the test made: 8N1 at the given speed, and the new
// speed of 0x24 set once the reply has gone out at the old one.
void TestSimPty::serialDeviceSide() {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    const auto speed = [slave] {
        termios settings{};
        ::tcgetattr(slave, &settings);
        return ::cfgetospeed(&settings);
    };
    SimulatorProcess sim;
    sim.useLine(master);
    QVERIFY(sim.start({QStringLiteral("--device"), QString::fromLatin1(name),
                       QStringLiteral("--baud"), QStringLiteral("19200")},
                      false));
    QCOMPARE(sim.path, QString::fromLatin1(name));
    QCOMPARE(sim.exchange(rtu("012300"), 6), rtu("01230108"));
    QCOMPARE(speed(), speed_t(B19200));
    termios settings{};
    ::tcgetattr(slave, &settings);
    QCOMPARE(settings.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    QCOMPARE(sim.exchange(rtu("01240109"), 5), rtu("012400"));
    QTRY_COMPARE(speed(), speed_t(B38400));
    QCOMPARE(sim.exchange(rtu("012300"), 6), rtu("01230109"));
    ::close(slave);
}

void TestSimPty::linkFollowsTheLifetime_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("quit typed") << 0;
}

void TestSimPty::linkFollowsTheLifetime() {
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("driver"));
    SimulatorProcess sim;
    QVERIFY(sim.start({QStringLiteral("--link"), link}, false));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path);
    sim.path = link;
    QVERIFY(sim.openRaw());
    QCOMPARE(sim.exchange(rtu("012000"), 5), rtu("012000"));
    if (signalNumber != 0) {
        ::kill(pid_t(sim.process.processId()), signalNumber);
    } else {
        sim.process.write("quit\n");
    }
    QVERIFY(sim.process.waitForFinished(5000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimPty::standardInputEnd() {
    SimulatorProcess keepsRunning;
    QVERIFY(keepsRunning.start({}));
    keepsRunning.process.closeWriteChannel();
    QVERIFY(!keepsRunning.process.waitForFinished(300));
    QCOMPARE(keepsRunning.exchange(rtu("012000"), 5), rtu("012000"));

    SimulatorProcess tied;
    QVERIFY(tied.start({QStringLiteral("--exit-on-stdin-eof")}));
    QCOMPARE(tied.exchange(rtu("012000"), 5), rtu("012000"));
    tied.process.closeWriteChannel();
    QVERIFY(tied.process.waitForFinished(5000));
    QCOMPARE(tied.process.exitCode(), 0);
}

void TestSimPty::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("help lists every option")
        << QStringList{QStringLiteral("--help")} << 0
        << QByteArray("--link --device --baud --addresses --inputs --left-limit --zero-switch "
                      "--right-limit --exit-on-stdin-eof --verbose --frame-gap --reply-delay "
                      "--split-reply --corrupt-every --drop-every --extra-bytes");
    const auto bad = [](const char* option, const char* value) {
        return QStringList{QString::fromLatin1(option), QString::fromLatin1(value)};
    };
    QTest::newRow("address 0") << bad("--addresses", "1,0") << 2 << QByteArray("--addresses");
    QTest::newRow("address twice") << bad("--addresses", "3,3") << 2 << QByteArray("--addresses");
    QTest::newRow("address 256") << bad("--addresses", "256") << 2 << QByteArray("--addresses");
    QTest::newRow("inputs not binary") << bad("--inputs", "00201") << 2 << QByteArray("--inputs");
    QTest::newRow("inputs too long") << bad("--inputs", "000001") << 2 << QByteArray("--inputs");
    QTest::newRow("baud not in the table") << bad("--baud", "115200") << 2 << QByteArray("--baud");
    QTest::newRow("split without pause")
        << bad("--split-reply", "4") << 2 << QByteArray("--split-reply");
    QTest::newRow("extra bytes not hex")
        << bad("--extra-bytes", "0G") << 2 << QByteArray("--extra-bytes");
    QTest::newRow("negative drop count")
        << bad("--drop-every", "-1") << 2 << QByteArray("--drop-every");
    QTest::newRow("zero switch outside the limits")
        << bad("--zero-switch", "2000000") << 2 << QByteArray("left-limit < zero-switch");
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--bogus")} << 2 << QByteArray("bogus");
    QTest::newRow("missing device")
        << bad("--device", "/nonexistent/tty") << 1 << QByteArray("/nonexistent/tty");
}

void TestSimPty::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QProcess process;
    process.start(QStringLiteral(DRIVE_SIM_PATH), arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), exitCode);
    const QByteArray text =
        exitCode == 0 ? process.readAllStandardOutput() : process.readAllStandardError();
    for (const QByteArray& word : output.split(' ')) {
        QVERIFY2(text.contains(exitCode == 0 ? word : output), text.constData());
    }
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_sim_pty.moc"
