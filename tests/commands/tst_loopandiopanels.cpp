#include "PtyPair.h"
#include "commands/Lamp.h"
#include "link/CommPort.h"
#include "ui/FrmMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

namespace {

// The factory-settings request to address 1: clicked after a step that must send nothing,
// it proves that nothing came before it.
const QByteArray kMarker = QByteArray::fromHex("01470013F0");

QByteArray hex(const char* pairs) {
    return QByteArray::fromHex(pairs);
}

QString pairsOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper()) + u' ';
}

// The window with COM1 opened on a pseudo-terminal; the test plays the driver.
class Bench {
public:
    Bench() {
        qputenv("TORVANE_COM1", m_pty.slavePath().toLocal8Bit());
        window = std::make_unique<FrmMain>();
        window->show();
        QTest::mouseClick(window->control<QPushButton>("Command32"), Qt::LeftButton);
    }

    bool isReady() const { return m_pty.isValid() && window->port().isOpen(); }

    void set(const QString& name, const QString& text) {
        QLineEdit* edit = window->control<QLineEdit>(name);
        if (edit == nullptr) {
            edit = window->control<QComboBox>(name)->lineEdit();
        }
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    // One step as the engineer does it: "Name=text" types into a box, "SSTab1" double-clicks
    // the tab control, any other name clicks that button.
    void step(const QString& step) {
        const qsizetype equals = step.indexOf(u'=');
        if (equals >= 0) {
            set(step.left(equals), step.mid(equals + 1));
        } else if (step == QLatin1String("SSTab1")) {
            QTabBar* bar = window->control<QTabWidget>("SSTab1")->tabBar();
            QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        } else {
            QTest::mouseClick(window->control<QPushButton>(step), Qt::LeftButton);
        }
    }

    QString text(const char* name) const {
        if (auto* edit = window->control<QLineEdit>(name)) {
            return edit->text();
        }
        return window->control<QAbstractButton>(name)->text();
    }

    // The next `count` bytes the driver receives (fewer when they do not come).
    QByteArray received(qsizetype count) {
        // A timeout shows as a short result in the caller's comparison.
        (void)QTest::qWaitFor(
            [&] {
                m_far += m_pty.drain(0);
                return m_far.size() >= count;
            },
            2000);
        const QByteArray head = m_far.left(count);
        m_far.remove(0, head.size());
        return head;
    }

    // True when the line has carried nothing beyond what was already taken.
    bool lineIsQuiet() {
        step(QStringLiteral("Text23=1"));
        step(QStringLiteral("Combo7=Modbus RTU"));
        step(QStringLiteral("Command96"));
        return received(kMarker.size()) == kMarker && m_pty.drain(0).isEmpty();
    }

    std::unique_ptr<FrmMain> window;

private:
    PtyPair m_pty;
    QByteArray m_far;
};

} // namespace

class TestLoopAndIoPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelsStartAsDocumented();
    void clicksSendFrames_data();
    void clicksSendFrames();
    void captureWritesIoBoxAndSendsNothing_data();
    void captureWritesIoBoxAndSendsNothing();
    void recordingAppendsTheWireFrame_data();
    void recordingAppendsTheWireFrame();
    void emptyCanTextKeepsRecordFlag();
    void refusalClearsCompanionFlags();
    void buttonsSelectPlcOption_data();
    void buttonsSelectPlcOption();
};

