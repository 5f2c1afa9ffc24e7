#include "PtyPair.h"
#include "commands/Lamp.h"
#include "link/CommPort.h"
#include "ui/FrmMain.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <memory>

namespace {

// Expected frames are built here from hex text, with checksums written independently of the
// workbench's codec and checked against the protocol's worked examples (checksumsOfTheTest).

QByteArray hex(const QByteArray& text) {
    return QByteArray::fromHex(text);
}

quint16 modbusCrc(const QByteArray& bytes) {
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ 0xA001) : (crc >> 1);
        }
    }
    return crc;
}

QByteArray rtu(const QByteArray& requestHex) {
    QByteArray frame = hex(requestHex);
    const quint16 crc = modbusCrc(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

QByteArray asc(const QByteArray& requestHex) {
    const QByteArray request = hex(requestHex);
    unsigned sum = 0;
    for (const char c : request) {
        sum += static_cast<quint8>(c);
    }
    const QByteArray lrc(1, static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF));
    return ':' + request.toHex().toUpper() + lrc.toHex().toUpper() + "\r\n";
}

// Two upper-case digits and a blank per byte, the way recorded and captured lines read.
QString pairs(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes) {
        text +=
            QStringLiteral("%1 ").arg(static_cast<quint8>(c), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

// What a capture stores: the frame from its second byte through its third-last.
QString captured(const QByteArray& frame) {
    return pairs(frame.mid(1, frame.size() - 3));
}

const QByteArray kSentinel("\xA5\x5A\xC3\x3C", 4);

} // namespace

class TestMotionPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksumsOfTheTest();
    void init();
    void cleanup();
    void clicksSendRequests_data();
    void clicksSendRequests();
    void plcOptionFollowsButton_data();
    void plcOptionFollowsButton();
    void panelsShowDocumentedTexts();
    void panelsLookAsDocumented();
    void lampsStandOverTheirLegend();

private:
    void apply(const QString& step);
    void receiveSentSoFar(QByteArray& received);

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<FrmMain> m_window;
};

void TestMotionPanels::checksumsOfTheTest() {
    QCOMPARE(modbusCrc("123456789"), quint16(0x4B37));
    QCOMPARE(rtu("01 20 00"), hex("01 20 00 39 C0"));
    QCOMPARE(rtu("01 25 04 00 00 00 64"), hex("01 25 04 00 00 00 64 FC DE"));
    QCOMPARE(rtu("01 22 01 02"), hex("01 22 01 02 21 83"));
    QCOMPARE(rtu("01 31 04 00 00 27 10"), hex("01 31 04 00 00 27 10 E4 1D"));
    QCOMPARE(asc("01 20 00"), QByteArray(":012000DF\r\n"));
    QCOMPARE(asc("01 25 04 00 00 00 64"), QByteArray(":0125040000006472\r\n"));
    QCOMPARE(asc("01 22 01 02"), QByteArray(":01220102DA\r\n"));
    QCOMPARE(asc("E0 20 00"), QByteArray(":E0200000\r\n"));
}

void TestMotionPanels::init() {
    if (QByteArray(QTest::currentTestFunction()) == "checksumsOfTheTest") {
        return;
    }
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    qputenv("TORVANE_COM1", m_pty->slavePath().toLocal8Bit());
    m_window = std::make_unique<FrmMain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->control<QComboBox>("Combo1")->setEditText(QStringLiteral("COM1"));
    QTest::mouseClick(m_window->control<QPushButton>("Command32"), Qt::LeftButton);
    QVERIFY(m_window->port().isOpen());
    m_window->statusBar()->clearMessage();
}

void TestMotionPanels::cleanup() {
    m_window.reset();
    m_pty.reset();
    qunsetenv("TORVANE_COM1");
}

// "Name=text" sets a box, a combo's text or a check box ("1" ticks it); "Name" clicks it.
void TestMotionPanels::apply(const QString& step) {
    const qsizetype equals = step.indexOf(u'=');
    const QString name = step.left(equals);
    const QByteArray what = step.left(60).toUtf8();
    auto* control = m_window->control<QWidget>(name);
    QVERIFY2(control != nullptr, what.constData());
    if (equals < 0) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        QVERIFY2(button != nullptr && button->isVisible(), what.constData());
        QTest::mouseClick(button, Qt::LeftButton);
        return;
    }
    const QString value = step.mid(equals + 1);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(value);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        check->setChecked(value == QStringLiteral("1"));
    } else {
        QFAIL(what.constData());
    }
}

