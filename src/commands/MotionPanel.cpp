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
#include <QVBoxLayout>

namespace {

// Columns of the panel's grid: the inputs, then capture, action and record buttons lined up
// for every row, then the tall stop buttons with their companions.
enum Column {
    DirectionLabel,
    Direction,
    AmountLabel,
    Amount,
    Extra,
    Capture,
    Action,
    Record,
    Stop,
    StopCompanions,
    ColumnCount
};

QLabel* label(const char* name, const char* caption, QWidget& frame) {
    auto* l = makeLabel(QLatin1String(name), QString::fromUtf8(caption), &frame);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLineEdit* amountBox(const char* name, const char* text, const QString& accessibleName) {
    auto* box = makeEdit(QLatin1String(name), QLatin1String(text));
    box->setAccessibleName(accessibleName);
    fitBox(box, QStringLiteral("-1000000"), 100);
    return box;
}

QComboBox* directionCombo(const char* name, const QStringList& items, const QString& sample,
                          const QString& accessibleName) {
    auto* combo = makeCombo(QLatin1String(name), items, items.first());
    combo->setAccessibleName(accessibleName);
    // Room for the arrow beside the text.
    combo->setFixedWidth(combo->fontMetrics().horizontalAdvance(sample) + 36);
    return combo;
}

QPushButton* actionButton(const char* name, const char* caption) {
    auto* button = makeButton(QLatin1String(name), QString::fromUtf8(caption));
    fixToCaption(button);
    return button;
}

QPushButton* captureButton(const char* name, const QString& action) {
    auto* button = makeButton(QLatin1String(name), QStringLiteral("↓"),
                              action + QStringLiteral("添加IO取代命令"));
    button->setToolTip(kCaptureTip);
    tint(button, kCaptureTint);
    fixToCaption(button);
    return button;
}

struct ActionRow {
    const char* capture;
    const char* action;
    const char* caption;
    const char* record;
    const char* meaning; // what the companions' spoken names refer to
};

void addActionButtons(QGridLayout* grid, int row, const ActionRow& a) {
    const QString meaning = QString::fromUtf8(a.meaning);
    grid->addWidget(captureButton(a.capture, meaning), row, Capture);
    grid->addWidget(actionButton(a.action, a.caption), row, Action);
    grid->addWidget(recordButton(a.record, meaning), row, Record);
}

// A tall stop button beside three rows, its record and capture buttons to its right.
void addStopButton(QGridLayout* grid, int firstRow, const ActionRow& a) {
    const QString meaning = QString::fromUtf8(a.meaning);
    auto* stop = actionButton(a.action, a.caption);
    stop->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    grid->addWidget(stop, firstRow, Stop, 3, 1);
    auto* companions = new QVBoxLayout;
    companions->setSpacing(2);
    companions->addStretch(1);
    companions->addWidget(recordButton(a.record, meaning));
    companions->addWidget(captureButton(a.capture, meaning));
    companions->addStretch(1);
    grid->addLayout(companions, firstRow, StopCompanions, 3, 1);
}

QStringList inputNumbers() {
    QStringList items;
    for (int n = 1; n <= 31; ++n) {
        items << QStringLiteral("%1").arg(n, 5, 2, QLatin1Char('0'));
    }
    return items;
}

// "IO控制:", input number with its caption above, "＝命令", the command text, "?" and "下载".
void addIoRow(QGridLayout* grid, int row, QGroupBox& frame) {
    auto* io = new QGridLayout;
    io->setContentsMargins(0, 2, 0, 0);
    io->setHorizontalSpacing(3);
    io->setVerticalSpacing(0);

    auto* caption = label("Label64", "IN序号  54321", frame);
    auto* combo8 =
        directionCombo("Combo8", inputNumbers(), QStringLiteral("00000"), QStringLiteral("IN序号"));
    labelFor(caption, combo8);
    auto* text31 = makeEdit(QStringLiteral("Text31"), QString());
    text31->setAccessibleName(QStringLiteral("IO取代命令"));
    text31->setMinimumWidth(text31->fontMetrics().horizontalAdvance(QStringLiteral("00 ")) * 8);
    auto* read = makeButton(QStringLiteral("Command88"), QStringLiteral("?"),
                            QStringLiteral("读取IO取代命令"));
    auto* download = makeButton(QStringLiteral("Command81"), QStringLiteral("下载"),
                                QStringLiteral("下载IO取代命令"));
    for (QPushButton* button : {read, download}) {
        tint(button, kCaptureTint);
        fixToCaption(button);
    }

    // The digits 54321 of the caption stand over the five digits of the input number.
    constexpr int kComboTextIndent = 6;
    const int digitsEnd =
        kComboTextIndent + combo8->fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    caption->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    caption->setContentsMargins(0, 0, combo8->width() - digitsEnd, 0);
    io->addWidget(caption, 0, 0, 1, 2);
    io->addWidget(label("Label61", "IO控制:", frame), 1, 0);
    io->addWidget(combo8, 1, 1);
    io->addWidget(label("Label62", "＝命令", frame), 1, 2);
    io->addWidget(text31, 1, 3);
    io->addWidget(read, 1, 4);
    io->addWidget(download, 1, 5);
    io->setColumnStretch(3, 1);
    grid->addLayout(io, row, 0, 1, ColumnCount);
}

} // namespace

void buildMotionPanel(QGroupBox& frame) {
    auto* grid = compactGrid(&frame);
    const QStringList directions{QStringLiteral("0"), QStringLiteral("1")};
    const QString directionSample = QStringLiteral("00");

    // Position move by a signed pulse count, and the same number as an absolute position.
    auto* label20 = label("Label20", "位置运动: 正/负方向脉冲数:", frame);
    auto* text8 = amountBox("Text8", "10000", QStringLiteral("位置运动脉冲数"));
    label20->setBuddy(text8);
    grid->addWidget(label20, 0, DirectionLabel, 1, Amount);
    grid->addWidget(text8, 0, Amount);
    grid->addWidget(actionButton("Command74", "绝对位置"), 0, Extra);
    addActionButtons(grid, 0, {"Command82", "Command18", "运动", "Command38", "位置运动"});

    // Position move with a direction byte.
    grid->addWidget(label("Label21", "方向:", frame), 1, DirectionLabel);
    grid->addWidget(
        directionCombo("Combo3", directions, directionSample, QStringLiteral("位置运动方向")), 1,
        Direction);
    grid->addWidget(label("Label22", "脉冲数:", frame), 1, AmountLabel);
    grid->addWidget(amountBox("Text9", "1000", QStringLiteral("带方向位置运动脉冲数")), 1, Amount);
    addActionButtons(grid, 1, {"Command83", "Command19", "运动", "Command39", "带方向位置运动"});

    // Constant speed, direction by the sign.
    auto* label24 = label("Label24", "恒速运动: 正/负方向速度:", frame);
    auto* text10 = amountBox("Text10", "10000", QStringLiteral("恒速运动速度"));
    label24->setBuddy(text10);
    grid->addWidget(label24, 2, DirectionLabel, 1, Amount);
    grid->addWidget(text10, 2, Amount);
    addActionButtons(grid, 2, {"Command84", "Command20", "运动", "Command40", "恒速运动"});

    // Constant speed with a direction byte.
    grid->addWidget(label("Label25", "方向:", frame), 3, DirectionLabel);
    grid->addWidget(
        directionCombo("Combo4", directions, directionSample, QStringLiteral("恒速运动方向")), 3,
        Direction);
    grid->addWidget(label("Label26", "速度:", frame), 3, AmountLabel);
    grid->addWidget(amountBox("Text11", "10000", QStringLiteral("带方向恒速运动速度")), 3, Amount);
    addActionButtons(grid, 3, {"Command85", "Command21", "运动", "Command41", "带方向恒速运动"});

    // Homing: three searches that differ only in their command code.
    auto* label37 = label("Label37", "查找零点: 方向:", frame);
    auto* combo5 =
        directionCombo("Combo5", directions, directionSample, QStringLiteral("查找零点方向"));
    label37->setBuddy(combo5);
    grid->addWidget(label37, 4, DirectionLabel, 1, Amount);
    auto* homing = new QHBoxLayout;
    homing->setSpacing(3);
    homing->addWidget(combo5);
    homing->addWidget(actionButton("Command76", "归零1"));
    homing->addWidget(actionButton("Command75", "归零3"));
    homing->addStretch(1);
    grid->addLayout(homing, 4, Amount, 1, 2);
    addActionButtons(grid, 4, {"Command86", "Command7", "归零2", "Command42", "归零2"});

    // Speed change of a running move.
    auto* label27 = label("Label27", "运动中改变速度:   新速度", frame);
    auto* text30 = amountBox("Text30", "10000", QStringLiteral("新速度"));
    label27->setBuddy(text30);
    grid->addWidget(label27, 5, DirectionLabel, 1, Amount);
    grid->addWidget(text30, 5, Amount);
    grid->addWidget(label("Label28", "PLUS/S", frame), 5, Extra);
    addActionButtons(grid, 5, {"Command87", "Command65", "执行", "Command68", "改变速度"});

    addStopButton(grid, 0, {"Command89", "Command22", "减速停止", "Command44", "减速停止"});
    addStopButton(grid, 3, {"Command90", "Command23", "立即停止", "Command45", "立即停止"});

    addIoRow(grid, 6, frame);
    grid->setColumnStretch(Amount, 1);
}
