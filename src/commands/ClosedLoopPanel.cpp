#include "commands/PanelParts.h"
#include "commands/Panels.h"
#include "commands/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kBoxWidth = 62;
constexpr int kSmallButton = 26;

QLineEdit* valueBox(const QString& name, const QString& text, const QString& accessibleName) {
    auto* box = makeEdit(name, text);
    box->setMinimumWidth(kBoxWidth);
    box->setMaximumWidth(kBoxWidth + 30);
    if (!accessibleName.isEmpty()) {
        box->setAccessibleName(accessibleName);
    }
    return box;
}

QPushButton* smallButton(const QString& name, const QString& caption,
                         const QString& accessibleName) {
    auto* button = makeButton(name, caption, accessibleName);
    button->setFixedWidth(kSmallButton);
    return button;
}

QComboBox* directionCombo(const QString& name, const QString& accessibleName) {
    auto* combo = makeCombo(name, {QStringLiteral("0"), QStringLiteral("1")}, QStringLiteral("0"));
    combo->setMinimumWidth(kBoxWidth);
    combo->setMaximumWidth(kBoxWidth + 30);
    combo->setAccessibleName(accessibleName);
    return combo;
}

} // namespace

void buildClosedLoopPanel(QGroupBox& frame) {
    QGridLayout* grid = compactGrid(&frame);

    // Move block: a value in feedback terms and the move that uses it.
    const struct {
        const char* label;
        const char* labelText;
        const char* box;
        const char* initial;
        const char* button;
        const char* caption;
    } moves[] = {
        {"Label5", "反馈脉冲", "Text35", "4096", "Command4", "4倍频运动"},
        {"Label6", "反馈脉冲", "Text36", "2048", "Command107", "齿轮比运动"},
        {"Label29", "反馈位置", "Text21", "1000", "Command35", "到闭环位置"},
    };
    for (int row = 0; row < 3; ++row) {
        auto* label =
            makeLabel(QLatin1String(moves[row].label), QString::fromUtf8(moves[row].labelText));
        auto* box =
            valueBox(QLatin1String(moves[row].box), QLatin1String(moves[row].initial), QString());
        const QString caption = QString::fromUtf8(moves[row].caption);
        labelFor(label, box);
        // Two boxes share the label "反馈脉冲": name each after the move it feeds.
        box->setAccessibleName(label->text() + QStringLiteral("（") + caption +
                               QStringLiteral("）"));
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(fitCaption(makeButton(QLatin1String(moves[row].button), caption)), row, 2);
    }

    // Gear and direction block.
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command63"), QStringLiteral("齿轮分子"))),
                    0, 3);
    grid->addWidget(
        valueBox(QStringLiteral("Text4"), QStringLiteral("1"), QStringLiteral("齿轮分子")), 0, 4);
    grid->addWidget(
        smallButton(QStringLiteral("Command9"), QStringLiteral("?"), QStringLiteral("读齿轮分子")),
        0, 5);
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command71"), QStringLiteral("齿轮分母"))),
                    1, 3);
    grid->addWidget(
        valueBox(QStringLiteral("Text39"), QStringLiteral("1"), QStringLiteral("齿轮分母")), 1, 4);
    grid->addWidget(
        smallButton(QStringLiteral("Command72"), QStringLiteral("?"), QStringLiteral("读齿轮分母")),
        1, 5);
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command73"), QStringLiteral("控制方向"))),
                    2, 3);
    grid->addWidget(directionCombo(QStringLiteral("Combo11"), QStringLiteral("控制方向")), 2, 4);

    // Position block.
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command46"), QStringLiteral("绝对位置"))),
                    0, 6);
    grid->addWidget(
        valueBox(QStringLiteral("Text37"), QStringLiteral("0"), QStringLiteral("闭环绝对位置")), 0,
        7);
    grid->addWidget(smallButton(QStringLiteral("Command48"), QStringLiteral("0"),
                                QStringLiteral("闭环绝对位置清零")),
                    0, 8);
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command47"), QStringLiteral("相对位置"))),
                    1, 6);
    grid->addWidget(
        valueBox(QStringLiteral("Text38"), QStringLiteral("0"), QStringLiteral("闭环相对位置")), 1,
        7);
    grid->addWidget(smallButton(QStringLiteral("Command49"), QStringLiteral("0"),
                                QStringLiteral("闭环相对位置清零")),
                    1, 8);
    grid->addWidget(fitCaption(makeButton(QStringLiteral("Command50"), QStringLiteral("编码方向"))),
                    2, 6);
    grid->addWidget(directionCombo(QStringLiteral("Combo12"), QStringLiteral("编码方向")), 2, 7);

    // Error mode.
    grid->addWidget(
        fitCaption(makeButton(QStringLiteral("Command108"), QStringLiteral("无积累误差"))), 0, 9);
    grid->addWidget(
        fitCaption(makeButton(QStringLiteral("Command56"), QStringLiteral("有积累误差"))), 1, 9);

    // Spare width goes to the right edge.
    grid->setColumnStretch(10, 1);
}
