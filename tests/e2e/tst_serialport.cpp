#include "MessageBoxWatcher.h"
#include "PtyPair.h"
#include "link/CommPort.h"
#include "ui/FrmMain.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <sys/resource.h>

namespace {

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void clickOpen(FrmMain& window, const QString& port, const QString& speed) {
    window.control<QComboBox>("Combo1")->setEditText(port);
    window.control<QComboBox>("Combo2")->setEditText(speed);
    QTest::mouseClick(window.control<QPushButton>("Command32"), Qt::LeftButton);
}

bool panelIsOpen(FrmMain& window) {
    const bool open = !window.control<QWidget>("Command32")->isEnabled();
    return open && window.control<QWidget>("Command33")->isEnabled() &&
           !window.control<QWidget>("Combo1")->isEnabled() &&
           !window.control<QWidget>("Combo2")->isEnabled();
}

bool panelIsClosed(FrmMain& window) {
    return window.control<QWidget>("Command32")->isEnabled() &&
           !window.control<QWidget>("Command33")->isEnabled() &&
           window.control<QWidget>("Combo1")->isEnabled() &&
           window.control<QWidget>("Combo2")->isEnabled();
}

} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("TORVANE_COM1"); }
    void openingAppliesSpeed_data();
    void openingAppliesSpeed();
    void bytesBeforeOpeningAreDropped();
    void closeButtonClosesPort();
    void wrongNameShowsMessage_data();
    void wrongNameShowsMessage();
    void unopenableDeviceStaysClosed_data();
    void unopenableDeviceStaysClosed();
    void hangUpClosesPortAndStaysIdle();
};

void TestSerialPort::openingAppliesSpeed_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("termiosSpeed");
    QTest::newRow("9600") << "9600" << int(B9600);
    QTest::newRow("19200") << "19200" << int(B19200);
    QTest::newRow("115200") << "115200" << int(B115200);
}

void TestSerialPort::openingAppliesSpeed() {
    QFETCH(QString, speed);
    QFETCH(int, termiosSpeed);
    PtyPair pty;
    QVERIFY(pty.isValid());
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    FrmMain window;
    clickOpen(window, QStringLiteral("COM1"), speed);
    QVERIFY(window.port().isOpen());
    QVERIFY(panelIsOpen(window));
    QCOMPARE(window.port().deviceName(), pty.slavePath());
    QCOMPARE(int(pty.outputSpeed()), termiosSpeed);
}

void TestSerialPort::bytesBeforeOpeningAreDropped() {
    PtyPair pty;
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    FrmMain window;
    QSignalSpy arrived(&window.port(), &CommPort::bytesArrived);
    QVERIFY(pty.write(QByteArray("stale")));
    clickOpen(window, QStringLiteral("COM1"), QStringLiteral("9600"));
    QVERIFY(window.port().isOpen());
    QVERIFY(pty.write(QByteArray("\x01\x20\x00", 3)));
    QTRY_VERIFY(!arrived.isEmpty());
    QByteArray received;
    for (const auto& args : arrived) {
        received += args.at(0).toByteArray();
    }
    QCOMPARE(received, QByteArray("\x01\x20\x00", 3));
}

void TestSerialPort::closeButtonClosesPort() {
    PtyPair pty;
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    FrmMain window;
    clickOpen(window, QStringLiteral("COM1"), QStringLiteral("9600"));
    QVERIFY(panelIsOpen(window));
    QTest::mouseClick(window.control<QPushButton>("Command33"), Qt::LeftButton);
    QVERIFY(!window.port().isOpen());
    QVERIFY(panelIsClosed(window));
}

void TestSerialPort::wrongNameShowsMessage_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("COM10") << "COM10";
    QTest::newRow("lower case") << "com1";
    QTest::newRow("device path") << "/dev/ttyS0";
}

void TestSerialPort::wrongNameShowsMessage() {
    QFETCH(QString, name);
    PtyPair pty;
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    FrmMain window;
    MessageBoxWatcher boxes;
    clickOpen(window, name, QStringLiteral("9600"));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("请选择正确的串口名")});
    QVERIFY(!window.port().isOpen());
    QVERIFY(panelIsClosed(window));
}

void TestSerialPort::unopenableDeviceStaysClosed_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("absent device") << "/dev/torvane-absent"
                                   << "9600"
                                   << "设备不存在";
    QTest::newRow("empty speed") << ""
                                 << ""
                                 << "波特率";
    QTest::newRow("speed not a number") << ""
                                        << "fast"
                                        << "波特率";
}

void TestSerialPort::unopenableDeviceStaysClosed() {
    QFETCH(QString, device);
    QFETCH(QString, speed);
    QFETCH(QString, reason);
    PtyPair pty;
    qputenv("TORVANE_COM1", (device.isEmpty() ? pty.slavePath() : device).toLocal8Bit());
    FrmMain window;
    MessageBoxWatcher boxes;
    clickOpen(window, QStringLiteral("COM1"), speed);
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.first().contains(reason), qPrintable(boxes.texts.first()));
    QVERIFY(window.statusBar()->currentMessage().contains(reason));
    QVERIFY(!window.port().isOpen());
    QVERIFY(panelIsClosed(window));
}

void TestSerialPort::hangUpClosesPortAndStaysIdle() {
    PtyPair pty;
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());
    FrmMain window;
    MessageBoxWatcher boxes;
    clickOpen(window, QStringLiteral("COM1"), QStringLiteral("9600"));
    QVERIFY(window.port().isOpen());
    pty.releaseSlave();
    pty.closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!window.port().isOpen(), 500);
    QVERIFY(panelIsClosed(window));
    QTRY_COMPARE(boxes.texts.size(), 1);
    // A port left raising errors would spin the event loop at full speed.
    const double before = processCpuSeconds();
    QTest::qWait(500);
    QVERIFY2(processCpuSeconds() - before < 0.25, "event loop busy after hang-up");
}

QTEST_MAIN(TestSerialPort)
#include "tst_serialport.moc"
