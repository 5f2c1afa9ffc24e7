#include "DriveBus.h"
#include "WireFrames.h"

#include <QTest>

// Requests and replies as the workbench sends and decodes them, in both framings, against a
// line with the drivers 1 and 2.
namespace {

using Steps = QList<QByteArray>;

QByteArray framed(const QByteArray& requestBytes, ProtocolMode mode) {
    return requestBytes.isEmpty() ? QByteArray() : BuildFrame(requestBytes, mode);
}

DriveBus twoDrivers() {
    return DriveBus({1, 2}, SwitchLayout{}, 6);
}

} // namespace

class TestDriveProtocol : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExamples_data();
    void workedExamples();
    void singleRequests_data();
    void singleRequests();
    void conversations_data();
    void conversations();
    void checksumFailures_data();
    void checksumFailures();
    void replyOptions();
    void plcRequests_data();
    void plcRequests();
};

// Frames whose bytes are written out in full, checksums included.
void TestDriveProtocol::workedExamples_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("rtu handshake") << hex("01200039C0") << hex("01200039C0");
    QTest::newRow("asc handshake") << QByteArray(":012000DF\r\n") << QByteArray(":012000DF\r\n");
    QTest::newRow("address query with a bad CRC: checksum failure from the first driver")
        << hex("0021000000") << hex("01A10102D06B");
    QTest::newRow("address query with its checksum")
        << BuildFrame(hex("002100"), ProtocolMode::Rtu) << rtu("012100");
    QTest::newRow("asc address query") << QByteArray(":002100DF\r\n") << asc("012100");
    QTest::newRow("set start speed 100") << hex("01250400000064FCDE") << rtu("012500");
    QTest::newRow("change address to 2 is refused: 2 is taken")
        << hex("012201022183") << rtu("01A20104");
}

void TestDriveProtocol::workedExamples() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    DriveBus bus = twoDrivers();
    const BusReply answer = bus.handleRequest(request, 0);
    QCOMPARE(answer.frame, reply);
}

// One request to a fresh line; the expected reply bytes are framed like the request.
void TestDriveProtocol::singleRequests_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("mode");
    const char* rows[][3] = {
        {"handshake", "012000", "012000"},
        {"handshake to the second driver", "022000", "022000"},
        {"address query at address 0", "002100", "012100"},
        {"address query at an address", "022100", "022100"},
        {"baud-rate code", "012300", "01230106"},
        {"start speed", "012600", "012604000001F4"},
        {"maximum speed", "012800", "01280400002710"},
        {"end speed", "012A00", "012A04000001F4"},
        {"acceleration", "012C00", "012C0400004E20"},
        {"deceleration", "012E00", "012E0400004E20"},
        {"homing speed", "013000", "013004000007D0"},
        {"speed at rest", "013600", "01360400000000"},
        {"absolute position", "013700", "01370400000000"},
        {"relative position", "013900", "01390400000000"},
        {"status at rest on the zero switch", "013B00", "013B0400010001"},
        {"inputs all off", "014200", "0142050101010101"},
        {"empty IO substitution entry", "01410105", "01410105"},
        {"closed-loop absolute position", "015800", "01580400000000"},
        {"gear numerator", "016000", "01600400000001"},
        {"gear denominator", "016200", "01620400000001"},
        {"closed-loop error code", "016400", "01640100"},
        {"acknowledged without value", "013800", "013800"},
        {"immediate stop at rest", "013C00", "013C00"},
        {"outputs", "0152020100", "015200"},
        {"CAN send of five bytes", "014C050102030405", "014C00"},
        {"CAN send of nothing", "014C00", "014C00"},
        {"unknown code", "016300", "01E30103"},
        {"unknown code in the gap of the table", "015300", "01D30103"},
        {"code FF", "01FF00", "01FF0103"},
        {"start speed with two data bytes", "0125020064", "01A50101"},
        {"query with a data byte", "01260100", "01A60101"},
        {"handshake with a data byte", "01200100", "01A00101"},
        {"length byte 1 but no data", "012001", "01A00101"},
        {"CAN send of six bytes", "014C06010203040506", "01CC0101"},
        {"baud-rate code 3", "01240103", "01A40104"},
        {"baud-rate code 12", "0124010C", "01A40104"},
        {"maximum speed 0", "01270400000000", "01A70104"},
        {"negative start speed", "012504FFFFFFFF", "01A50104"},
        {"homing direction 2", "013E0102", "01BE0104"},
        {"direction byte 2 in a 24-bit move", "013204020003E8", "01B20104"},
        {"address 0 is not an address to take", "01220100", "01A20104"},
        {"IO substitution input number 32", "01410120", "01C10104"},
        {"gear denominator 0", "01610400000000", "01E10104"},
        {"register base above 65503", "013F040000FFE0", "01BF0104"},
        {"K1 state 2", "0152020200", "01D20104"},
        {"nobody at address 3", "032000", ""},
        {"broadcast handshake", "002000", ""},
    };
    for (const auto& row : rows) {
        for (const ProtocolMode mode : {ProtocolMode::Rtu, ProtocolMode::Asc}) {
            const char* framing = mode == ProtocolMode::Rtu ? "rtu" : "asc";
            QTest::addRow("%s: %s", framing, row[0]) << hex(row[1]) << hex(row[2]) << int(mode);
        }
    }
}