void TestLoopAndIoPanels::panelsStartAsDocumented() {
    FrmMain window;
    const struct {
        const char* name;
        const char* text;
    } texts[] = {{"Text35", "4096"}, {"Text36", "2048"},
                 {"Text21", "1000"}, {"Text4", "1"},
                 {"Text39", "1"},    {"Text37", "0"},
                 {"Text38", "0"},    {"Text32", "500"},
                 {"Text40", "128"},  {"Text33", "01 02 03 04 05"}};
    for (const auto& t : texts) {
        QCOMPARE(window.control<QLineEdit>(t.name)->text(), QString::fromUtf8(t.text));
    }
    for (const char* name : {"Combo11", "Combo12"}) {
        auto* combo = window.control<QComboBox>(name);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("0"));
        QCOMPARE(combo->itemText(1), QStringLiteral("1"));
        QCOMPARE(combo->currentText(), QStringLiteral("0"));
    }
    auto* rates = window.control<QComboBox>("Combo9");
    QVERIFY(rates->isEditable());
    const QStringList expectedRates{"1M",   "900K", "800K", "750K", "600K", "500K",
                                    "400K", "250K", "200K", "150K", "125K", "100K",
                                    "80K",  "50K",  "25K",  "20K",  "10K",  "5K"};
    QStringList items;
    for (int i = 0; i < rates->count(); ++i) {
        items << rates->itemText(i);
    }
    QCOMPARE(items, expectedRates);
    QCOMPARE(rates->currentText(), QStringLiteral("100K"));

    for (const char* name : {"Command97", "Command98"}) {
        auto* down = window.control<QPushButton>(name);
        QCOMPARE(down->text(), QStringLiteral("↓"));
        QCOMPARE(down->toolTip(), QStringLiteral("添加IO取代命令"));
        QCOMPARE(down->palette().color(QPalette::Button), QColor(255, 128, 128));
    }
    QCOMPARE(window.control<QPushButton>("Command99")->toolTip(), QStringLiteral("加入高级命令"));
    QCOMPARE(window.control<QLabel>("Label63")->text(), QStringLiteral("IN1  IN2   IN3  IN4  IN5"));
    QCOMPARE(window.control<QLabel>("Label65")->text(), QStringLiteral("以下CAN相关"));
    int previousX = -1;
    for (int shape = 5; shape <= 9; ++shape) {
        auto* lamp = window.control<Lamp>(QStringLiteral("Shape%1").arg(shape));
        QVERIFY(lamp != nullptr);
        QCOMPARE(lamp->fillColor(), QColor(Qt::black));
        QVERIFY(lamp->x() > previousX); // IN1 to IN5 from left to right
        previousX = lamp->x();
    }
    QCOMPARE(window.control<QPushButton>("Command109")->text(), QStringLiteral("K1开"));
    QCOMPARE(window.control<QPushButton>("Command110")->text(), QStringLiteral("K2开"));
    QCOMPARE(window.control<QPushButton>("Command78")->text(), QStringLiteral("LastChr"));
}