// Everything the far side has received up to now: a marker frame is sent behind the clicks'
// frames and the bytes are read until it arrives.
void TestMotionPanels::receiveSentSoFar(QByteArray& received) {
    m_window->SendComm(kSentinel);
    QTRY_VERIFY_WITH_TIMEOUT((received += m_pty->drain(0)).endsWith(kSentinel), 3000);
    received.chop(kSentinel.size());
}

void TestMotionPanels::clicksSendRequests_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text31"); // null: Text31 keeps what the steps typed
    QTest::addColumn<bool>("refused");

    auto sent = [](const char* name, const QStringList& steps, const QByteArray& wire) {
        QTest::newRow(name) << steps << wire << QStringList() << QString() << false;
    };
    auto recorded = [](const char* name, const QStringList& steps, const QByteArray& frame) {
        QTest::newRow(name) << steps << frame << QStringList{pairs(frame)} << QString() << false;
    };
    auto capturedOnly = [](const char* name, const QStringList& steps, const QString& text) {
        QTest::newRow(name) << steps << QByteArray() << QStringList() << text << false;
    };
    auto refused = [](const char* name, const QStringList& steps) {
        QTest::newRow(name) << steps << QByteArray() << QStringList() << QString() << true;
    };
    const QString ascMode = QStringLiteral("Combo7=Modbus ASC");

    // Parameter panel: set buttons, worked examples and lenient numbers.
    sent("初速度 100, worked example", {"Text12=100", "Command17"},
         hex("01 25 04 00 00 00 64 FC DE"));
    sent("初速度 100 in ASC, worked example", {ascMode, "Command17"},
         QByteArray(":0125040000006472\r\n"));
    sent("最大速度 initial 10000", {"Command24"}, rtu("01 27 04 00 00 27 10"));
    sent("末速度 initial 1000", {"Command25"}, rtu("01 29 04 00 00 03 E8"));
    sent("末速度 -1", {"Text14=-1", "Command25"}, rtu("01 29 04 FF FF FF FF"));
    sent("加速度 -10000", {"Text15=-10000", "Command26"}, rtu("01 2B 04 FF FF D8 F0"));
    sent("减速度 blank inside 1 000", {"Text16=1 000", "Command27"}, rtu("01 2D 04 00 00 03 E8"));
    sent("归零速度 empty box sends 0", {"Text29=", "Command64"}, rtu("01 2F 04 00 00 00 00"));
    sent("初速度 1e3", {"Text12=1e3", "Command17"}, rtu("01 25 04 00 00 03 E8"));
    sent("初速度 &H10", {"Text12=&H10", "Command17"}, rtu("01 25 04 00 00 00 10"));
    sent("初速度 12abc", {"Text12=12abc", "Command17"}, rtu("01 25 04 00 00 00 0C"));
    sent("初速度 2.5 ties to even", {"Text12=2.5", "Command17"}, rtu("01 25 04 00 00 00 02"));
    sent("初速度 3.5 ties to even", {"Text12=3.5", "Command17"}, rtu("01 25 04 00 00 00 04"));
    sent("初速度 lowest 32-bit", {"Text12=-2147483648", "Command17"}, rtu("01 25 04 80 00 00 00"));
    refused("初速度 2147483648 does not fit", {"Text12=2147483648", "Command17"});
    sent("加速度 -1 in ASC", {ascMode, "Text15=-1", "Command26"}, asc("01 2B 04 FF FF FF FF"));

    // Parameter panel: queries and zeroing.
    sent("? start speed", {"Command57"}, rtu("01 26 00"));
    sent("? maximum speed", {"Command58"}, rtu("01 28 00"));
    sent("? end speed", {"Command59"}, rtu("01 2A 00"));
    sent("? acceleration", {"Command60"}, rtu("01 2C 00"));
    sent("? deceleration, address 10 is 0x10", {"Text23=10", "Command61"}, rtu("10 2E 00"));
    sent("? homing speed", {"Command62"}, rtu("01 30 00"));
    sent("? acceleration in ASC", {ascMode, "Command60"}, asc("01 2C 00"));
    sent("运动速度 address 1A", {"Text23=1A", "Command28"}, rtu("1A 36 00"));
    sent("绝对位置", {"Command30"}, rtu("01 37 00"));
    sent("相对位置", {"Command31"}, rtu("01 39 00"));
    sent("运动状态", {"Command29"}, rtu("01 3B 00"));
    sent("0 absolute", {"Command66"}, rtu("01 38 00"));
    sent("0 relative", {"Command67"}, rtu("01 3A 00"));
    refused("address 100 does not fit", {"Text23=100", "Command28"});

    // Parameter panel: record companions.
    recorded("> 运动速度", {"Command51"}, rtu("01 36 00"));
    recorded("> 绝对位置", {"Command52"}, rtu("01 37 00"));
    recorded("> 相对位置", {"Command53"}, rtu("01 39 00"));
    recorded("> 运动状态", {"Command43"}, rtu("01 3B 00"));
    recorded("> 0 absolute", {"Command69"}, rtu("01 38 00"));
    recorded("> 0 relative", {"Command70"}, rtu("01 3A 00"));
    recorded("> in ASC records the ASC text", {ascMode, "Command52"}, asc("01 37 00"));
    QTest::newRow("> then the plain button records once")
        << QStringList{"Command52", "Command30"} << rtu("01 37 00") + rtu("01 37 00")
        << QStringList{pairs(rtu("01 37 00"))} << QString() << false;

    // Motion panel: moves, homing, stops.
    sent("运动 10000, worked example", {"Command18"}, hex("01 31 04 00 00 27 10 E4 1D"));
    sent("运动 -10000", {"Text8=-10000", "Command18"}, rtu("01 31 04 FF FF D8 F0"));
    sent("绝对位置 same number under 0x50", {"Command74"}, rtu("01 50 04 00 00 27 10"));
    sent("方向运动 1, 1000", {"Combo3=1", "Command19"}, rtu("01 32 04 01 00 03 E8"));
    sent("方向运动 2^24+1 keeps low 24 bits", {"Text9=16777217", "Command19"},
         rtu("01 32 04 00 00 00 01"));
    sent("方向运动 20000000", {"Text9=20000000", "Command19"}, rtu("01 32 04 00 31 2D 00"));
    sent("方向运动 -1", {"Text9=-1", "Command19"}, rtu("01 32 04 00 FF FF FF"));
    refused("方向运动 amount beyond 32 bits", {"Text9=4294967296", "Command19"});
    sent("恒速运动", {"Command20"}, rtu("01 33 04 00 00 27 10"));
    sent("恒速方向 10 is decimal", {"Combo4=10", "Command21"}, rtu("01 34 04 0A 00 27 10"));
    sent("恒速方向 2.5 ties to even", {"Combo4=2.5", "Command21"}, rtu("01 34 04 02 00 27 10"));
    refused("恒速方向 256 does not fit", {"Combo4=256", "Command21"});
    sent("执行", {"Command65"}, rtu("01 35 04 00 00 27 10"));
    sent("归零2 direction 1", {"Combo5=1", "Command7"}, rtu("01 4E 01 01"));
    sent("归零1 10 is hex", {"Combo5=10", "Command76"}, rtu("01 3E 01 10"));
    sent("归零3 FF", {"Combo5=FF", "Command75"}, rtu("01 4F 01 FF"));
    refused("归零2 100 does not fit", {"Combo5=100", "Command7"});
    sent("减速停止", {"Command22"}, rtu("01 3D 00"));
    sent("立即停止", {"Command23"}, rtu("01 3C 00"));
    sent("立即停止 in ASC", {ascMode, "Command23"}, asc("01 3C 00"));
    sent("运动 in ASC", {ascMode, "Command18"}, asc("01 31 04 00 00 27 10"));

    // Motion panel: record companions.
    QTest::newRow("> 运动, worked example")
        << QStringList{"Command38"} << rtu("01 31 04 00 00 27 10")
        << QStringList{QStringLiteral("01 31 04 00 00 27 10 E4 1D ")} << QString() << false;
    recorded("> 方向运动", {"Command39"}, rtu("01 32 04 00 00 03 E8"));
    recorded("> 恒速运动", {"Command40"}, rtu("01 33 04 00 00 27 10"));
    recorded("> 恒速方向", {"Command41"}, rtu("01 34 04 00 00 27 10"));
    recorded("> 归零2", {"Command42"}, rtu("01 4E 01 00"));
    recorded("> 减速停止", {"Command44"}, rtu("01 3D 00"));
    recorded("> 立即停止", {"Command45"}, rtu("01 3C 00"));
    recorded("> 执行", {"Command68"}, rtu("01 35 04 00 00 27 10"));

    // Motion panel: capture companions write Text31 and send nothing.
    capturedOnly("↓ 运动, worked example", {"Command82"}, QStringLiteral("31 04 00 00 27 10 "));
    capturedOnly("↓ 方向运动", {"Command83"}, QStringLiteral("32 04 00 00 03 E8 "));
    capturedOnly("↓ 恒速运动", {"Command84"}, QStringLiteral("33 04 00 00 27 10 "));
    capturedOnly("↓ 恒速方向", {"Command85"}, QStringLiteral("34 04 00 00 27 10 "));
    capturedOnly("↓ 归零2", {"Combo5=1", "Command86"}, QStringLiteral("4E 01 01 "));
    capturedOnly("↓ 执行", {"Command87"}, QStringLiteral("35 04 00 00 27 10 "));
    capturedOnly("↓ 减速停止", {"Command89"}, QStringLiteral("3D 00 "));
    capturedOnly("↓ 立即停止, worked example", {"Command90"}, QStringLiteral("3C 00 "));
    capturedOnly("↓ 运动 in ASC holds the text's codes", {ascMode, "Command82"},
                 captured(asc("01 31 04 00 00 27 10")));
    capturedOnly("↓ replaces what Text31 held", {"Text31=AA BB", "Command89"},
                 QStringLiteral("3D 00 "));
    QTest::newRow("↓ refused value clears its flag")
        << QStringList{"Text8=2147483648", "Command82", "Text8=5", "Command18"}
        << rtu("01 31 04 00 00 00 05") << QStringList() << QString() << true;

    // IO substitution: the input number of Combo8.
    sent("? worked example", {"Command88"}, rtu("01 41 01 01"));
    sent("? switches PLC mode off", {"Check2=1", "Command88"}, rtu("01 41 01 01"));
    sent("? 10000 is IN5", {"Combo8=10000", "Command88"}, rtu("01 41 01 10"));
    sent("? 11111", {"Combo8=11111", "Command88"}, rtu("01 41 01 1F"));
    sent("? short text 1 is IN5", {"Combo8=1", "Command88"}, rtu("01 41 01 10"));
    sent("? short text 0010", {"Combo8=0010", "Command88"}, rtu("01 41 01 04"));
    sent("? empty text", {"Combo8=", "Command88"}, rtu("01 41 01 00"));
    sent("? sixth character ignored", {"Combo8=101011", "Command88"}, rtu("01 41 01 15"));
    sent("? other characters count 0", {"Combo8=2x101", "Command88"}, rtu("01 41 01 05"));
    sent("? disabled in ASC", {ascMode, "Command88"}, QByteArray());

    // IO substitution: 下载 of typed and captured texts, always RTU.
    sent("下载 worked example", {"Text31=31 04 00 00 27 10 ", "Combo8=00101", "Command81"},
         rtu("01 40 07 05 31 04 00 00 27 10"));
    QTest::newRow("下载 of a capture") << QStringList{"Combo8=00101", "Command82", "Command81"}
                                       << rtu("01 40 07 05 31 04 00 00 27 10") << QStringList()
                                       << QStringLiteral("31 04 00 00 27 10 ") << false;
    sent("下载 digits between blanks", {"Text31=1 2 3", "Command81"}, rtu("01 40 03 01 12 03"));
    sent("下载 blanks only", {"Text31=   ", "Command81"}, rtu("01 40 01 01"));
    sent("下载 empty sends nothing", {"Text31=", "Command81"}, QByteArray());
    sent("下载 odd count", {"Text31=ABC", "Command81"}, rtu("01 40 03 01 AB 0C"));
    sent("下载 lower case and junk pairs", {"Text31=1z z1 ff", "Command81"},
         rtu("01 40 04 01 01 00 FF"));
    sent("下载 address 1A", {"Text23=1A", "Text31=3C 00", "Command81"}, rtu("1A 40 03 01 3C 00"));
    sent("下载 switches PLC mode off", {"Check2=1", "Text31=3C 00", "Command81"},
         rtu("01 40 03 01 3C 00"));
    sent("下载 disabled in ASC", {ascMode, "Text31=3C 00", "Command81"}, QByteArray());
    QTest::newRow("下载 of an ASC capture in RTU")
        << QStringList{ascMode, "Command90", "Combo7=Modbus RTU", "Command81"}
        << rtu("01 40 09 01 30 31 33 43 30 30 43 33") << QStringList()
        << QStringLiteral("30 31 33 43 30 30 43 33 ") << false;
    sent("下载 254 command bytes", {"Text31=" + QStringLiteral("00 ").repeated(254), "Command81"},
         rtu("01 40 FF 01" + QByteArray(254 * 2, '0')));
    refused("下载 255 command bytes",
            {"Text31=" + QStringLiteral("00 ").repeated(255), "Command81"});
}

