#include "ReferenceChecksums.h"
#include "commands/Catalogue.h"

#include <QHash>
#include <QTest>

namespace {

using Texts = QHash<QString, QString>;

// Controls as the window starts, so each row only names what it changes.
Texts startTexts() {
    return {{"Text23", "1"},
            {"Combo7", "Modbus RTU"},
            {"Text7", ""},
            {"Combo6", "9600"},
            {"Text12", "100"},
            {"Text13", "10000"},
            {"Text14", "1000"},
            {"Text15", "10000"},
            {"Text16", "10000"},
            {"Text29", "10000"},
            {"Text8", "10000"},
            {"Combo3", "0"},
            {"Text9", "1000"},
            {"Text10", "10000"},
            {"Combo4", "0"},
            {"Text11", "10000"},
            {"Combo5", "0"},
            {"Text30", "10000"},
            {"Combo8", "00001"},
            {"Text31", ""},
            {"Text35", "4096"},
            {"Text36", "2048"},
            {"Text21", "1000"},
            {"Text4", "1"},
            {"Text39", "1"},
            {"Combo11", "0"},
            {"Combo12", "0"},
            {"Text32", "500"},
            {"Text40", "128"},
            {"Combo9", "100K"},
            {"Text33", "01 02 03 04 05"},
            {"Text34", "0"}};
}

Texts parseChanges(const QString& changes) {
    Texts texts = startTexts();
    for (const QString& pair : changes.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        texts[pair.left(eq)] = pair.mid(eq + 1);
    }
    return texts;
}

BuildResult build(const QString& button, const Texts& texts, FormState& state) {
    const CommandRow* row = findCommand(button);
    if (row == nullptr) {
        return {};
    }
    return buildCommand(
        *row, [&texts](const char* name) { return texts.value(QLatin1String(name)); }, state);
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requestBytes_data();
    void requestBytes();
    void refusedValues_data();
    void refusedValues();
    void outputsAndLastChrToggle();
    void everyButtonIsUniqueAndCompanionsPointAtActions();
};

void TestCatalogue::requestBytes_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QByteArray>("request"); // request bytes before framing