void TestLoopAndIoPanels::clicksSendFrames_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("expected");
    // Captions of Command109, Command110 and Command78 after the steps.
    QTest::addColumn<QString>("captions");

    const QString initial = QStringLiteral("K1开/K2开/LastChr");

    // Closed loop.
    QTest::newRow("4倍频运动 4096")
        << QStringList{"Command4"} << hex("01550400001000FBC5") << initial;
    QTest::newRow("4倍频运动 -4096")
        << QStringList{"Text35=-4096", "Command4"} << hex("015504FFFFF000B221") << initial;
    QTest::newRow("齿轮分子 1") << QStringList{"Command63"} << hex("015F0400000001376F") << initial;
    QTest::newRow("齿轮分子 sends back a queried value")
        << QStringList{"Text4= 1234", "Command63"} << hex("015F04000004D27432") << initial;
    QTest::newRow("齿轮比运动 ignores text after the number")
        << QStringList{"Text36=12abc", "Command107"} << hex("0156040000000CF633") << initial;
    QTest::newRow("到闭环位置 2.5 rounds to 2")
        << QStringList{"Text21=2.5", "Command35"} << hex("015704000000027626") << initial;
    QTest::newRow("到闭环位置 3.5 rounds to 4")
        << QStringList{"Text21=3.5", "Command35"} << hex("01570400000004F624") << initial;
    QTest::newRow("绝对位置 RTU") << QStringList{"Command46"} << hex("0158001BC0") << initial;
    QTest::newRow("绝对位置 ASC") << QStringList{"Combo7=Modbus ASC", "Command46"}
                                  << QByteArray(":015800A7\r\n") << initial;
    QTest::newRow("编码方向 1") << QStringList{"Combo12=1", "Command50"} << hex("015C0101019A")
                                << initial;
    QTest::newRow("编码方向 10 is hex")
        << QStringList{"Combo12=10", "Command50"} << hex("015C0110C196") << initial;
    QTest::newRow("控制方向 A is hex")
        << QStringList{"Combo11=A", "Command73"} << hex("015D010A119D") << initial;
    QTest::newRow("有积累误差") << QStringList{"Command56"} << hex("015E0101A05A") << initial;
    QTest::newRow("无积累误差") << QStringList{"Command108"} << hex("015E0100619A") << initial;
    QTest::newRow("4倍频运动 2147483648 refused")
        << QStringList{"Text35=2147483648", "Command4"} << QByteArray() << initial;
    QTest::newRow("控制方向 100 refused")
        << QStringList{"Combo11=100", "Command73"} << QByteArray() << initial;
    QTest::newRow("绝对位置 address 1FF refused")
        << QStringList{"Text23=1FF", "Command46"} << QByteArray() << initial;

    // IO, CAN and other.
    QTest::newRow("HEX到CAN发送 initial")
        << QStringList{"Command106"} << hex("014C05010203040502ED") << initial;
    QTest::newRow("HEX到CAN发送 1 2 3")
        << QStringList{"Text33=1 2 3", "Command106"} << hex("014C021203E231") << initial;
    QTest::newRow("HEX到CAN发送 eight pairs")
        << QStringList{"Text33=01 02 03 04 05 06 07 08", "Command106"}
        << hex("014C05010203040502ED") << initial;
    QTest::newRow("HEX到CAN发送 blanks only")
        << QStringList{"Text33=   ", "Command106"} << hex("014C0014C0") << initial;
    QTest::newRow("HEX到CAN发送 empty")
        << QStringList{"Text33=", "Command106"} << QByteArray() << initial;
    QTest::newRow("HEX到CAN发送 stays RTU in ASC mode")
        << QStringList{"Combo7=Modbus ASC", "Command106"} << hex("014C05010203040502ED") << initial;
    QTest::newRow("CAN波特率 100K") << QStringList{"Command95"} << hex("014B010C705B") << initial;
    QTest::newRow("CAN波特率 100k lower case")
        << QStringList{"Combo9=100k", "Command95"} << hex("014B0100705E") << initial;
    QTest::newRow("标准帧") << QStringList{"Command100"} << hex("014A0100219E") << initial;
    QTest::newRow("扩展帧") << QStringList{"Command101"} << hex("014A0101E05E") << initial;
    QTest::newRow("无校验检查") << QStringList{"Command102"} << hex("01480101419E") << initial;
    QTest::newRow("有校验检查") << QStringList{"Command103"} << hex("01480100805E") << initial;
    QTest::newRow("回8byte长") << QStringList{"Command104"} << hex("01490101105E") << initial;
    QTest::newRow("回协议长") << QStringList{"Command105"} << hex("01490100D19E") << initial;
    QTest::newRow("出厂设置") << QStringList{"Command96"} << hex("01470013F0") << initial;
    QTest::newRow("查询IN") << QStringList{"Command94"} << hex("01420010A0") << initial;
    QTest::newRow("查询IN with >") << QStringList{"Command99"} << hex("01420010A0") << initial;
    QTest::newRow("加速度") << QStringList{"Command92"} << hex("0145001290") << initial;
    QTest::newRow("减速度") << QStringList{"Command93"} << hex("0146001260") << initial;
    QTest::newRow("运动因子 500") << QStringList{"Command91"} << hex("014404000001F4F553")
                                  << initial;
    QTest::newRow("运动因子 -1") << QStringList{"Text32=-1", "Command91"}
                                 << hex("014404FFFFFFFFF4D0") << initial;
    QTest::newRow("运动因子 3e9 refused")
        << QStringList{"Text32=3e9", "Command91"} << QByteArray() << initial;
    QTest::newRow("K1 then K2") << QStringList{"Command109", "Command110"}
                                << hex("0152020100A928 015202010168E8")
                                << QStringLiteral("K1关/K2关/LastChr");
    QTest::newRow("K1, tab double-click, K2")
        << QStringList{"Command109", "SSTab1", "Command110"} << hex("0152020100A928 01520200016978")
        << QStringLiteral("K1开/K2关/LastChr");
    QTest::newRow("K1 twice") << QStringList{"Command109", "Command109"}
                              << hex("0152020100A928 0152020000A8B8") << initial;
    QTest::newRow("K1 refused keeps its state")
        << QStringList{"Text23=1FF", "Command109", "Text23=1", "Command109"}
        << hex("0152020100A928") << QStringLiteral("K1关/K2开/LastChr");
    QTest::newRow("LastChr once") << QStringList{"Command78"} << hex("0151020180A8CC")
                                  << QStringLiteral("K1开/K2开/NoLast");
    QTest::newRow("LastChr twice")
        << QStringList{"Command78", "Command78"} << hex("0151020180A8CC 0151020080A95C") << initial;
    QTest::newRow("LastChr 300 sends 00")
        << QStringList{"Text40=300", "Command78"} << hex("0151020100A96C")
        << QStringLiteral("K1开/K2开/NoLast");
    QTest::newRow("LastChr address 1FF sends to 00")
        << QStringList{"Text23=1FF", "Command78"} << hex("0051020180950C")
        << QStringLiteral("K1开/K2开/NoLast");
}