void TestMotionPanels::clicksSendRequests() {
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, wire);
    QFETCH(QStringList, list);
    QFETCH(QString, text31);
    QFETCH(bool, refused);

    QString typed31;
    for (const QString& step : steps) {
        apply(step);
        if (QTest::currentTestFailed()) {
            return;
        }
        if (step.startsWith(QStringLiteral("Text31="))) {
            typed31 = step.mid(7);
        }
    }
    QVERIFY2(!m_window->control<QCheckBox>("Check2")->isChecked(), "PLC mode left on");
    QByteArray received;
    receiveSentSoFar(received);
    if (QTest::currentTestFailed()) {
        return;
    }
    QCOMPARE(received, wire);

    QStringList lines;
    auto* list1 = m_window->control<QListWidget>("List1");
    for (int i = 0; i < list1->count(); ++i) {
        lines << list1->item(i)->text();
    }
    QCOMPARE(lines, list);
    QCOMPARE(m_window->control<QLineEdit>("Text31")->text(), text31.isNull() ? typed31 : text31);
    QVERIFY(!m_window->RecordToList && !m_window->CaptureToIoCommand);
    const QString message = m_window->statusBar()->currentMessage();
    QCOMPARE(!message.isEmpty(), refused);
    if (refused && steps.last() == QStringLiteral("Command81")) {
        QVERIFY2(message.contains(QStringLiteral("254")), qPrintable(message));
    }
}