void TestDriveProtocol::singleRequests() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(int, mode);
    const auto protocol = ProtocolMode(mode);
    DriveBus bus = twoDrivers();
    const BusReply answer = bus.handleRequest(BuildFrame(request, protocol), 0);
    QCOMPARE(answer.frame, framed(reply, protocol));
    QVERIFY(answer.trailer.isEmpty());
}

// Requests in order on one line, each with the reply it must get (RTU).
void TestDriveProtocol::conversations_data() {
    QTest::addColumn<Steps>("requests");
    QTest::addColumn<Steps>("replies");
    QTest::newRow("set and read back start speed, then factory settings")
        << Steps{hex("01250400000064"), hex("012600"), hex("014700"), hex("012600")}
        << Steps{hex("012500"), hex("01260400000064"), hex("014700"), hex("012604000001F4")};
    QTest::newRow("set and read back every motion parameter")
        << Steps{hex("0127040000C350"), hex("012800"), hex("0129040000012C"), hex("012A00"),
                 hex("012B04000F4240"), hex("012C00"), hex("012D0400030D40"), hex("012E00"),
                 hex("012F04000003E8"), hex("013000")}
        << Steps{hex("012700"), hex("0128040000C350"), hex("012900"), hex("012A040000012C"),
                 hex("012B00"), hex("012C04000F4240"), hex("012D00"), hex("012E0400030D40"),
                 hex("012F00"), hex("013004000003E8")};
    QTest::newRow("change address: the old one falls silent")
        << Steps{hex("01220105"), hex("012000"), hex("052000"), hex("002100")}
        << Steps{hex("012200"), QByteArray(), hex("052000"), hex("052100")};
    QTest::newRow("change baud-rate code")
        << Steps{hex("0124010B"), hex("012300"), hex("022300")}
        << Steps{hex("012400"), hex("0123010B"), hex("02230106")};
    QTest::newRow("broadcast changes every driver and gets no reply")
        << Steps{hex("00250400000064"), hex("012600"), hex("022600")}
        << Steps{QByteArray(), hex("01260400000064"), hex("02260400000064")};
    QTest::newRow("download and read back an IO substitution command")
        << Steps{hex("01400705310400002710"), hex("01410105"), hex("01400105"), hex("01410105")}
        << Steps{hex("014000"), hex("01410705310400002710"), hex("014000"), hex("01410105")};
    QTest::newRow("IO substitution downloads that are refused")
        << Steps{hex("01400700310400002710"), hex("014003056300"), hex("014003054000"),
                 hex("01400720310400002710"), hex("01400405310100")}
        << Steps{hex("01C00104"), hex("01C00103"), hex("01C00104"), hex("01C00104"),
                 hex("01C00101")};
    QTest::newRow("gear ratio set and read back")
        << Steps{hex("015F0400000003"), hex("016000"), hex("01610400000002"), hex("016200")}
        << Steps{hex("015F00"), hex("01600400000003"), hex("016100"), hex("01620400000002")};
    QTest::newRow("position counters zeroed after a 24-bit move backwards")
        << Steps{hex("01320401000000"), hex("013700"), hex("013800"), hex("013700")}
        << Steps{hex("013200"), hex("01370400000000"), hex("013800"), hex("01370400000000")};
    QTest::newRow("a move at time 0 shows in the status at once")
        << Steps{hex("01310400002710"), hex("013B00")}
        << Steps{hex("013100"), hex("013B0401010001")};
}

