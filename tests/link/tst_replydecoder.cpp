#include "ReferenceChecksums.h"
#include "link/ReplyDecoder.h"

#include <QTest>

namespace {

QByteArray rtu(const char* hex) {
    return withReferenceCrc(QByteArray::fromHex(hex));
}

// Control updates as "name=value" texts and lamps as "name:on"/"name:off", in table order.
QStringList updatesOf(const ReplyDecoding& decoded) {
    QStringList out;
    for (const auto& t : decoded.texts) {
        out << QLatin1String(t.control) + u'=' + t.text;
    }
    for (const auto& l : decoded.lamps) {
        out << QLatin1String(l.lamp) + (l.on ? QStringLiteral(":on") : QStringLiteral(":off"));
    }
    return out;
}

} // namespace

class TestReplyDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data();
    void decode();
    void dumpLines();
};

void TestReplyDecoder::decode_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("updates");
    const QString lf = QStringLiteral("\n\r");
    QTest::newRow("one byte") << QByteArray::fromHex("01") << QString() << QStringList();
    QTest::newRow("two bytes") << QByteArray::fromHex("0126") << QString() << QStringList();
    QTest::newRow("start speed without data")
        << rtu("012600") << "查询运动初速度:" + lf << QStringList();
    QTest::newRow("start speed 1000") << rtu("0126040000"
                                             "03E8")
                                      << "查询运动初速度:" + lf << QStringList{"Text27= 1000"};
    QTest::newRow("max speed") << rtu("01280400002710") << "查询运动最大速度:" + lf
                               << QStringList{"Text26= 10000"};
    QTest::newRow("end speed") << rtu("012A04000003E8") << "查询运动末速度:" + lf
                               << QStringList{"Text25= 1000"};
    QTest::newRow("acceleration") << rtu("012C0400000001") << "查询运动加速度:" + lf
                                  << QStringList{"Text24= 1"};
    QTest::newRow("deceleration") << rtu("012E0400000000") << "查询运动减速度:" + lf
                                  << QStringList{"Text6= 0"};
    QTest::newRow("homing speed") << rtu("01300400000064") << "查询归零运动速度:" + lf
                                  << QStringList{"Text28= 100"};
    QTest::newRow("speed with top bit is unsigned")
        << rtu("01360480000000") << "查询运动速度:" + lf << QStringList{"Text17= 2147483648"};
    QTest::newRow("absolute -1") << rtu("013704FFFFFFFF") << "查询运动绝对位置:" + lf
                                 << QStringList{"Text18=-1"};
    QTest::newRow("absolute minimum")
        << rtu("01370480000000") << "查询运动绝对位置:" + lf << QStringList{"Text18=-2147483648"};
    QTest::newRow("absolute maximum")
        << rtu("0137047FFFFFFF") << "查询运动绝对位置:" + lf << QStringList{"Text18= 2147483647"};
    QTest::newRow("relative") << rtu("013904FFFFD8F0") << "查询运动相对位置:" + lf
                              << QStringList{"Text19=-10000"};
    QTest::newRow("status stopped, no switch")
        << rtu("013B0400010101") << "查询运动状态:" + lf
        << QStringList{"Label15=停止", "Shape1:off", "Shape2:off", "Shape3:off", "Shape4:off"};
    QTest::newRow("status moving, all switches")
        << rtu("013B0401000000") << "查询运动状态:" + lf
        << QStringList{"Label15=运动中", "Shape1:on", "Shape2:on", "Shape3:on", "Shape4:on"};
    QTest::newRow("status mixed") << rtu("013B0405010201") << "查询运动状态:" + lf
                                  << QStringList{"Label15=运动中", "Shape1:on", "Shape2:off",
                                                 "Shape3:on", "Shape4:off"};
    QTest::newRow("status too short for lamps")
        << rtu("013B00") << "查询运动状态:" + lf << QStringList();
    QTest::newRow("inputs") << rtu("0142050100010002") << "查询 IN 1-5 状态:" + lf
                            << QStringList{"Shape5:off", "Shape6:on", "Shape7:off", "Shape8:on",
                                           "Shape9:on"};
    QTest::newRow("failure reply") << rtu("01A60104") << QString() << QStringList();
    QTest::newRow("address 1F") << rtu("1F2100") << "查询设备地址:当前地址为1F" + lf
                                << QStringList();
    QTest::newRow("address 05 without zero")
        << rtu("052100") << "查询设备地址:当前地址为5" + lf << QStringList();
    QTest::newRow("baud code") << rtu("01230106") << "查询当前波特率:当前波特率设置为6" + lf
                               << QStringList();
    QTest::newRow("IO command read back")
        << rtu("01410502010300"
               "0A")
        << "读取IO取代命令:" + lf << QStringList{"Text31=01 03 00 0A "};
    QTest::newRow("IO command empty")
        << rtu("014100") << "读取IO取代命令:" + lf << QStringList{"Text31="};
    QTest::newRow("gear numerator")
        << rtu("01600400000003") << "查询闭环齿轮分子:" + lf << QStringList{"Text4= 3"};
    QTest::newRow("gear denominator")
        << rtu("01620400000002") << "查询闭环齿轮分母:" + lf << QStringList{"Text39= 2"};
    QTest::newRow("closed-loop absolute")
        << rtu("015804FFFFFFFE") << "查询闭环绝对位置:" + lf << QStringList{"Text37=-2"};
    QTest::newRow("closed-loop relative")
        << rtu("015A0400000010") << "查询闭环相对位置:" + lf << QStringList{"Text38= 16"};
    QTest::newRow("error code") << rtu("01640407000000") << "查询闭环错误代码:" + lf
                                << QStringList{"Text40= 7"};
    QTest::newRow("handshake") << rtu("012000") << "请求握手命令:" + lf << QStringList();
    QTest::newRow("not decoded 0x43") << rtu("014300") << QString() << QStringList();
    QTest::newRow("not decoded 0x3F") << rtu("013F00") << QString() << QStringList();
    QTest::newRow("wrong CRC") << QByteArray::fromHex("0126040000"
                                                      "03E80000")
                               << "接收数据校验错误(CRC)，未解码:" + lf << QStringList();
    QTest::newRow("ASC start speed") << asReferenceAsc(QByteArray::fromHex("0126040000"
                                                                           "03E8"))
                                     << "查询运动初速度:" + lf << QStringList{"Text27= 1000"};
    QTest::newRow("ASC IO command") << asReferenceAsc(QByteArray::fromHex("0141030201"
                                                                          "02"))
                                    << "读取IO取代命令:" + lf << QStringList{"Text31=01 02 "};
    QTest::newRow("ASC wrong LRC")
        << QByteArray(":012000FF\r\n") << "接收数据校验错误(LRC)，未解码:" + lf << QStringList();
}

void TestReplyDecoder::decode() {
    QFETCH(QByteArray, chunk);
    QFETCH(QString, line);
    QFETCH(QStringList, updates);
    const ReplyDecoding decoded = decodeReply(chunk);
    QCOMPARE(decoded.logLine, line);
    QCOMPARE(updatesOf(decoded), updates);
}

void TestReplyDecoder::dumpLines() {
    // A byte that forms no character in the code page shows as one mark.
    QCOMPARE(receiveDumpLines(QByteArray::fromHex("01200039C0")),
             QStringLiteral("RecAsc:\u0001 \u00009\uFFFD\nRecHex:01 20 00 39 C0 \n"));
    QCOMPARE(receiveDumpLines(QByteArray(":012000DF\r\n")),
             QStringLiteral("RecAsc::012000DF\r\n\nRecHex:3A 30 31 32 30 30 30 44 46 0D 0A \n"));
    QCOMPARE(valueText(0), QStringLiteral(" 0"));
}

QTEST_APPLESS_MAIN(TestReplyDecoder)
#include "tst_replydecoder.moc"