void TestMotionPanels::plcOptionFollowsButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("set button writes") << "Command17"
                                       << "Option3"
                                       << "Option4";
    QTest::newRow("? reads") << "Command57"
                             << "Option4"
                             << "Option3";
    QTest::newRow("0 absolute reads") << "Command66"
                                      << "Option4"
                                      << "Option3";
    QTest::newRow("0 relative reads") << "Command67"
                                      << "Option4"
                                      << "Option3";
    QTest::newRow("运动状态 reads") << "Command29"
                                    << "Option4"
                                    << "Option3";
    QTest::newRow("运动 writes") << "Command18"
                                 << "Option3"
                                 << "Option4";
    QTest::newRow("归零1 writes") << "Command76"
                                  << "Option3"
                                  << "Option4";
    QTest::newRow("减速停止 leaves 读") << "Command22"
                                        << "Option3"
                                        << "Option3";
    QTest::newRow("立即停止 leaves 写") << "Command23"
                                        << "Option4"
                                        << "Option4";
}

void TestMotionPanels::plcOptionFollowsButton() {
    QFETCH(QString, button);
    QFETCH(QString, before);
    QFETCH(QString, after);
    m_window->control<QAbstractButton>(before)->setChecked(true);
    QTest::mouseClick(m_window->control<QAbstractButton>(button), Qt::LeftButton);
    QVERIFY(m_window->control<QAbstractButton>(after)->isChecked());
}