void TestDriveProtocol::conversations() {
    QFETCH(Steps, requests);
    QFETCH(Steps, replies);
    QCOMPARE(requests.size(), replies.size());
    DriveBus bus = twoDrivers();
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const BusReply answer = bus.handleRequest(rtu(requests[i].toHex().constData()), 0);
        QVERIFY2(answer.frame == framed(replies[i], ProtocolMode::Rtu),
                 qPrintable(QStringLiteral("step %1: got %2")
                                .arg(i)
                                .arg(QString::fromLatin1(answer.frame.toHex(' ')))));
    }
}

void TestDriveProtocol::checksumFailures_data() {
    QTest::addColumn<Steps>("requests");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("rtu CRC off by one bit") << Steps{hex("01200039C1")} << rtu("01A00102");
    QTest::newRow("rtu CRC bytes swapped") << Steps{hex("012000C039")} << rtu("01A00102");
    QTest::newRow("asc LRC wrong") << Steps{QByteArray(":012000DE\r\n")} << asc("01A00102");
    QTest::newRow("asc with a non-hex character after address and code")
        << Steps{QByteArray(":0120X0DF\r\n")} << asc("01A00102");
    QTest::newRow("asc lower-case hex is read")
        << Steps{QByteArray(":012a00d5\r\n")} << asc("012A04000001F4");
    QTest::newRow("asc unreadable address gets nothing")
        << Steps{QByteArray(":ZZ2000DF\r\n")} << QByteArray();
    QTest::newRow("rtu bad CRC to an absent address gets nothing")
        << Steps{hex("0320000000")} << QByteArray();
    QTest::newRow("three bytes without a CRC") << Steps{hex("012000")} << rtu("01A00102");
    QTest::newRow("check switched off: a bad CRC is accepted")
        << Steps{rtu("01480101"), hex("0120000000")} << rtu("012000");
    QTest::newRow("check switched on again")
        << Steps{rtu("01480101"), rtu("01480100"), hex("0120000000")} << rtu("01A00102");
}

void TestDriveProtocol::checksumFailures() {
    QFETCH(Steps, requests);
    QFETCH(QByteArray, reply);
    DriveBus bus = twoDrivers();
    BusReply answer;
    for (const QByteArray& request : requests) {
        answer = bus.handleRequest(request, 0);
    }
    QCOMPARE(answer.frame, reply);
}

void TestDriveProtocol::replyOptions() {
    DriveBus bus = twoDrivers();
    // "Replies 8 bytes long": short replies are zero-filled to six bytes before the CRC.
    QCOMPARE(bus.handleRequest(rtu("01490101"), 0).frame, rtu("014903000000"));
    QCOMPARE(bus.handleRequest(rtu("012300"), 0).frame, rtu("012303060000"));
    QCOMPARE(bus.handleRequest(rtu("012600"), 0).frame, rtu("012604000001F4"));
    QCOMPARE(bus.handleRequest(rtu("01490100"), 0).frame, rtu("014900"));
    // LastChr on: its character follows every reply of that driver, and only of that one.
    const BusReply lastChr = bus.handleRequest(rtu("0151020180"), 0);
    QCOMPARE(lastChr.frame, rtu("015100"));
    QCOMPARE(lastChr.trailer, hex("80"));
    QCOMPARE(bus.handleRequest(asc("012000"), 0).trailer, hex("80"));
    QVERIFY(bus.handleRequest(rtu("022000"), 0).trailer.isEmpty());
    QVERIFY(bus.handleRequest(rtu("0151020080"), 0).trailer.isEmpty());
}

