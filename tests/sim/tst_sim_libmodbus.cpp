#include "SimulatorProcess.h"

#include <QTest>

#include <cerrno>
#include <modbus.h>

// libmodbus as the PLC: an RTU master on the simulator's pseudo-terminal must accept every
// reply of the register mapping (register = base + command code).
namespace {

using Registers = QList<quint16>;

class ModbusMaster {
public:
    explicit ModbusMaster(const QString& path)
        : context_(modbus_new_rtu(path.toLocal8Bit().constData(), 9600, 'N', 8, 1)) {}
    ~ModbusMaster() {
        if (context_ != nullptr) {
            modbus_close(context_);
            modbus_free(context_);
        }
    }
    ModbusMaster(const ModbusMaster&) = delete;
    ModbusMaster& operator=(const ModbusMaster&) = delete;

    bool connect(int slave) {
        return context_ != nullptr && modbus_connect(context_) == 0 &&
               modbus_set_slave(context_, slave) == 0 &&
               modbus_set_response_timeout(context_, 1, 0) == 0;
    }
    void setSlave(int slave) { modbus_set_slave(context_, slave); }

    // The registers read, or empty with lastError set.
    Registers read(int address, int count) {
        std::array<uint16_t, 125> values{};
        const int got = modbus_read_registers(context_, address, count, values.data());
        lastError = got < 0 ? errno : 0;
        return got < 0 ? Registers{} : Registers(values.begin(), values.begin() + got);
    }

    int write(int address, const Registers& values) {
        const std::vector<uint16_t> raw(values.begin(), values.end());
        const int written = modbus_write_registers(context_, address, int(raw.size()), raw.data());
        lastError = written < 0 ? errno : 0;
        return written;
    }

    modbus_t* context() const { return context_; }
    int lastError = 0;

private:
    modbus_t* context_;
};

} // namespace

class TestSimLibmodbus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readsQueryValues_data();
    void readsQueryValues();
    void writesAreExecuted();
    void registerBaseMovesTheMap();
    void moveWrittenAndPolled();
    void exceptions_data();
    void exceptions();
    void absentSlaveAndBroadcast();

private:
    std::unique_ptr<SimulatorProcess> sim_;
    std::unique_ptr<ModbusMaster> master_;
};

void TestSimLibmodbus::init() {
    sim_ = std::make_unique<SimulatorProcess>();
    QVERIFY(sim_->start({QStringLiteral("--addresses"), QStringLiteral("1,7")}, false));
    master_ = std::make_unique<ModbusMaster>(sim_->path);
    QVERIFY(master_->connect(1));
}

void TestSimLibmodbus::cleanup() {
    master_.reset();
    sim_.reset();
}

void TestSimLibmodbus::readsQueryValues_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<Registers>("values");
    QTest::newRow("start speed") << 0x26 << 2 << Registers{0, 500};
    QTest::newRow("maximum speed") << 0x28 << 2 << Registers{0, 10000};
    QTest::newRow("baud-rate code") << 0x23 << 1 << Registers{0x0600};
    QTest::newRow("status: stopped on the zero switch") << 0x3B << 2 << Registers{1, 1};
    QTest::newRow("inputs IN1..IN5 and a zero byte")
        << 0x42 << 3 << Registers{0x0101, 0x0101, 0x0100};
    QTest::newRow("handshake read with data") << 0x20 << 1 << Registers{0};
    QTest::newRow("gear numerator") << 0x60 << 2 << Registers{0, 1};
}

void TestSimLibmodbus::readsQueryValues() {
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(Registers, values);
    QCOMPARE(master_->read(address, count), values);
    QCOMPARE(master_->lastError, 0);
}

void TestSimLibmodbus::writesAreExecuted() {
    QCOMPARE(master_->write(0x25, {0, 1234}), 2);
    QCOMPARE(master_->read(0x26, 2), (Registers{0, 1234}));
    QCOMPARE(master_->write(0x27, {0x0001, 0x86A0}), 2);
    QCOMPARE(master_->read(0x28, 2), (Registers{1, 0x86A0}));
    // One data byte in a padded register pair: the address change.
    QCOMPARE(master_->write(0x22, {0x0900, 0}), 2);
    master_->setSlave(9);
    QCOMPARE(master_->read(0x26, 2), (Registers{0, 1234}));
    // A stored IO substitution command, padded to whole register pairs.
    QCOMPARE(master_->write(0x40, {0x0531, 0x0400, 0x0027, 0x1000}), 4);
    // A write of no registers carries a command without value: factory settings.
    QCOMPARE(master_->write(0x47, {}), 0);
    QCOMPARE(master_->read(0x26, 2), (Registers{0, 500}));
}

