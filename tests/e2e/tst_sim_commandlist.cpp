#include "BenchWithSimulator.h"
#include "tools/CommandListPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

const QString kSpeed = QStringLiteral("查询运动速度:");
const QString kPosition = QStringLiteral("查询运动绝对位置:");
const QString kStatus = QStringLiteral("查询运动状态:");
// One round of the recorded list, and the gap the runner keeps after each of its sends:
// Text22, then the delay entry that follows the position query, then Text22 again.
const QStringList kRound{kSpeed, kPosition, kStatus};
const QList<int> kGapAfter{100, 400, 100};

// The recorded list; each query frame addresses driver 1 (CRC-16/MODBUS worked out by hand).
const QStringList kEntries{"01 36 00 37 A0 ", "01 37 00 36 30 ", "Delay:400", "01 3B 00 33 30 "};

// Notes each reply line as it lands in the receive log, with the time it landed.
class ReplyLines : public QObject {
public:
    explicit ReplyLines(LogModel& log) : m_log(log) {
        m_clock.start();
        connect(&log, &LogModel::prepended, this, [this](qsizetype count) {
            const QString piece = m_log.text().left(count);
            for (const QString& label : kRound) {
                if (piece.contains(label + QStringLiteral("\n\r"))) {
                    labels << label;
                    landedMs << m_clock.elapsed();
                }
            }
        });
    }
    QStringList labels;
    QList<qint64> landedMs;

private:
    LogModel& m_log;
    QElapsedTimer m_clock;
};

// The reply lines of the whole receive log, oldest first (the log shows the newest on top).
QStringList oldestFirst(const QString& log) {
    QStringList found;
    for (const QString& line : log.split(u'\n')) {
        for (const QString& label : kRound) {
            if (line == label) {
                found.prepend(label);
            }
        }
    }
    return found;
}

QStringList listEntries(const FrmMain& window) {
    auto* list = window.control<QListWidget>(QStringLiteral("List1"));
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) {
        entries << list->item(row)->text();
    }
    return entries;
}

bool startShown(BenchWithSimulator& bench) {
    if (!bench.start()) {
        return false;
    }
    bench.window.show();
    return QTest::qWaitForWindowExposed(&bench.window);
}

// Records the three queries through their ">" companions with the delay entry in between;
// recording sends as well, so it waits for the three replies.
void recordList(BenchWithSimulator& bench) {
    bench.click("Command51");
    bench.click("Command52");
    bench.setText("Text20", QStringLiteral("400"));
    bench.click("Command34");
    bench.click("Command43");
    QCOMPARE(listEntries(bench.window), kEntries);
    QTRY_COMPARE(oldestFirst(bench.window.receiveLog().text()), kRound);
}

// Replays the list for more than two rounds and checks the replies in the receive log: the
// list's order, oldest at the bottom, and the runner's gaps between them.
void replayAndCheck(BenchWithSimulator& bench) {
    bench.click("Command36");
    QCOMPARE(bench.window.receiveLog().text(), QString());
    ReplyLines replies(bench.window.receiveLog());
    bench.setText("Text22", QStringLiteral("100"));
    auto* run = bench.window.control<QCheckBox>(QStringLiteral("Check1"));
    QTest::mouseClick(run, Qt::LeftButton);
    QVERIFY(run->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(replies.labels.size() >= 7, 10000);
    QTest::mouseClick(run, Qt::LeftButton);
    QVERIFY(!run->isChecked());

    const QString log = bench.window.receiveLog().text();
    QVERIFY2(!log.contains(QStringLiteral("校验错误")), qPrintable(log));
    const QStringList inLog = oldestFirst(log);
    QVERIFY(inLog.size() >= 7);
    QCOMPARE(inLog.mid(0, replies.labels.size()), replies.labels);
    for (qsizetype i = 0; i < inLog.size(); ++i) {
        QCOMPARE(inLog[i], kRound[i % 3]);
    }
    for (qsizetype i = 0; i + 1 < replies.landedMs.size(); ++i) {
        const qint64 gap = replies.landedMs[i + 1] - replies.landedMs[i];
        const int expected = kGapAfter[i % 3];
        // The runner never sends early and the simulator answers each query alike; its
        // jitter and a loaded machine move a reply by far less than the 300 ms that tell the
        // delay entry from the default gap.
        QVERIFY2(gap >= expected - 50 && gap < expected + 200,
                 qPrintable(QStringLiteral("gap %1 after %2: %3 ms, expected %4 ms")
                                .arg(i)
                                .arg(replies.labels[i])
                                .arg(gap)
                                .arg(expected)));
    }
}

} // namespace

class TestSimCommandList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordedListReplaysInOrder();
    void savedListLoadsAndReplays();
};

void TestSimCommandList::recordedListReplaysInOrder() {
    BenchWithSimulator bench;
    QVERIFY(startShown(bench));
    recordList(bench);
    if (QTest::currentTestFailed()) {
        return;
    }
    replayAndCheck(bench);
}

void TestSimCommandList::savedListLoadsAndReplays() {
    BenchWithSimulator bench;
    QVERIFY(startShown(bench));
    recordList(bench);
    if (QTest::currentTestFailed()) {
        return;
    }
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("三个查询.txt"));
    auto* panel = bench.window.findChild<CommandListPanel*>(QStringLiteral("CommandListPanel"));
    QVERIFY(panel);
    QList<CommandListPanel::Dialog> asked;
    panel->setFileNameAsker([&](CommandListPanel::Dialog dialog, const QString&, const QString&) {
        asked << dialog;
        return path;
    });

    bench.click("Command55");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("01 36 00 37 A0 \r\n01 37 00 36 30 \r\nDelay:400\r\n"
                                         "01 3B 00 33 30 \r\n"));
    saved.close();

    bench.window.findChild<QAction*>(QStringLiteral("DelectAll"))->trigger();
    QVERIFY(listEntries(bench.window).isEmpty());
    bench.click("Command54");
    QCOMPARE(asked, (QList<CommandListPanel::Dialog>{CommandListPanel::Dialog::Save,
                                                     CommandListPanel::Dialog::Open}));
    QCOMPARE(listEntries(bench.window), kEntries);
    replayAndCheck(bench);
}

QTEST_MAIN(TestSimCommandList)
#include "tst_sim_commandlist.moc"