namespace {

QByteArray withCrc(const char* text) {
    return BuildFrame(hex(text), ProtocolMode::Rtu);
}

} // namespace

// Standard Modbus RTU function 3/16 at register base + command code.
void TestDriveProtocol::plcRequests_data() {
    QTest::addColumn<Steps>("requests");
    QTest::addColumn<Steps>("replies");
    QTest::newRow("handshake as a read of 0 registers")
        << Steps{hex("0103002000004400")} << Steps{withCrc("010300")};
    QTest::newRow("speed at register base 100")
        << Steps{rtu("013F0400000064"), hex("0103009A0002E424")}
        << Steps{rtu("013F00"), withCrc("01030400000000")};
    QTest::newRow("start speed written at base 1000 and read back")
        << Steps{rtu("013F04000003E8"), hex("0110040D00020400000064011D"), withCrc("0103040E0002")}
        << Steps{rtu("013F00"), withCrc("0110040D0002"), withCrc("01030400000064")};
    QTest::newRow("address change to a taken address is refused")
        << Steps{hex("011000220002040200000071D6")} << Steps{withCrc("019003")};
    QTest::newRow("address change written: byte first, then padding")
        << Steps{withCrc("0110002200020405000000"), withCrc("050300200000")}
        << Steps{withCrc("011000220002"), withCrc("050300")};
    QTest::newRow("stop written with no data")
        << Steps{withCrc("0110003C000000")} << Steps{withCrc("0110003C0000")};
    QTest::newRow("status read as two registers")
        << Steps{withCrc("0103003B0002")} << Steps{withCrc("01030400010001")};
    QTest::newRow("inputs read as three registers, zero-filled")
        << Steps{withCrc("010300420003")} << Steps{withCrc("010306010101010100")};
    QTest::newRow("IO substitution download, padded")
        << Steps{withCrc("011000400004080531040000271000"), rtu("01410105")}
        << Steps{withCrc("011000400004"), rtu("01410705310400002710")};
    QTest::newRow("function 4 is not served")
        << Steps{withCrc("010400260002")} << Steps{withCrc("018401")};
    QTest::newRow("function 6 is not served")
        << Steps{withCrc("010600250064")} << Steps{withCrc("018601")};
    QTest::newRow("register of no command")
        << Steps{withCrc("010300630002")} << Steps{withCrc("018302")};
    QTest::newRow("register below the base")
        << Steps{rtu("013F0400000064"), withCrc("010300260002")}
        << Steps{rtu("013F00"), withCrc("018302")};
    QTest::newRow("read quantity 126")
        << Steps{withCrc("01030026007E")} << Steps{withCrc("018303")};
    QTest::newRow("read of a command that needs data")
        << Steps{withCrc("010300250002")} << Steps{withCrc("018303")};
    QTest::newRow("byte count disagrees with quantity")
        << Steps{withCrc("01100025000203000000")} << Steps{withCrc("019003")};
    QTest::newRow("write too short for the command")
        << Steps{withCrc("011000250001020064")} << Steps{withCrc("019003")};
    QTest::newRow("value refused by the driver")
        << Steps{withCrc("0110002400020403000000")} << Steps{withCrc("019003")};
    QTest::newRow("bad CRC gets no answer")
        << Steps{hex("0103002000004401")} << Steps{QByteArray()};
    QTest::newRow("broadcast write is executed silently")
        << Steps{withCrc("0010002500020400000064"), withCrc("020300260002")}
        << Steps{QByteArray(), withCrc("02030400000064")};
    QTest::newRow("address query read at address 0")
        << Steps{withCrc("000300210000")} << Steps{withCrc("010300")};
}

void TestDriveProtocol::plcRequests() {
    QFETCH(Steps, requests);
    QFETCH(Steps, replies);
    DriveBus bus = twoDrivers();
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const BusReply answer = bus.handleRequest(requests[i], 0);
        QVERIFY2(answer.frame == replies[i],
                 qPrintable(QStringLiteral("step %1: got %2")
                                .arg(i)
                                .arg(QString::fromLatin1(answer.frame.toHex(' ')))));
    }
}

QTEST_GUILESS_MAIN(TestDriveProtocol)
#include "tst_driveprotocol.moc"
