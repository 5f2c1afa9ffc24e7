#include "ui/FrmMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensOnMainPage();
    void modeSelectorSwitchesIoButtons_data();
    void modeSelectorSwitchesIoButtons();
    void tabDoubleClickClearsOutputStates();
    void clearButtonsClearTheirOwnLog();
    void everyControlIsReachableAndNamed();
    void framesDoNotOverlap();
};

void TestMainWindow::opensOnMainPage() {
    FrmMain window;
    window.show();
    QCOMPARE(window.control<QTabWidget>("SSTab1")->currentIndex(), 2);
    QCOMPARE(window.control<QTabWidget>("SSTab1")->count(), 4);
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QStringLiteral("0"));
    QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QStringLiteral("0"));
    QCOMPARE(window.control<QLineEdit>("Text23")->text(), QStringLiteral("1"));
    QCOMPARE(window.control<QComboBox>("Combo7")->currentText(), QStringLiteral("Modbus RTU"));
    QVERIFY(!window.RecordToList && !window.CaptureToIoCommand);
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Torvane数控MODBUS调试工具")));
    for (const char* name : {"Option3", "Option4", "Command3", "Text34"}) {
        QVERIFY2(!window.control<QWidget>(name)->isEnabled(), name);
    }
    QVERIFY(window.control<QAbstractButton>("Option3")->isChecked());
    QVERIFY(window.control<QWidget>("Command32")->isEnabled());
    QVERIFY(!window.control<QWidget>("Command33")->isEnabled());
    QVERIFY(!window.control<QWidget>("RichTextBox3")->property("plainText").isNull());
    for (int frame = 1; frame <= 7; ++frame) {
        QVERIFY(window.control<QGroupBox>(QStringLiteral("Frame%1").arg(frame)) != nullptr);
    }
}

void TestMainWindow::modeSelectorSwitchesIoButtons_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("RTU item") << "Modbus RTU" << true;
    QTest::newRow("ASC item") << "Modbus ASC" << false;
    QTest::newRow("trailing blank") << "Modbus RTU " << false;
    QTest::newRow("lower case") << "modbus rtu" << false;
    QTest::newRow("empty") << "" << false;
}

void TestMainWindow::modeSelectorSwitchesIoButtons() {
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    FrmMain window;
    auto* combo = window.control<QComboBox>("Combo7");
    combo->setEditText(QStringLiteral("Modbus ASC"));
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), typed);
    QCOMPARE(window.control<QWidget>("Command81")->isEnabled(), enabled);
    QCOMPARE(window.control<QWidget>("Command88")->isEnabled(), enabled);
}

void TestMainWindow::tabDoubleClickClearsOutputStates() {
    FrmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.K1State = true;
    window.K2State = true;
    auto* bar = window.control<QTabWidget>("SSTab1")->tabBar();
    QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    QVERIFY(!window.K1State);
    QVERIFY(!window.K2State);
}

void TestMainWindow::clearButtonsClearTheirOwnLog() {
    FrmMain window;
    window.receiveLog().prepend(QStringLiteral("RecHex:01 \n"));
    window.receiveLog().addBytes(1);
    window.sendLog().prepend(QStringLiteral("SndHex:01 02 \n"));
    window.sendLog().addBytes(2);
    QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QStringLiteral("1"));
    QTest::mouseClick(window.control<QPushButton>("Command36"), Qt::LeftButton);
    QCOMPARE(window.receiveLog().text(), QString());
    QTRY_COMPARE(window.control<QLabel>("Label45")->text(), QStringLiteral("0"));
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QStringLiteral("2"));
    QVERIFY(!window.sendLog().text().isEmpty());
    QTest::mouseClick(window.control<QPushButton>("Command6"), Qt::LeftButton);
    QCOMPARE(window.sendLog().text(), QString());
    QTRY_COMPARE(window.control<QLabel>("Label44")->text(), QStringLiteral("0"));
}

void TestMainWindow::everyControlIsReachableAndNamed() {
    FrmMain window;
    window.show();
    const auto widgets = window.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w);
        if (!control || qobject_cast<QComboBox*>(w->parentWidget()) || w->objectName().isEmpty()) {
            continue;
        }
        const QByteArray name = w->objectName().toUtf8();
        QVERIFY2(w->focusPolicy() & Qt::TabFocus, name.constData());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(face != nullptr, name.constData());
        QVERIFY2(!face->text(QAccessible::Name).trimmed().isEmpty(), name.constData());
    }
}

void TestMainWindow::framesDoNotOverlap() {
    const QStringList kCoversLabel{QStringLiteral("Label31/Combo10"),
                                   QStringLiteral("Label32/Text20")};
    FrmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QList<QWidget*> containers{window.control<QWidget>("Frame1")->parentWidget(),
                               window.control<QWidget>("TopRows")};
    for (QGroupBox* frame : window.findChildren<QGroupBox*>()) {
        containers << frame;
    }
    for (QWidget* container : containers) {
        QList<QWidget*> parts;
        for (QObject* child : container->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w != nullptr && w->isVisible()) {
                parts << w;
            }
        }
        for (int i = 0; i < parts.size(); ++i) {
            const QByteArray inside =
                (container->objectName() + u'>' + parts[i]->objectName()).toUtf8();
            QVERIFY2(container->rect().contains(parts[i]->geometry()), inside.constData());
            for (int j = i + 1; j < parts.size(); ++j) {
                const QByteArray pair = (container->objectName() + u':' + parts[i]->objectName() +
                                         u'/' + parts[j]->objectName())
                                            .toUtf8();
                // A few boxes stand over the blank part of their label by design.
                const bool coversLabel =
                    kCoversLabel.contains(parts[i]->objectName() + u'/' + parts[j]->objectName());
                QVERIFY2(coversLabel || !parts[i]->geometry().intersects(parts[j]->geometry()),
                         pair.constData());
            }
        }
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
