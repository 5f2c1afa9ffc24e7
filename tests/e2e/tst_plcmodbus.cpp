#include "../tools/OpenWorkbench.h"
#include "link/CommPort.h"

#include <QSocketNotifier>

#include <modbus.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A PLC on the far side of the line: libmodbus as Modbus RTU server (slave 1) on the pty's
// master, served from the event loop. libmodbus checks each request's length and CRC before
// it answers.
class ModbusPlc {
public:
    explicit ModbusPlc(int fd) : m_notifier(fd, QSocketNotifier::Read) {
        m_context = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
        m_registers = modbus_mapping_new(0, 0, 65536, 0);
        if (m_context != nullptr) {
            modbus_set_slave(m_context, 1);
            modbus_set_socket(m_context, fd);
        }
        QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] { serve(); });
    }
    ~ModbusPlc() {
        // The descriptor belongs to the pty: free without closing it.
        modbus_mapping_free(m_registers);
        modbus_free(m_context);
    }
    ModbusPlc(const ModbusPlc&) = delete;
    ModbusPlc& operator=(const ModbusPlc&) = delete;

    bool isValid() const { return m_context != nullptr && m_registers != nullptr; }
    quint16& holding(int number) { return m_registers->tab_registers[number]; }

    QList<QByteArray> accepted; // requests that passed libmodbus's checks, CRC included
    int rejected = 0;

private:
    void serve() {
        uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
        const int length = modbus_receive(m_context, request);
        if (length < 0) {
            ++rejected;
            return;
        }
        if (length > 0) {
            accepted << QByteArray(reinterpret_cast<const char*>(request), length);
            modbus_reply(m_context, request, length, m_registers);
        }
    }

    modbus_t* m_context = nullptr;
    modbus_mapping_t* m_registers = nullptr;
    QSocketNotifier m_notifier;
};

} // namespace

class TestPlcModbus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelRequestsReachPlc();
};

void TestPlcModbus::panelRequestsReachPlc() {
    OpenWorkbench bench;
    ModbusPlc plc(bench.pty.masterFd());
    QVERIFY(plc.isValid());
    plc.holding(1035) = 0x1234;
    plc.holding(1036) = 0x5678;
    QByteArray replies;
    QObject::connect(&bench.window->port(), &CommPort::bytesArrived,
                     [&replies](const QByteArray& bytes) { replies += bytes; });

    bench.setPlcMode(true);
    bench.type("Text34", QStringLiteral("1000"));
    bench.type("Text7", QStringLiteral("2"));

    // Handshake: a read of 0 registers, which a PLC answers with "illegal data value".
    bench.click("Command12");
    QTRY_COMPARE(plc.accepted.size(), 1);
    QCOMPARE(plc.accepted[0].toHex(' '), hex("010304080000C538").toHex(' '));
    QTRY_COMPARE(replies.toHex(' '), hex("0183030131").toHex(' '));
    replies.clear();

    // Line speed query: two registers at 1000 + 0x23.
    bench.click("Command15");
    QTRY_COMPARE(plc.accepted.size(), 2);
    QCOMPARE(plc.accepted[1].toHex(' '), hex("0103040B0002B4F9").toHex(' '));
    QTRY_COMPARE(replies.toHex(' '), hex("01030412345678"
                                         "8107")
                                         .toHex(' '));
    replies.clear();

    // Address change: the one data byte padded to two registers at 1000 + 0x22.
    bench.click("Command14");
    QTRY_COMPARE(plc.accepted.size(), 3);
    QCOMPARE(plc.accepted[2].toHex(' '), hex("0110040A00020402000000"
                                             "40A8")
                                             .toHex(' '));
    QTRY_COMPARE(replies.toHex(' '), hex("0110040A000260FA").toHex(' '));
    QCOMPARE(plc.holding(1034), quint16(0x0200));
    QCOMPARE(plc.holding(1035), quint16(0x0000));
    QCOMPARE(plc.rejected, 0);
}

QTEST_MAIN(TestPlcModbus)
#include "tst_plcmodbus.moc"