    auto row = [](const char* name, const char* button, const char* changes, const char* hex) {
        QTest::newRow(name) << QString::fromLatin1(button) << QString::fromUtf8(changes)
                            << QByteArray::fromHex(hex);
    };
    // Bus setup
    row("handshake", "Command12", "", "012000");
    row("address query ignores Text23", "Command13", "Text23=5", "002100");
    row("baud query", "Command15", "", "012300");
    row("change address 1F", "Command14", "Text7=1F", "0122011F");
    row("change address empty is 0", "Command14", "", "01220100");
    row("baud change 9600", "Command16", "Combo6=9600", "01240106");
    row("baud change 57600", "Command16", "Combo6=57600", "0124010B");
    row("baud change typed 115200", "Command16", "Combo6=115200", "01240100");
    row("hex address 10 is 16", "Command12", "Text23=10", "102000");
    row("hex address 1A", "Command28", "Text23=1A", "1A3600");
    // Parameters
    row("start speed 100", "Command17", "", "01250400000064");
    row("max speed 10000", "Command24", "", "01270400002710");
    row("end speed 1000", "Command25", "", "012904000003E8");
    row("acceleration", "Command26", "", "012B0400002710");
    row("deceleration", "Command27", "", "012D0400002710");
    row("homing speed", "Command64", "", "012F0400002710");
    row("minus one", "Command17", "Text12=-1", "012504FFFFFFFF");
    row("minus 10000", "Command17", "Text12=-10000", "012504FFFFD8F0");
    row("blank inside number", "Command17", "Text12=1 000", "012504000003E8");
    row("exponent", "Command17", "Text12=1e3", "012504000003E8");
    row("hex prefix", "Command17", "Text12=&H10", "01250400000010");
    row("empty box sends 0", "Command17", "Text12=", "01250400000000");
    row("trailing text ignored", "Command17", "Text12=12abc", "0125040000000C");
    row("2.5 rounds to 2", "Command17", "Text12=2.5", "01250400000002");
    row("3.5 rounds to 4", "Command17", "Text12=3.5", "01250400000004");
    row("largest 32-bit", "Command17", "Text12=2147483647",
        "012504"
        "7FFFFFFF");
    for (const auto& [button, code] :
         {std::pair{"Command57", "26"}, {"Command58", "28"}, {"Command59", "2A"},
          {"Command60", "2C"},          {"Command61", "2E"}, {"Command62", "30"},
          {"Command28", "36"},          {"Command30", "37"}, {"Command66", "38"},
          {"Command31", "39"},          {"Command67", "3A"}, {"Command29", "3B"},
          {"Command22", "3D"},          {"Command23", "3C"}, {"Command94", "42"},
          {"Command92", "45"},          {"Command93", "46"}, {"Command96", "47"},
          {"Command46", "58"},          {"Command48", "59"}, {"Command47", "5A"},
          {"Command49", "5B"},          {"Command9", "60"},  {"Command72", "62"}}) {
        QTest::newRow(qPrintable(QStringLiteral("no data %1").arg(QLatin1String(button))))
            << QString::fromLatin1(button) << QString()
            << QByteArray::fromHex(QByteArray("01") + code + "00");
    }
    // Motion
    row("move 10000", "Command18", "", "01310400002710");
    row("move -10000", "Command18", "Text8=-10000", "013104FFFFD8F0");
    row("absolute position same data", "Command74", "", "01500400002710");
    row("direction move", "Command19", "Combo3=1;Text9=1000", "013204010003E8");
    row("24-bit truncation 2^24+1", "Command19", "Text9=16777217", "01320400000001");
    row("24-bit truncation 20000000", "Command19", "Text9=20000000", "01320400312D00");
    row("direction typed 10 is decimal", "Command19", "Combo3=10", "0132040A0003E8");
    row("negative magnitude low 24 bits", "Command19", "Text9=-1", "01320400FFFFFF");
    row("constant speed", "Command20", "", "01330400002710");
    row("constant speed direction", "Command21", "Combo4=1", "01340401002710");
    row("speed change", "Command65", "", "01350400002710");
    row("homing 1", "Command76", "Combo5=1", "013E0101");
    row("homing 2", "Command7", "Combo5=1", "014E0101");
    row("homing 3 typed 10 is hex", "Command75", "Combo5=10", "014F0110");
    row("read IO command 00001", "Command88", "Combo8=00001", "01410101");
    row("input number 10000", "Command88", "Combo8=10000", "01410110");
    row("input number short 1", "Command88", "Combo8=1", "01410110");
    row("input number 11111", "Command88", "Combo8=11111", "0141011F");
    row("input number not 1 counts 0", "Command88", "Combo8=1x1", "01410114");
    row("download captured move", "Command81", "Combo8=00101;Text31=31 04 00 00 27 10 ",
        "0140070531040000271"
        "0");
    row("download odd digits", "Command81", "Text31=1 2 3", "014003011203");
    row("download blanks only", "Command81", "Text31=   ", "01400101");
    row("download ignores ASC mode", "Command81", "Combo7=Modbus ASC;Text31=3C 00", "014003013C00");
    // Closed loop
    row("quadruple move 4096", "Command4", "", "01550400001000");
    row("quadruple move -4096", "Command4", "Text35=-4096", "015504FFFFF000");
    row("gear ratio move", "Command107", "", "01560400000800");
    row("closed-loop position", "Command35", "", "015704000003E8");
    row("encoder direction 1", "Command50", "Combo12=1", "015C0101");
    row("encoder direction 10 hex", "Command50", "Combo12=10", "015C0110");
    row("control direction A", "Command73", "Combo11=A", "015D010A");
    row("with accumulated error", "Command56", "", "015E0101");
    row("without accumulated error", "Command108", "", "015E0100");
    row("gear numerator", "Command63", "", "015F0400000001");
    row("gear numerator queried text", "Command63", "Text4= 5", "015F0400000005");
    row("gear denominator", "Command71", "", "01610400000001");
    // IO, CAN and other
    row("speed factor 500", "Command91", "", "014404000001F4");
    row("no check", "Command102", "", "01480101");
    row("with check", "Command103", "", "01480100");
    row("8-byte replies", "Command104", "", "01490101");
    row("protocol-length replies", "Command105", "", "01490100");
    row("standard frame", "Command100", "", "014A0100");
    row("extended frame", "Command101", "", "014A0101");
    row("CAN rate 100K", "Command95", "", "014B010C");
    row("CAN rate 1M", "Command95", "Combo9=1M", "014B0101");
    row("CAN rate 5K", "Command95", "Combo9=5K", "014B0112");
    row("CAN rate lower case", "Command95", "Combo9=100k", "014B0100");
    row("CAN send initial", "Command106", "", "014C050102030405");
    row("CAN send 1 2 3", "Command106", "Text33=1 2 3", "014C021203");
    row("CAN send eight pairs", "Command106", "Text33=01 02 03 04 05 06 07 08", "014C050102030405");
    row("CAN send blanks only", "Command106", "Text33=   ", "014C00");
    row("LastChr 300 sends 0", "Command78", "Text40=300", "0151020100");
    row("LastChr address 1FF sends to 0", "Command78", "Text23=1FF", "0051020180");
    row("register base 65503", "Command3", "Text34=65503", "013F040000FFDF");
}

void TestCatalogue::requestBytes() {
    QFETCH(QString, button);
    QFETCH(QString, changes);
    QFETCH(QByteArray, request);
    const Texts texts = parseChanges(changes);
    FormState state;
    const BuildResult result = build(button, texts, state);
    QCOMPARE(int(result.kind), int(BuildResult::Built));
    const CommandRow* row = findCommand(button);
    const bool asc = texts.value("Combo7") != QLatin1String("Modbus RTU") && !row->rtuAlways;
    const QByteArray expected = asc ? asReferenceAsc(request) : withReferenceCrc(request);
    QCOMPARE(result.frame.toHex(' '), expected.toHex(' '));

    // The same row in ASC mode: text frame of the same request unless the row is RTU always.
    Texts ascTexts = texts;
    ascTexts["Combo7"] = QStringLiteral("Modbus ASC");
    FormState ascState;
    const BuildResult ascResult = build(button, ascTexts, ascState);
    QCOMPARE(ascResult.frame, row->rtuAlways ? withReferenceCrc(request) : asReferenceAsc(request));
}

