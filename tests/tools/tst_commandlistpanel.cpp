#include "MessageBoxWatcher.h"
#include "tools/CommandListPanel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Frame6 with its panel, the frames it sends and the problems it reports.
struct Fixture {
    Fixture() {
        panel = new CommandListPanel(
            frame, state, [this](const QByteArray& bytes) { sent << bytes; },
            [this](const QString& message) { problems << message; });
        panel->setFileNameAsker(
            [this](CommandListPanel::Dialog dialog, const QString& title, const QString& filter) {
                asked << QStringLiteral("%1|%2|%3")
                             .arg(dialog == CommandListPanel::Dialog::Open ? "open" : "save", title,
                                  filter);
                return answer;
            });
        frame.resize(240, 320);
        frame.show();
    }
    template <typename T> T* get(const char* name) { return frame.findChild<T*>(name); }
    QListWidget* list() { return get<QListWidget>("List1"); }
    QStringList entries() {
        QStringList out;
        for (int row = 0; row < list()->count(); ++row) {
            out << list()->item(row)->text();
        }
        return out;
    }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }

    QGroupBox frame{QStringLiteral("高级自动控制功能(HEX格式)")};
    FormState state;
    CommandListPanel* panel = nullptr;
    QList<QByteArray> sent;
    QStringList problems;
    QStringList asked;
    QString answer;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestCommandListPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAtStart();
    void insertedDelayGoesToTheEnd();
    void delayBoxKeepsItsLimits();
    void menuDeletesAndClears();
    void rightButtonKeepsSelectionAndOpensMenu();
    void startAndStop();
    void badGapRefusesToStart_data();
    void badGapRefusesToStart();
    void runSendsAndDelayOfZeroStopsTicks();
    void openAsksAndLoads();
    void openMissingOrUnreadableKeepsList();
    void saveAsksBeforeOverwriting_data();
    void saveAsksBeforeOverwriting();
    void saveEmptyListRemovesOldFile();
    void failedSaveIsReported();
};

void TestCommandListPanel::controlsAtStart() {
    Fixture f;
    const QList<QPair<const char*, QString>> captions{
        {"Label59", "隔"},
        {"Label60", "MS"},
        {"Label32", "延时:        毫秒50-6000"},
    };
    for (const auto& [name, caption] : captions) {
        QCOMPARE(f.get<QLabel>(name)->text(), caption);
    }
    QCOMPARE(f.get<QLineEdit>("Text22")->text(), QStringLiteral("1000"));
    QCOMPARE(f.get<QLineEdit>("Text20")->text(), QStringLiteral("1000"));
    QCOMPARE(f.get<QCheckBox>("Check1")->text(), QStringLiteral("按行循环执行命令"));
    QVERIFY(!f.get<QCheckBox>("Check1")->isChecked());
    QCOMPARE(f.get<QPushButton>("Command54")->text(), QStringLiteral("打开文件"));
    QCOMPARE(f.get<QPushButton>("Command55")->text(), QStringLiteral("命令另存为"));
    QCOMPARE(f.get<QPushButton>("Command34")->text(), QStringLiteral("插入命令"));
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.list()->selectionMode(), QAbstractItemView::SingleSelection);
    auto* timer = f.panel->findChild<QTimer*>("Timer2");
    QVERIFY(timer != nullptr);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
}

void TestCommandListPanel::insertedDelayGoesToTheEnd() {
    Fixture f;
    f.list()->addItems({"01 ", "02 "});
    f.list()->setCurrentRow(0);
    f.click("Command34");
    f.get<QLineEdit>("Text20")->setText(QStringLiteral("300.5"));
    f.click("Command34");
    QCOMPARE(f.entries(), (QStringList{"01 ", "02 ", "Delay:1000", "Delay:300.5"}));
}

void TestCommandListPanel::delayBoxKeepsItsLimits() {
    Fixture f;
    auto* box = f.get<QLineEdit>("Text20");
    box->setText(QStringLiteral("70"));
    box->setFocus();
    box->end(false);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("50"));
    QGuiApplication::clipboard()->setText(QStringLiteral("70000"));
    box->selectAll();
    box->paste();
    QCOMPARE(box->text(), QStringLiteral("60000"));
    box->setText(QStringLiteral("250"));
    QCOMPARE(box->text(), QStringLiteral("250"));
}

