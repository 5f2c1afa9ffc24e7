#include "OpenWorkbench.h"
#include "ReferenceChecksums.h"
#include "link/CommPort.h"

#include <QLabel>
#include <QSocketNotifier>

#include <modbus.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// The receive log's hex dump of a reply received as one chunk.
QString hexLine(const QByteArray& reply) {
    return QStringLiteral("RecHex:") + QString::fromLatin1(reply.toHex(' ').toUpper()) + u' ';
}

// The receive log's hex dump lines, oldest first: one per chunk handed to the decoder.
class ReceivedChunks : public QObject {
public:
    explicit ReceivedChunks(LogModel& log) : m_log(log) {
        connect(&log, &LogModel::prepended, this, [this](qsizetype count) {
            QStringList piece;
            for (const QString& line : m_log.text().left(count).split(u'\n')) {
                if (line.startsWith(QStringLiteral("RecHex:"))) {
                    piece << line;
                }
            }
            hexLines += piece;
        });
    }
    QStringList hexLines;

private:
    LogModel& m_log;
};

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
    plc.holding(154) = 0x1234;
    plc.holding(155) = 0x5678;
    QByteArray replies;
    QObject::connect(&bench.window->port(), &CommPort::bytesArrived,
                     [&replies](const QByteArray& bytes) { replies += bytes; });
    ReceivedChunks chunks(bench.window->receiveLog());
    const auto* receivedCount = bench.get<QLabel>("Label45");

    bench.setPlcMode(true);

    // Handshake: a read of 0 registers, which a PLC answers with "illegal data value" (and
    // libmodbus then drops whatever else is waiting, so it goes alone).
    bench.type("Text34", QStringLiteral("0"));
    bench.click("Command12");
    QTRY_COMPARE(plc.accepted.size(), 1);
    QCOMPARE(plc.accepted[0].toHex(' '), hex("0103002000004400").toHex(' '));
    const QByteArray exception = withReferenceCrc(hex("018303"));
    QTRY_COMPARE(replies.toHex(' '), exception.toHex(' '));
    QTRY_COMPARE(chunks.hexLines, QStringList{hexLine(exception)});
    QTRY_COMPARE(receivedCount->text(), QStringLiteral("5"));
    replies.clear();
    chunks.hexLines.clear();

    // 初速度 100 writes its four data bytes as two registers at 1000 + 0x25, and 运动速度
    // reads two registers at 100 + 0x36 in the same go: the replies come back to back and
    // must still reach the receive log as two chunks.
    bench.type("Text34", QStringLiteral("1000"));
    bench.type("Text12", QStringLiteral("100"));
    bench.click("Command17");
    bench.type("Text34", QStringLiteral("100"));
    bench.click("Command28");
    QTRY_COMPARE(plc.accepted.size(), 3);
    QCOMPARE(plc.accepted[1].toHex(' '), hex("0110040D00020400000064011D").toHex(' '));
    QCOMPARE(plc.accepted[2].toHex(' '), hex("0103009A0002E424").toHex(' '));
    const QByteArray written = withReferenceCrc(hex("0110040D0002"));
    const QByteArray speed = withReferenceCrc(hex("01030412345678"));
    QTRY_COMPARE(replies.toHex(' '), (written + speed).toHex(' '));
    QTRY_COMPARE(chunks.hexLines, (QStringList{hexLine(written), hexLine(speed)}));
    QTRY_COMPARE(receivedCount->text(), QStringLiteral("22"));
    QCOMPARE(plc.holding(1037), quint16(0x0000));
    QCOMPARE(plc.holding(1038), quint16(0x0064));
    chunks.hexLines.clear();

    // Address change: the one data byte padded to two registers at 1000 + 0x22.
    bench.type("Text34", QStringLiteral("1000"));
    bench.type("Text7", QStringLiteral("2"));
    bench.click("Command14");
    QTRY_COMPARE(plc.accepted.size(), 4);
    QCOMPARE(plc.accepted[3].toHex(' '),
             withReferenceCrc(hex("0110040A00020402000000")).toHex(' '));
    const QByteArray changed = withReferenceCrc(hex("0110040A0002"));
    QTRY_COMPARE(chunks.hexLines, QStringList{hexLine(changed)});
    QTRY_COMPARE(receivedCount->text(), QStringLiteral("30"));
    QCOMPARE(plc.holding(1034), quint16(0x0200));
    QCOMPARE(plc.holding(1035), quint16(0x0000));
    QCOMPARE(plc.rejected, 0);
    QVERIFY(!bench.window->receiveLog().text().contains(QStringLiteral("校验错误")));
}

QTEST_MAIN(TestPlcModbus)
#include "tst_plcmodbus.moc"
