#include "commands/Lamp.h"
#include "commands/PanelParts.h"
#include "commands/Panels.h"
#include "commands/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QPushButton* captureCompanion(const QString& name, const QString& actionCaption) {
    auto* button =
        makeButton(name, QStringLiteral("↓"), actionCaption + QStringLiteral("加入IO取代命令"));
    button->setToolTip(kCaptureTip);
    tint(button, kCaptureTint);
    button->setFixedWidth(24);
    return button;
}

// The legend "IN1  IN2   IN3  IN4  IN5" with each input's lamp centred under its word.
QWidget* inputLamps() {
    auto* block = new QWidget;
    block->setObjectName(QStringLiteral("InputLamps"));
    auto* legend =
        makeLabel(QStringLiteral("Label63"), QStringLiteral("IN1  IN2   IN3  IN4  IN5"), block);
    // A size smaller than the captions keeps the legend within the narrow panel.
    QFont small = legend->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    legend->setFont(small);
    legend->adjustSize();
    const QFontMetrics metrics = legend->fontMetrics();
    const QString text = legend->text();
    const int top = legend->height() + 1;
    int right = legend->width();
    int bottom = legend->height();
    int input = 0;
    for (auto it = QRegularExpression(QStringLiteral("IN\\d")).globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch word = it.next();
        auto* lamp = new Lamp(QStringLiteral("Shape%1").arg(5 + input), Qt::black, block);
        lamp->setAccessibleName(word.captured());
        const int centre = metrics.horizontalAdvance(text.left(word.capturedStart())) +
                           metrics.horizontalAdvance(word.captured()) / 2;
        lamp->move(qMax(0, centre - lamp->width() / 2), top);
        right = qMax(right, lamp->geometry().right() + 1);
        bottom = qMax(bottom, lamp->geometry().bottom() + 1);
        ++input;
    }
    block->setFixedSize(right, bottom);
    return block;
}

} // namespace

void buildOtherPanel(QGroupBox& frame) {
    QGridLayout* grid = compactGrid(&frame);
    int row = 0;
    auto addRow = [&](std::initializer_list<QWidget*> widgets, int stretchAfter = -1) {
        auto* line = new QHBoxLayout;
        line->setSpacing(3);
        int index = 0;
        for (QWidget* w : widgets) {
            line->addWidget(w);
            if (index++ == stretchAfter) {
                line->addStretch(1);
            }
        }
        grid->addLayout(line, row++, 0);
    };

    auto* factor = makeEdit(QStringLiteral("Text32"), QStringLiteral("500"));
    factor->setAccessibleName(QStringLiteral("运动因子"));
    addRow(
        {fitCaption(makeButton(QStringLiteral("Command91"), QStringLiteral("运动因子"))), factor});
    addRow({fitCaption(makeButton(QStringLiteral("Command92"), QStringLiteral("加速度"))),
            captureCompanion(QStringLiteral("Command97"), QStringLiteral("加速度")),
            fitCaption(makeButton(QStringLiteral("Command93"), QStringLiteral("减速度"))),
            captureCompanion(QStringLiteral("Command98"), QStringLiteral("减速度"))});

    auto* record = makeButton(QStringLiteral("Command99"), QStringLiteral(">"),
                              QStringLiteral("查询IN加入高级命令"));
    record->setToolTip(kRecordTip);
    record->setFixedWidth(24);
    addRow({fitCaption(makeButton(QStringLiteral("Command94"), QStringLiteral("查询IN"))), record,
            inputLamps()},
           1);

    addRow({fitCaption(makeButton(QStringLiteral("Command102"), QStringLiteral("无校验检查"))),
            fitCaption(makeButton(QStringLiteral("Command103"), QStringLiteral("有校验检查")))});
    addRow({fitCaption(makeButton(QStringLiteral("Command104"), QStringLiteral("回8byte长"))),
            fitCaption(makeButton(QStringLiteral("Command105"), QStringLiteral("回协议长"))),
            fitCaption(makeButton(QStringLiteral("Command96"), QStringLiteral("出厂设置")))});
    auto* lastValue = makeEdit(QStringLiteral("Text40"), QStringLiteral("128"));
    lastValue->setAccessibleName(QStringLiteral("LastChr值"));
    lastValue->setMinimumWidth(34);
    addRow({lastValue,
            fitCaption(makeButton(QStringLiteral("Command78"), QStringLiteral("LastChr")),
                       {QStringLiteral("NoLast")}),
            fitCaption(makeButton(QStringLiteral("Command109"), QStringLiteral("K1开")),
                       {QStringLiteral("K1关")}),
            fitCaption(makeButton(QStringLiteral("Command110"), QStringLiteral("K2开")),
                       {QStringLiteral("K2关")})});

    addRow({makeLabel(QStringLiteral("Label65"), QStringLiteral("以下CAN相关"))}, 0);
    addRow({fitCaption(makeButton(QStringLiteral("Command100"), QStringLiteral("标准帧"))),
            fitCaption(makeButton(QStringLiteral("Command101"), QStringLiteral("扩展帧")))});
    auto* rate = makeCombo(QStringLiteral("Combo9"),
                           {QStringLiteral("1M"), QStringLiteral("900K"), QStringLiteral("800K"),
                            QStringLiteral("750K"), QStringLiteral("600K"), QStringLiteral("500K"),
                            QStringLiteral("400K"), QStringLiteral("250K"), QStringLiteral("200K"),
                            QStringLiteral("150K"), QStringLiteral("125K"), QStringLiteral("100K"),
                            QStringLiteral("80K"), QStringLiteral("50K"), QStringLiteral("25K"),
                            QStringLiteral("20K"), QStringLiteral("10K"), QStringLiteral("5K")},
                           QStringLiteral("100K"));
    rate->setAccessibleName(QStringLiteral("CAN波特率"));
    rate->setMinimumWidth(64);
    addRow(
        {fitCaption(makeButton(QStringLiteral("Command95"), QStringLiteral("CAN波特率"))), rate});
    auto* canBytes = makeEdit(QStringLiteral("Text33"), QStringLiteral("01 02 03 04 05"));
    canBytes->setAccessibleName(QStringLiteral("CAN发送数据(HEX)"));
    canBytes->setMinimumWidth(canBytes->fontMetrics().horizontalAdvance(canBytes->text()) + 8);
    addRow({fitCaption(makeButton(QStringLiteral("Command106"), QStringLiteral("HEX到CAN发送"))),
            canBytes});
}