void TestCommandListPanel::menuDeletesAndClears() {
    Fixture f;
    auto* remove = f.frame.findChild<QAction*>("DelectList");
    auto* clear = f.frame.findChild<QAction*>("DelectAll");
    QCOMPARE(remove->text(), QStringLiteral("删除"));
    QCOMPARE(clear->text(), QStringLiteral("清空"));
    f.list()->addItems({"A", "B", "C"});
    f.list()->setCurrentRow(1);
    remove->trigger();
    QCOMPARE(f.entries(), (QStringList{"A", "C"}));
    f.list()->clearSelection();
    remove->trigger();
    QCOMPARE(f.entries(), (QStringList{"A", "C"}));
    clear->trigger();
    QCOMPARE(f.list()->count(), 0);
    remove->trigger();
    QCOMPARE(f.list()->count(), 0);
}

void TestCommandListPanel::rightButtonKeepsSelectionAndOpensMenu() {
    Fixture f;
    f.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.frame));
    f.list()->addItems({"A", "B", "C"});
    f.list()->setCurrentRow(0);
    QWidget* viewport = f.list()->viewport();
    const QPoint onC = f.list()->visualItemRect(f.list()->item(2)).center();
    QTest::mouseClick(viewport, Qt::RightButton, {}, onC);
    QCOMPARE(f.list()->selectedItems().value(0), f.list()->item(0));

    QContextMenuEvent event(QContextMenuEvent::Mouse, onC, viewport->mapToGlobal(onC));
    QApplication::sendEvent(viewport, &event);
    auto* menu = f.frame.findChild<QMenu*>("MenuCMD");
    QCOMPARE(menu->title(), QStringLiteral("命令操作"));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(f.list()->selectedItems().value(0), f.list()->item(0));
    menu->close();
}

void TestCommandListPanel::startAndStop() {
    Fixture f;
    auto* timer = f.panel->findChild<QTimer*>("Timer2");
    auto* gap = f.get<QLineEdit>("Text22");
    gap->setText(QStringLiteral("250"));
    f.state.ListStepIndex = 5;
    f.click("Check1");
    QCOMPARE(f.state.ListStepIndex, qint16(0));
    QVERIFY(!gap->isEnabled());
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 250);
    f.state.ListStepIndex = 3;
    f.click("Check1");
    QVERIFY(!timer->isActive());
    QVERIFY(gap->isEnabled());
    QCOMPARE(f.state.ListStepIndex, qint16(3));
    QVERIFY(f.problems.isEmpty());
}

void TestCommandListPanel::badGapRefusesToStart_data() {
    QTest::addColumn<QString>("gap");
    QTest::newRow("zero") << "0";
    QTest::newRow("empty") << "";
    QTest::newRow("too large") << "65536";
    QTest::newRow("fraction") << "1.5";
    QTest::newRow("negative") << "-3";
}

void TestCommandListPanel::badGapRefusesToStart() {
    QFETCH(QString, gap);
    Fixture f;
    f.get<QLineEdit>("Text22")->setText(gap);
    f.click("Check1");
    QVERIFY(!f.get<QCheckBox>("Check1")->isChecked());
    QVERIFY(!f.panel->findChild<QTimer*>("Timer2")->isActive());
    QVERIFY(f.get<QLineEdit>("Text22")->isEnabled());
    QCOMPARE(f.problems.size(), 1);
    QVERIFY(f.problems.first().contains(QStringLiteral("65535")));
}

void TestCommandListPanel::runSendsAndDelayOfZeroStopsTicks() {
    Fixture f;
    f.list()->addItems({"01 02 ", "Delay:0", "03"});
    f.get<QLineEdit>("Text22")->setText(QStringLiteral("5"));
    f.click("Check1");
    auto* timer = f.panel->findChild<QTimer*>("Timer2");
    QTRY_COMPARE(f.sent, QList<QByteArray>{QByteArray::fromHex("0102")});
    QVERIFY(!timer->isActive());
    QVERIFY(f.get<QCheckBox>("Check1")->isChecked());
    QCOMPARE(f.state.ListStepIndex, qint16(2));
    // Unticking and ticking again starts over from the top.
    f.click("Check1");
    f.list()->item(1)->setText(QStringLiteral("Delay:5"));
    f.click("Check1");
    QTRY_VERIFY(f.sent.size() >= 4);
    QCOMPARE(f.sent.mid(0, 4),
             (QList<QByteArray>{QByteArray::fromHex("0102"), QByteArray::fromHex("0102"),
                                QByteArray::fromHex("03"), QByteArray::fromHex("0102")}));
}