void TestSimLibmodbus::registerBaseMovesTheMap() {
    QCOMPARE(master_->write(0x3F, {0, 1000}), 2);
    QCOMPARE(master_->read(1000 + 0x26, 2), (Registers{0, 500}));
    QVERIFY(master_->read(0x26, 2).isEmpty());
    QCOMPARE(master_->lastError, EMBXILADD);
    // The other driver keeps its own base.
    master_->setSlave(7);
    QCOMPARE(master_->read(0x26, 2), (Registers{0, 500}));
}

void TestSimLibmodbus::moveWrittenAndPolled() {
    QCOMPARE(master_->write(0x31, {0, 2000}), 2);
    QCOMPARE(master_->read(0x3B, 1), (Registers{0x0101}));
    QTRY_COMPARE_WITH_TIMEOUT(master_->read(0x3B, 2), (Registers{0x0001, 0x0101}), 5000);
    QCOMPARE(master_->read(0x37, 2), (Registers{0, 2000}));
    QCOMPARE(master_->write(0x31, {0xFFFF, 0xF830}), 2);
    QTRY_COMPARE_WITH_TIMEOUT(master_->read(0x37, 2), (Registers{0, 0}), 5000);
}

void TestSimLibmodbus::exceptions_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("address");
    QTest::addColumn<Registers>("values");
    QTest::addColumn<int>("error");
    QTest::newRow("register of no command") << 3 << 0x63 << Registers{} << int(EMBXILADD);
    QTest::newRow("register far above the commands")
        << 3 << 0x1000 << Registers{} << int(EMBXILADD);
    QTest::newRow("read of a command that needs data")
        << 3 << 0x25 << Registers{} << int(EMBXILVAL);
    QTest::newRow("baud-rate code out of range")
        << 16 << 0x24 << Registers{0x0300, 0} << int(EMBXILVAL);
    QTest::newRow("too few registers for the value")
        << 16 << 0x25 << Registers{1} << int(EMBXILVAL);
    QTest::newRow("coils are not served") << 1 << 0x20 << Registers{} << int(EMBXILFUN);
}

void TestSimLibmodbus::exceptions() {
    QFETCH(int, function);
    QFETCH(int, address);
    QFETCH(Registers, values);
    QFETCH(int, error);
    if (function == 1) {
        std::array<uint8_t, 8> bits{};
        QCOMPARE(modbus_read_bits(master_->context(), address, 8, bits.data()), -1);
        QCOMPARE(errno, error);
    } else if (function == 3) {
        QVERIFY(master_->read(address, 2).isEmpty());
        QCOMPARE(master_->lastError, error);
    } else {
        QCOMPARE(master_->write(address, values), -1);
        QCOMPARE(master_->lastError, error);
    }
    // The line is still in step after an exception.
    QCOMPARE(master_->read(0x26, 2), (Registers{0, 500}));
}

void TestSimLibmodbus::absentSlaveAndBroadcast() {
    modbus_set_response_timeout(master_->context(), 0, 300000);
    master_->setSlave(3);
    QVERIFY(master_->read(0x26, 2).isEmpty());
    QCOMPARE(master_->lastError, ETIMEDOUT);
    // Nobody answers a broadcast; this libmodbus may wait for an answer all the same.
    master_->setSlave(MODBUS_BROADCAST_ADDRESS);
    const int written = master_->write(0x25, {0, 777});
    QVERIFY(written == 2 || master_->lastError == ETIMEDOUT);
    for (const int slave : {1, 7}) {
        master_->setSlave(slave);
        QCOMPARE(master_->read(0x26, 2), (Registers{0, 777}));
    }
}

QTEST_GUILESS_MAIN(TestSimLibmodbus)
#include "tst_sim_libmodbus.moc"