void TestMotionPanels::panelsShowDocumentedTexts() {
    const struct {
        const char* name;
        const char* text;
    } kTexts[] = {
        {"Label7", "新设值      查询值             运动相关查询"},
        {"Command17", "初速度"},
        {"Text12", "100"},
        {"Command57", "?"},
        {"Text27", "0"},
        {"Command24", "最大速度"},
        {"Text13", "10000"},
        {"Command58", "?"},
        {"Text26", "0"},
        {"Command25", "末速度"},
        {"Text14", "1000"},
        {"Command59", "?"},
        {"Text25", "0"},
        {"Command26", "加速度"},
        {"Text15", "10000"},
        {"Command60", "?"},
        {"Text24", "0"},
        {"Command27", "减速度"},
        {"Text16", "10000"},
        {"Command61", "?"},
        {"Text6", "0"},
        {"Command64", "归零速度"},
        {"Text29", "10000"},
        {"Command62", "?"},
        {"Text28", "0"},
        {"Command28", "运动速度"},
        {"Command51", ">"},
        {"Text17", "0"},
        {"Command30", "绝对位置"},
        {"Command52", ">"},
        {"Text18", "0"},
        {"Command66", "0"},
        {"Command69", ">"},
        {"Command31", "相对位置"},
        {"Command53", ">"},
        {"Text19", "0"},
        {"Command67", "0"},
        {"Command70", ">"},
        {"Command29", "运动状态"},
        {"Command43", ">"},
        {"Label15", "停止"},
        {"Label41", "左限右限零点"},
        {"Label20", "位置运动: 正/负方向脉冲数:"},
        {"Text8", "10000"},
        {"Command74", "绝对位置"},
        {"Command82", "↓"},
        {"Command18", "运动"},
        {"Command38", ">"},
        {"Label21", "方向:"},
        {"Combo3", "0"},
        {"Label22", "脉冲数:"},
        {"Text9", "1000"},
        {"Command83", "↓"},
        {"Command19", "运动"},
        {"Command39", ">"},
        {"Label24", "恒速运动: 正/负方向速度:"},
        {"Text10", "10000"},
        {"Command84", "↓"},
        {"Command20", "运动"},
        {"Command40", ">"},
        {"Label25", "方向:"},
        {"Combo4", "0"},
        {"Label26", "速度:"},
        {"Text11", "10000"},
        {"Command85", "↓"},
        {"Command21", "运动"},
        {"Command41", ">"},
        {"Label37", "查找零点: 方向:"},
        {"Combo5", "0"},
        {"Command76", "归零1"},
        {"Command75", "归零3"},
        {"Command86", "↓"},
        {"Command7", "归零2"},
        {"Command42", ">"},
        {"Label27", "运动中改变速度:   新速度"},
        {"Text30", "10000"},
        {"Label28", "PLUS/S"},
        {"Command87", "↓"},
        {"Command65", "执行"},
        {"Command68", ">"},
        {"Command22", "减速停止"},
        {"Command44", ">"},
        {"Command89", "↓"},
        {"Command23", "立即停止"},
        {"Command45", ">"},
        {"Command90", "↓"},
        {"Label61", "IO控制:"},
        {"Label64", "IN序号  54321"},
        {"Combo8", "00001"},
        {"Label62", "＝命令"},
        {"Text31", ""},
        {"Command88", "?"},
        {"Command81", "下载"},
    };
    for (const auto& expected : kTexts) {
        QWidget* control = m_window->control<QWidget>(QLatin1String(expected.name));
        QVERIFY2(control != nullptr, expected.name);
        QString text;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            text = button->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            text = edit->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            QVERIFY2(combo->isEditable(), expected.name);
            text = combo->currentText();
        }
        QVERIFY2(text == QString::fromUtf8(expected.text), expected.name);
    }

    for (const char* name : {"Combo3", "Combo4", "Combo5"}) {
        auto* combo = m_window->control<QComboBox>(QLatin1String(name));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("0"));
        QCOMPARE(combo->itemText(1), QStringLiteral("1"));
    }
    auto* combo8 = m_window->control<QComboBox>("Combo8");
    QCOMPARE(combo8->count(), 31);
    QCOMPARE(combo8->itemText(0), QStringLiteral("00001"));
    QCOMPARE(combo8->itemText(1), QStringLiteral("00010"));
    QCOMPARE(combo8->itemText(21), QStringLiteral("10110"));
    QCOMPARE(combo8->itemText(30), QStringLiteral("11111"));
}

