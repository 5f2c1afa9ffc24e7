#include "tools/RawToolsPanel.h"

#include "commands/Widgets.h"
#include "link/FrameCodec.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kCompanionTip = QStringLiteral("添加高级命令");

// The column beside the logs is narrow: buttons are only as wide as their captions.
QPushButton* compactButton(const QString& name, const QString& caption,
                           const QString& accessibleName = QString()) {
    QPushButton* button = makeButton(name, caption, accessibleName);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(caption) + 6);
    return button;
}

QPushButton* companionButton(const QString& name, const QString& accessibleName) {
    QPushButton* button = compactButton(name, QStringLiteral(">"), accessibleName);
    button->setToolTip(kCompanionTip);
    return button;
}

QHBoxLayout* row(QVBoxLayout* column) {
    auto* layout = new QHBoxLayout;
    layout->setSpacing(2);
    column->addLayout(layout);
    return layout;
}

} // namespace

RawToolsPanel::RawToolsPanel(QWidget& host, FormState& state, Hooks hooks)
    : QObject(&host), m_state(state), m_hooks(std::move(hooks)) {
    auto* column = new QVBoxLayout(&host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    QHBoxLayout* first = row(column);
    QLabel* textLabel = makeLabel(QStringLiteral("Label4"), QStringLiteral("字符串："));
    m_text = makeEdit(QStringLiteral("Text5"), QString());
    m_text->setMaxLength(int(kMaxToolText));
    labelFor(textLabel, m_text);
    QPushButton* sendString =
        compactButton(QStringLiteral("Command37"), QStringLiteral("发字符串"));
    QPushButton* toHex = compactButton(QStringLiteral("Command5"), QStringLiteral("转16进制"));
    first->addWidget(textLabel);
    first->addWidget(m_text, 1);
    first->addWidget(sendString);
    first->addWidget(toHex);

    QHBoxLayout* second = row(column);
    QLabel* hexLabel = makeLabel(QStringLiteral("Label3"), QStringLiteral("16进制："));
    m_hex = makeEdit(QStringLiteral("Text1"), QString());
    m_hex->setMaxLength(int(kMaxToolText));
    labelFor(hexLabel, m_hex);
    QPushButton* sendHex = compactButton(QStringLiteral("Command1"), QStringLiteral("发16进制"));
    second->addWidget(hexLabel);
    second->addWidget(m_hex, 1);
    second->addWidget(sendHex);
    second->addWidget(
        companionButton(QStringLiteral("Command79"), QStringLiteral("记录并发16进制")));

    QHBoxLayout* third = row(column);
    third->setSpacing(1);
    QPushButton* crcLowHigh = compactButton(QStringLiteral("Command8"), QStringLiteral("CRC-L/H"));
    QPushButton* crcHighLow = compactButton(QStringLiteral("Command2"), QStringLiteral("CRC-H/L"));
    m_crcFirst = makeEdit(QStringLiteral("Text2"), QString());
    m_crcFirst->setAccessibleName(QStringLiteral("CRC第一字节"));
    m_crcSecond = makeEdit(QStringLiteral("Text3"), QString());
    m_crcSecond->setAccessibleName(QStringLiteral("CRC第二字节"));
    for (QLineEdit* box : {m_crcFirst, m_crcSecond}) {
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("DD")) + 6);
    }
    QPushButton* sendAsc = compactButton(QStringLiteral("Command10"), QStringLiteral("发送ASC"));
    QPushButton* sendRtu = compactButton(QStringLiteral("Command11"), QStringLiteral("发送RTU"));
    third->addWidget(crcLowHigh);
    third->addWidget(crcHighLow);
    third->addWidget(m_crcFirst);
    third->addWidget(m_crcSecond);
    third->addStretch(1);
    third->addWidget(sendAsc);
    third->addWidget(companionButton(QStringLiteral("Command77"), QStringLiteral("记录并发送ASC")));
    third->addWidget(sendRtu);
    third->addWidget(companionButton(QStringLiteral("Command80"), QStringLiteral("记录并发送RTU")));

    connect(sendString, &QPushButton::clicked, this, &RawToolsPanel::sendString);
    connect(toHex, &QPushButton::clicked, this, &RawToolsPanel::convertToHex);
    connect(sendHex, &QPushButton::clicked, this, [this] { this->sendHex(RawFraming::AsTyped); });
    connect(sendAsc, &QPushButton::clicked, this, [this] { this->sendHex(RawFraming::Asc); });
    connect(sendRtu, &QPushButton::clicked, this, [this] { this->sendHex(RawFraming::Rtu); });
    connect(crcLowHigh, &QPushButton::clicked, this, [this] { showCrc(false); });
    connect(crcHighLow, &QPushButton::clicked, this, [this] { showCrc(true); });
}

void RawToolsPanel::sendHex(RawFraming framing) {
    // Raw frames are never re-mapped.
    m_hooks.plcModeOff();
    // With nothing typed, a ">" flag stays set for the next action.
    const auto frame = rawHexFrame(m_hex->text(), framing);
    if (!frame) {
        return;
    }
    if (m_state.RecordToList) {
        m_state.RecordToList = false;
        m_hooks.record(FormatHexPairs(*frame));
    }
    m_hooks.send(*frame);
}

void RawToolsPanel::sendString() {
    const QString text = m_text->text();
    m_hooks.plcModeOff();
    if (text.isEmpty()) {
        return;
    }
    const TextBytes frame = rawTextBytes(text);
    if (!frame.problem.isEmpty()) {
        m_state.RecordToList = false;
        m_hooks.report(frame.problem);
        return;
    }
    // A flag left set by a ">" whose action stopped early records the text itself.
    if (m_state.RecordToList) {
        m_state.RecordToList = false;
        m_hooks.record(text);
    }
    m_hooks.send(frame.bytes);
}

void RawToolsPanel::convertToHex() {
    const HexText converted = rawTextToHex(m_text->text());
    if (!converted.problem.isEmpty()) {
        m_hooks.report(converted.problem);
        return;
    }
    m_hex->setText(converted.hex);
}

void RawToolsPanel::showCrc(bool highFirst) {
    const auto crc = rawCrcTexts(m_hex->text(), highFirst);
    if (!crc) {
        return;
    }
    m_crcFirst->setText(crc->first);
    m_crcSecond->setText(crc->second);
}