void TestCommandListPanel::openAsksAndLoads() {
    Fixture f;
    QTemporaryDir dir;
    f.answer = dir.filePath(QStringLiteral("list.txt"));
    QVERIFY(writeAll(f.answer, "01 20 00 39 C0 \nDelay:300\n\xD6\xD0\n"));
    f.list()->addItem(QStringLiteral("old"));
    f.click("Command54");
    QCOMPARE(f.asked, QStringList{"open|打开文件|txt文件(*.txt);;所有文件(*.*)"});
    QCOMPARE(f.entries(), (QStringList{"01 20 00 39 C0 ", "Delay:300", "中"}));

    // Cancelled: nothing changes.
    f.answer.clear();
    f.click("Command54");
    QCOMPARE(f.entries().size(), 3);
}

void TestCommandListPanel::openMissingOrUnreadableKeepsList() {
    Fixture f;
    QTemporaryDir dir;
    f.list()->addItem(QStringLiteral("mine"));
    {
        MessageBoxWatcher boxes;
        f.answer = dir.filePath(QStringLiteral("missing.txt"));
        f.click("Command54");
        QCOMPARE(boxes.texts, QStringList{"文件名无效,请重新打开!"});
    }
    QVERIFY(f.problems.isEmpty());
    f.answer = dir.path();
    f.click("Command54");
    QCOMPARE(f.problems.size(), 1);
    QCOMPARE(f.entries(), QStringList{"mine"});
}

void TestCommandListPanel::saveAsksBeforeOverwriting_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("yes replaces") << int(QMessageBox::Yes) << QByteArray("A1\r\nDelay:50\r\n");
    QTest::newRow("no keeps") << int(QMessageBox::No) << QByteArray("OLD");
}

void TestCommandListPanel::saveAsksBeforeOverwriting() {
    QFETCH(int, answer);
    QFETCH(QByteArray, content);
    Fixture f;
    QTemporaryDir dir;
    f.answer = dir.filePath(QStringLiteral("list.TXT"));
    QVERIFY(writeAll(f.answer, "OLD"));
    f.list()->addItems({"A1", "", "Delay:50"});
    MessageBoxWatcher boxes{QMessageBox::StandardButton(answer)};
    f.click("Command55");
    QCOMPARE(f.asked, QStringList{"save|保存文件|TXT文件(*.TXT);;所有文件(*.*)"});
    QCOMPARE(boxes.texts, QStringList{"是否覆盖文件？"});
    QCOMPARE(boxes.titles, QStringList{"文件保存"});
    QCOMPARE(readAll(f.answer), content);
    QVERIFY(f.problems.isEmpty());
}

void TestCommandListPanel::saveEmptyListRemovesOldFile() {
    Fixture f;
    QTemporaryDir dir;
    f.answer = dir.filePath(QStringLiteral("list.txt"));
    QVERIFY(writeAll(f.answer, "OLD"));
    MessageBoxWatcher boxes{QMessageBox::Yes};
    f.click("Command55");
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(!QFile::exists(f.answer));
    // A new name: no question, and no file for an empty list.
    f.click("Command55");
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(!QFile::exists(f.answer));
}

void TestCommandListPanel::failedSaveIsReported() {
    Fixture f;
    QTemporaryDir dir;
    f.answer = dir.filePath(QStringLiteral("no-such-folder/list.txt"));
    f.list()->addItem(QStringLiteral("01 "));
    f.click("Command55");
    QCOMPARE(f.problems.size(), 1);
    QVERIFY(f.problems.first().contains(QDir::toNativeSeparators(f.answer)));
}

QTEST_MAIN(TestCommandListPanel)
#include "tst_commandlistpanel.moc"