void TestLoopAndIoPanels::clicksSendFrames() {
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, expected);
    QFETCH(QString, captions);
    Bench bench;
    QVERIFY(bench.isReady());
    for (const QString& step : steps) {
        bench.step(step);
    }
    QCOMPARE(pairsOf(bench.received(expected.size())), pairsOf(expected));
    QCOMPARE(bench.text("Command109") + u'/' + bench.text("Command110") + u'/' +
                 bench.text("Command78"),
             captions);
    QVERIFY(bench.lineIsQuiet());
}

void TestLoopAndIoPanels::captureWritesIoBoxAndSendsNothing_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("companion");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("ioCommand");
    QTest::addColumn<QByteArray>("plainClick");
    QTest::newRow("加速度 RTU") << "Modbus RTU"
                                << "Command97"
                                << "Command92"
                                << "45 00 " << hex("0145001290");
    QTest::newRow("减速度 RTU") << "Modbus RTU"
                                << "Command98"
                                << "Command93"
                                << "46 00 " << hex("0146001260");
    // ASC: the characters "014500BA" of ":014500BA\r\n".
    QTest::newRow("加速度 ASC") << "Modbus ASC"
                                << "Command97"
                                << "Command92"
                                << "30 31 34 35 30 30 42 41 " << QByteArray(":014500BA\r\n");
}

void TestLoopAndIoPanels::captureWritesIoBoxAndSendsNothing() {
    QFETCH(QString, mode);
    QFETCH(QString, companion);
    QFETCH(QString, action);
    QFETCH(QString, ioCommand);
    QFETCH(QByteArray, plainClick);
    Bench bench;
    QVERIFY(bench.isReady());
    bench.step(QStringLiteral("Combo7=") + mode);
    bench.window->RecordToList = true; // capture wins over a pending record
    bench.step(companion);
    QCOMPARE(bench.text("Text31"), ioCommand);
    QVERIFY(!bench.window->CaptureToIoCommand);
    QCOMPARE(bench.window->control<QListWidget>("List1")->count(), 0);
    bench.window->RecordToList = false;
    bench.step(action);
    QCOMPARE(bench.received(plainClick.size()), plainClick);
    QCOMPARE(bench.text("Text31"), ioCommand);
    QVERIFY(bench.lineIsQuiet());
}