void TestCatalogue::refusedValues_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("kind");
    const int refused = BuildResult::Refused;
    QTest::newRow("address above FF") << "Command12"
                                      << "Text23=100"
                                      << "Text23" << refused;
    QTest::newRow("32-bit too large") << "Command17"
                                      << "Text12=2147483648"
                                      << "Text12" << refused;
    QTest::newRow("32-bit too small") << "Command18"
                                      << "Text8=-2147483649"
                                      << "Text8" << refused;
    QTest::newRow("new address above FF") << "Command14"
                                          << "Text7=100"
                                          << "Text7" << refused;
    QTest::newRow("homing byte above FF") << "Command76"
                                          << "Combo5=1FF"
                                          << "Combo5" << refused;
    QTest::newRow("direction above 255") << "Command19"
                                         << "Combo3=256"
                                         << "Combo3" << refused;
    QTest::newRow("direction negative") << "Command21"
                                        << "Combo4=-1"
                                        << "Combo4" << refused;
    QTest::newRow("magnitude beyond 32-bit") << "Command19"
                                             << "Text9=1e10"
                                             << "Text9" << refused;
    QTest::newRow("encoder direction above FF") << "Command50"
                                                << "Combo12=100"
                                                << "Combo12" << refused;
    QTest::newRow("download of 255 command bytes")
        << "Command81" << QStringLiteral("Text31=") + QString(510, u'A') << "Text31" << refused;
    QTest::newRow("register base 65504") << "Command3"
                                         << "Text34=65504"
                                         << "" << int(BuildResult::OutOfRange);
    QTest::newRow("register base -1") << "Command3"
                                      << "Text34=-1"
                                      << "" << int(BuildResult::OutOfRange);
    QTest::newRow("register base beyond 32-bit") << "Command3"
                                                 << "Text34=1e12"
                                                 << "Text34" << refused;
    QTest::newRow("empty CAN box stops") << "Command106"
                                         << "Text33="
                                         << "" << int(BuildResult::Stopped);
    QTest::newRow("empty download box stops") << "Command81"
                                              << "Text31="
                                              << "" << int(BuildResult::Stopped);
}

void TestCatalogue::refusedValues() {
    QFETCH(QString, button);
    QFETCH(QString, changes);
    QFETCH(QString, control);
    QFETCH(int, kind);
    FormState state;
    const BuildResult result = build(button, parseChanges(changes), state);
    QCOMPARE(int(result.kind), kind);
    QVERIFY(result.frame.isEmpty());
    QCOMPARE(result.problem.control, control);
    if (kind == BuildResult::Refused) {
        QVERIFY(!result.problem.message.isEmpty());
    }
}

void TestCatalogue::outputsAndLastChrToggle() {
    FormState state;
    const Texts texts = startTexts();
    QCOMPARE(build("Command109", texts, state).frame, QByteArray::fromHex("01520201 00A928"));
    QVERIFY(state.K1State && !state.K2State);
    QCOMPARE(build("Command110", texts, state).frame, QByteArray::fromHex("0152020101 68E8"));
    // The tab double-click clears both; the next K2 click sends K1 off, K2 on.
    state.K1State = false;
    state.K2State = false;
    QCOMPARE(build("Command110", texts, state).frame, QByteArray::fromHex("015202000169 78"));

    QCOMPARE(build("Command78", texts, state).frame, QByteArray::fromHex("0151020180A8CC"));
    QVERIFY(state.LastChrState);
    QCOMPARE(build("Command78", texts, state).frame, QByteArray::fromHex("0151020080A95C"));
    QVERIFY(!state.LastChrState);

    // A refused address flips no output.
    Texts bad = texts;
    bad["Text23"] = QStringLiteral("1FF");
    QCOMPARE(int(build("Command109", bad, state).kind), int(BuildResult::Refused));
    QVERIFY(!state.K1State);
}

void TestCatalogue::everyButtonIsUniqueAndCompanionsPointAtActions() {
    QSet<QString> buttons;
    for (const CommandRow& row : commandCatalogue()) {
        QVERIFY2(!buttons.contains(QLatin1String(row.button)), row.button);
        buttons.insert(QLatin1String(row.button));
    }
    const QSet<QString> rawTools{"Command1", "Command10", "Command11"};
    for (const CompanionRow& companion : companionButtons()) {
        const QString action = QLatin1String(companion.action);
        QVERIFY2(buttons.contains(action) || rawTools.contains(action), companion.companion);
        if (const CommandRow* row = findCommand(action)) {
            const unsigned needed =
                companion.flag == CompanionFlag::Record ? HonoursRecord : HonoursCapture;
            QVERIFY2(row->honours & needed, companion.companion);
        }
    }
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
