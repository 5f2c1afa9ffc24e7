#include "tools/PlcMapping.h"

#include <QTest>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

} // namespace

class TestPlcMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mapsRequests_data();
    void mapsRequests();
    void refusesWhatCannotBeMapped_data();
    void refusesWhatCannotBeMapped();
};

void TestPlcMapping::mapsRequests_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QByteArray>("mapped");

    // The worked examples.
    QTest::newRow("handshake read") << hex("01200039C0") << "0" << true << hex("0103002000004400");
    QTest::newRow("speed query, base 100")
        << hex("01360037A0") << "100" << true << hex("0103009A0002E424");
    QTest::newRow("start speed 100, base 1000")
        << hex("01250400000064FCDE") << "1000" << false << hex("0110040D00020400000064011D");
    QTest::newRow("address change to 2")
        << hex("012201022183") << "0" << false << hex("011000220002040200000071D6");

    QTest::newRow("code outside the count list reads 0 registers")
        << hex("0158000000") << "0" << true << hex("010300580000C419");
    QTest::newRow("address query to address 0")
        << hex("0021000000") << "0" << true << hex("0003002100001411");
    QTest::newRow("write without data: quantity and byte count 0")
        << hex("013C000000") << "0" << false << hex("0110003C0000000500");
    QTest::newRow("address 2, base 5") << hex("023D000000") << "5" << false
                                       << hex("02100042000000"
                                              "2E28");
    QTest::newRow("five data bytes pad to eight") << hex("014005010203040500 00") << "0" << false
                                                  << hex("011000400004080102030405000000A476");
    QTest::newRow("twenty data bytes")
        << hex("014C140102030405060708090A0B0C0D0E0F1011121314 0000") << "0" << false
        << hex("0110004C000A14"
               "0102030405060708090A0B0C0D0E0F1011121314"
               "2366");
    QTest::newRow("base + code wraps past 65535")
        << hex("01200039C0") << "65535" << true << hex("0103001F0000740C");
    QTest::newRow("negative base wraps")
        << hex("013B000000") << "-1" << true << hex("0103003A0002E406");
    QTest::newRow("half rounds to even, down")
        << hex("01200039C0") << "0.5" << true << hex("0103002000004400");
    QTest::newRow("half rounds to even, up")
        << hex("01200039C0") << "1.5" << true << hex("010300220000E5C0");
    QTest::newRow("base read leniently")
        << hex("01360037A0") << " 1 00abc" << true << hex("0103009A0002E424");
    // An RTU frame to address 0x3A starts with ":" too; its valid CRC marks it as RTU.
    QTest::newRow("RTU frame to address 3A")
        << hex("3A2000480D") << "0" << true << hex("3A0300200000408B");
    QTest::newRow("ASC read") << QByteArray(":013600C9\r\n") << "100" << true
                              << hex("0103009A0002E424");
    QTest::newRow("ASC write") << QByteArray(":0125040000006472\r\n") << "1000" << false
                               << hex("0110040D00020400000064011D");
    QTest::newRow("ASC in lower case")
        << QByteArray(":013600c9\r\n") << "100" << true << hex("0103009A0002E424");
}

void TestPlcMapping::mapsRequests() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, base);
    QFETCH(bool, read);
    QFETCH(QByteArray, mapped);
    const PlcMapping result = MapToPlcRequest(frame, base, read);
    QCOMPARE(result.problem, QString());
    QCOMPARE(result.request.toHex(' '), mapped.toHex(' '));
}

void TestPlcMapping::refusesWhatCannotBeMapped_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("reason");

    QTest::newRow("data length 21") << hex("014C15"
                                           "0102030405060708090A0B0C0D0E0F101112131415"
                                           "0000")
                                    << "0" << false << "数据长度 21";
    QTest::newRow("data missing") << hex("0125040000") << "0" << false << "数据不足";
    QTest::newRow("too short to read") << hex("0120") << "0" << true << "太短";
    QTest::newRow("empty frame") << QByteArray() << "0" << true << "太短";
    QTest::newRow("ASC with a wrong LRC") << QByteArray(":013600C8\r\n") << "0" << true << "ASC";
    QTest::newRow("ASC without its line end") << QByteArray(":013600C9") << "0" << true << "ASC";
    QTest::newRow("ASC with a non-hex character")
        << QByteArray(":0136G0C9\r\n") << "0" << true << "ASC";
    QTest::newRow("ASC with an odd digit count")
        << QByteArray(":013600C\r\n") << "0" << true << "ASC";
    QTest::newRow("ASC too short") << QByteArray(":01FF\r\n") << "0" << true << "ASC";
    QTest::newRow("ASC write over 20 bytes")
        << QByteArray(":014C15"
                      "0102030405060708090A0B0C0D0E0F101112131415"
                      "B7\r\n")
        << "0" << false << "数据长度 21";
    QTest::newRow("base beyond any number")
        << hex("01200039C0") << "1e999" << true << "寄存器映射地址";
}

void TestPlcMapping::refusesWhatCannotBeMapped() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, base);
    QFETCH(bool, read);
    QFETCH(QString, reason);
    const PlcMapping result = MapToPlcRequest(frame, base, read);
    QVERIFY(result.request.isEmpty());
    QVERIFY2(result.problem.contains(reason), qPrintable(result.problem));
    QVERIFY(result.problem.contains(QStringLiteral("未发送")));
}

QTEST_APPLESS_MAIN(TestPlcMapping)
#include "tst_plcmapping.moc"