void TestMotionPanels::panelsLookAsDocumented() {
    const QColor green(192, 255, 192);
    const QColor red(255, 128, 128);
    for (const char* name :
         {"Command57", "Command58", "Command59", "Command60", "Command61", "Command62"}) {
        auto* button = m_window->control<QPushButton>(QLatin1String(name));
        QVERIFY2(button->palette().color(QPalette::Button) == green, name);
        QVERIFY2(button->toolTip() == QStringLiteral("查询设定值"), name);
    }
    for (const char* name : {"Text27", "Text26", "Text25", "Text24", "Text6", "Text28"}) {
        QVERIFY2(
            m_window->control<QLineEdit>(QLatin1String(name))->palette().color(QPalette::Base) ==
                green,
            name);
    }
    for (const char* name : {"Command66", "Command67"}) {
        QVERIFY2(m_window->control<QPushButton>(QLatin1String(name))->toolTip() ==
                     QStringLiteral("清零"),
                 name);
    }
    for (const char* name : {"Command82", "Command83", "Command84", "Command85", "Command86",
                             "Command87", "Command89", "Command90", "Command88", "Command81"}) {
        auto* button = m_window->control<QPushButton>(QLatin1String(name));
        QVERIFY2(button->palette().color(QPalette::Button) == red, name);
        if (button->text() == QStringLiteral("↓")) {
            QVERIFY2(button->toolTip() == QStringLiteral("添加IO取代命令"), name);
        }
    }
    for (QString frame : {QStringLiteral("Frame2"), QStringLiteral("Frame3")}) {
        for (QAbstractButton* button :
             m_window->control<QGroupBox>(frame)->findChildren<QAbstractButton*>()) {
            const QByteArray name = button->objectName().toUtf8();
            if (button->text() == QStringLiteral(">")) {
                QVERIFY2(button->toolTip() == QStringLiteral("加入高级命令"), name.constData());
            }
            // Nothing clipped: every caption fits its button, every label its text.
            QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + 6,
                     name.constData());
        }
        for (QLabel* label : m_window->control<QGroupBox>(frame)->findChildren<QLabel*>()) {
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                     label->objectName().toUtf8().constData());
        }
    }

    // At start the moving lamp shows the window-text colour, the other three black.
    auto* shape1 = m_window->control<Lamp>("Shape1");
    QCOMPARE(shape1->fillColor(), shape1->palette().color(QPalette::WindowText));
    for (const char* name : {"Shape2", "Shape3", "Shape4"}) {
        QVERIFY2(m_window->control<Lamp>(QLatin1String(name))->fillColor() == QColor(Qt::black),
                 name);
    }
}

