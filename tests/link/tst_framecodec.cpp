#include "link/FrameCodec.h"

#include <QTest>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

} // namespace

class TestFrameCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void crcCheckValues_data();
    void crcCheckValues();
    void rtuFrames_data();
    void rtuFrames();
    void ascFrames_data();
    void ascFrames();
    void modeSelection_data();
    void modeSelection();
    void hexPairs();
};

void TestFrameCodec::crcCheckValues_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("ascii 123456789") << QByteArray("123456789") << "374B" << 0x37 << 0x4B;
    QTest::newRow("read one register") << hex("010300000001") << "840A" << 0x84 << 0x0A;
    QTest::newRow("handshake") << hex("012000") << "39C0" << 0x39 << 0xC0;
    QTest::newRow("speed query (37 A0, not 0F 4D)") << hex("013600") << "37A0" << 0x37 << 0xA0;
    QTest::newRow("empty input keeps the initial register")
        << QByteArray() << "FFFF" << 0xFF << 0xFF;
}

void TestFrameCodec::crcCheckValues() {
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QFETCH(int, low);
    QFETCH(int, high);
    CrcLow = 0;
    CrcHigh = 0;
    QCOMPARE(ComputeCrc16(input), text);
    QCOMPARE(int(CrcLow), low);
    QCOMPARE(int(CrcHigh), high);
}

void TestFrameCodec::rtuFrames_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("frame");
    const char* frames[][2] = {
        {"handshake", "01200039C0"},
        {"start speed 100", "0125040000006 4FCDE"},
        {"change address to 2", "012201022183"},
        {"move 10000", "0131040000271 0E41D"},
        {"quadruple-rate move 4096", "015504000010 00FBC5"},
        {"gear numerator 1", "015F0400000001376F"},
        {"closed-loop absolute position", "0158001BC0"},
        {"encoder direction 1", "015C0101019A"},
        {"with accumulated error", "015E0101A05A"},
        {"without accumulated error", "015E0100619A"},
        {"CAN send initial text", "014C05010203040502ED"},
        {"CAN send 1 2 3", "014C021203E231"},
        {"CAN send blanks only", "014C0014C0"},
        {"CAN rate 100K", "014B010C705B"},
        {"CAN rate unknown", "014B0100705E"},
        {"standard frame", "014A0100219E"},
        {"factory settings", "01470013F0"},
        {"read inputs", "01420010A0"},
        {"speed factor 500", "014404000001F4F553"},
        {"K1 on", "01520201 00A928"},
        {"K1 and K2 on", "0152020101 68E8"},
        {"K2 on only", "015202000169 78"},
        {"accelerate", "0145001290"},
        {"PLC read of handshake", "0103002000004400"},
        {"PLC read of speed", "0103009A0002E424"},
        {"PLC write of start speed", "0110040D00020400000064011D"},
        {"PLC write of address", "011000220002040200000071D6"},
    };
    for (const auto& row : frames) {
        QByteArray whole = QByteArray(row[1]).replace(' ', "");
        QTest::newRow(row[0]) << hex(whole.left(whole.size() - 4)) << hex(whole);
    }
    QTest::newRow("LastChr on") << hex("0151020180") << hex("0151020180A8CC");
    QTest::newRow("LastChr off") << hex("0151020080") << hex("0151020080A95C");
}

void TestFrameCodec::rtuFrames() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, frame);
    QCOMPARE(BuildFrame(request, ProtocolMode::Rtu).toHex(' '), frame.toHex(' '));
    QCOMPARE(int(CrcLow), int(quint8(frame.at(frame.size() - 2))));
    QCOMPARE(int(CrcHigh), int(quint8(frame.at(frame.size() - 1))));
}

void TestFrameCodec::ascFrames_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("handshake") << hex("012000") << QByteArray(":012000DF\r\n");
    QTest::newRow("start speed 100")
        << hex("01250400000064") << QByteArray(":0125040000006472\r\n");
    QTest::newRow("change address to 2") << hex("01220102") << QByteArray(":01220102DA\r\n");
    QTest::newRow("address query to 0") << hex("002100") << QByteArray(":002100DF\r\n");
    QTest::newRow("closed-loop position") << hex("015800") << QByteArray(":015800A7\r\n");
    QTest::newRow("sum multiple of 256 gives LRC 00")
        << hex("E02000") << QByteArray(":E0200000\r\n");
    QTest::newRow("leading zero and upper case") << hex("0A0B00") << QByteArray(":0A0B00EB\r\n");
}

void TestFrameCodec::ascFrames() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, frame);
    const QByteArray built = BuildFrame(request, ProtocolMode::Asc);
    QCOMPARE(built, frame);
    QCOMPARE(built.size(), 2 * request.size() + 5);
}

void TestFrameCodec::modeSelection_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rtu");
    QTest::newRow("exact RTU") << "Modbus RTU" << true;
    QTest::newRow("ASC item") << "Modbus ASC" << false;
    QTest::newRow("lower case") << "modbus rtu" << false;
    QTest::newRow("trailing blank") << "Modbus RTU " << false;
    QTest::newRow("empty") << "" << false;
}

void TestFrameCodec::modeSelection() {
    QFETCH(QString, text);
    QFETCH(bool, rtu);
    QCOMPARE(modeFromText(text) == ProtocolMode::Rtu, rtu);
}

void TestFrameCodec::hexPairs() {
    const QByteArray frame = hex("01200039C0");
    QCOMPARE(FormatHexPairs(frame), QStringLiteral("01 20 00 39 C0 "));
    QCOMPARE(FormatHexPairs(frame).size(), 15);
    QCOMPARE(FormatHexPairs(frame, 1, frame.size() - 3), QStringLiteral("20 00 "));
    QCOMPARE(FormatHexPairs(frame, 3, 2), QString());
    QCOMPARE(FormatHexPairs(QByteArray()), QString());
    QCOMPARE(FormatHexPairs(hex("0AFF")), QStringLiteral("0A FF "));
}

QTEST_APPLESS_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