void TestLoopAndIoPanels::recordingAppendsTheWireFrame_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("mode");
    for (const char* button :
         {"Command4", "Command107", "Command35", "Command46", "Command48", "Command47", "Command49",
          "Command50", "Command73", "Command56", "Command108", "Command63", "Command9", "Command71",
          "Command72", "Command91", "Command94", "Command106"}) {
        QTest::newRow(button) << button << "Modbus RTU";
    }
    QTest::newRow("Command46 ASC") << "Command46"
                                   << "Modbus ASC";
}

void TestLoopAndIoPanels::recordingAppendsTheWireFrame() {
    QFETCH(QString, button);
    QFETCH(QString, mode);
    Bench bench;
    QVERIFY(bench.isReady());
    bench.step(QStringLiteral("Combo7=") + mode);
    auto* list = bench.window->control<QListWidget>("List1");
    bench.window->RecordToList = true;
    bench.step(button);
    QVERIFY(!bench.window->RecordToList);
    QCOMPARE(list->count(), 1);
    const QString line = list->item(0)->text();
    const QByteArray sent = bench.received((line.size()) / 3);
    QCOMPARE(line, pairsOf(sent));
    // The flag was used up: the next click only sends.
    bench.step(button);
    QCOMPARE(bench.received(sent.size()), sent);
    QCOMPARE(list->count(), 1);
    QVERIFY(bench.lineIsQuiet());
}

void TestLoopAndIoPanels::emptyCanTextKeepsRecordFlag() {
    Bench bench;
    QVERIFY(bench.isReady());
    bench.step(QStringLiteral("Text33="));
    bench.window->RecordToList = true;
    bench.step(QStringLiteral("Command106"));
    QVERIFY(bench.window->RecordToList);
    bench.step(QStringLiteral("Command94"));
    QCOMPARE(bench.received(5), hex("01420010A0"));
    auto* list = bench.window->control<QListWidget>("List1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("01 42 00 10 A0 "));
    QVERIFY(bench.lineIsQuiet());
}

void TestLoopAndIoPanels::refusalClearsCompanionFlags() {
    Bench bench;
    QVERIFY(bench.isReady());
    bench.step(QStringLiteral("Text31=31 04 00 00 27 10 "));
    bench.step(QStringLiteral("Text23=1FF"));
    bench.step(QStringLiteral("Command97"));
    QVERIFY(!bench.window->CaptureToIoCommand);
    QCOMPARE(bench.text("Text31"), QStringLiteral("31 04 00 00 27 10 "));
    bench.step(QStringLiteral("Command99"));
    QVERIFY(!bench.window->RecordToList);
    QCOMPARE(bench.window->control<QListWidget>("List1")->count(), 0);
    QVERIFY(!bench.window->statusBar()->currentMessage().isEmpty());
    QVERIFY(bench.lineIsQuiet());
}

void TestLoopAndIoPanels::buttonsSelectPlcOption_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("option"); // empty: both left as they are
    for (const char* button :
         {"Command4", "Command107", "Command35", "Command50", "Command73", "Command56",
          "Command108", "Command63", "Command71", "Command95", "Command106"}) {
        QTest::newRow(button) << button << "Option4";
    }
    for (const char* button :
         {"Command46", "Command48", "Command47", "Command49", "Command9", "Command72", "Command92",
          "Command93", "Command94", "Command102", "Command103", "Command104", "Command105",
          "Command78", "Command109", "Command110", "Command96", "Command100", "Command101"}) {
        QTest::newRow(button) << button << "Option3";
    }
    QTest::newRow("Command91") << "Command91"
                               << "";
}

void TestLoopAndIoPanels::buttonsSelectPlcOption() {
    QFETCH(QString, button);
    QFETCH(QString, option);
    FrmMain window;
    for (const char* before : {"Option3", "Option4"}) {
        window.control<QRadioButton>(before)->setChecked(true);
        QTest::mouseClick(window.control<QPushButton>(button), Qt::LeftButton);
        const QString expected = option.isEmpty() ? QString::fromLatin1(before) : option;
        QVERIFY(window.control<QRadioButton>(expected)->isChecked());
    }
}

QTEST_MAIN(TestLoopAndIoPanels)
#include "tst_loopandiopanels.moc"