void TestMotionPanels::lampsStandOverTheirLegend() {
    auto centreX = [](QWidget* w) { return w->mapTo(w->window(), w->rect().center()).x(); };
    auto* legend = m_window->control<QLabel>("Label41");
    const int pair = legend->fontMetrics().horizontalAdvance(QStringLiteral("左限"));
    const int start = legend->mapTo(legend->window(), legend->contentsRect().topLeft()).x();
    // From left to right the lamps are Shape1, Shape2, Shape4, Shape3; the legend's pairs
    // 左限, 右限, 零点 stand under Shape2, Shape4, Shape3.
    const char* const kOrder[] = {"Shape2", "Shape4", "Shape3"};
    for (int i = 0; i < 3; ++i) {
        const int x = centreX(m_window->control<Lamp>(QLatin1String(kOrder[i])));
        QVERIFY2(x > start + i * pair && x < start + (i + 1) * pair, kOrder[i]);
    }
    auto* status = m_window->control<QLabel>("Label15");
    auto* shape1 = m_window->control<Lamp>("Shape1");
    QVERIFY(qAbs(centreX(status) - centreX(shape1)) <= 2);
    QVERIFY(status->mapTo(m_window.get(), QPoint()).y() >
            shape1->mapTo(m_window.get(), QPoint()).y());
}

QTEST_MAIN(TestMotionPanels)
#include "tst_motionpanels.moc"
