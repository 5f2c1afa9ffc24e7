#include "link/TransmitLog.h"

#include "link/CodePage.h"
#include "link/FrameCodec.h"

#include <array>

namespace {

struct SendLabel {
    quint8 code;
    const char* label;
};

constexpr std::array kSendLabels{
    SendLabel{0x20, "请求握手命令:"},
    SendLabel{0x21, "查询设备地址:"},
    SendLabel{0x22, "更改设备地址:"},
    SendLabel{0x23, "查询当前波特率:"},
    SendLabel{0x24, "改变当前波特率:"},
    SendLabel{0x25, "设置运动初速度:"},
    SendLabel{0x26, "查询运动初速度:"},
    SendLabel{0x27, "设置运动最大速度:"},
    SendLabel{0x28, "查询运动最大速度:"},
    SendLabel{0x29, "设置运动末速度:"},
    SendLabel{0x2A, "查询运动末速度:"},
    SendLabel{0x2B, "设置运动加速度:"},
    SendLabel{0x2C, "查询运动加速度:"},
    SendLabel{0x2D, "设置运动减速度:"},
    SendLabel{0x2E, "查询运动减速度:"},
    SendLabel{0x2F, "设置归零运动速度:"},
    SendLabel{0x30, "查询归零运动速度:"},
    SendLabel{0x31, "设置32位运动脉冲数并开始运动:"},
    SendLabel{0x32, "设置24位运动脉冲数并开始运动:"},
    SendLabel{0x33, "设置32位运动速度，并恒速运动:"},
    SendLabel{0x34, "设置24位运动速度，并恒速运动:"},
    SendLabel{0x35, "恒速运动过程中改变速度:"},
    SendLabel{0x36, "查询运动速度:"},
    SendLabel{0x37, "查询运动绝对位置:"},
    SendLabel{0x38, "绝对位置清零:"},
    SendLabel{0x39, "查询运动相对位置:"},
    SendLabel{0x3A, "相对位置清零:"},
    SendLabel{0x3B, "查询运动状态:"},
    SendLabel{0x3C, "急停命令:"},
    SendLabel{0x3D, "减速停止命令:"},
    SendLabel{0x3E, "查找原点命令:"},
    SendLabel{0x3F, "设置存储器偏移地址:"},
    SendLabel{0x42, "查询IN状态命令:"},
    SendLabel{0x43, "查询输入状态:"},
    SendLabel{0x44, "设置运动变速因子:"},
    SendLabel{0x45, "定量加速命令:"},
    SendLabel{0x46, "定量减速命令:"},
    SendLabel{0x47, "出厂设置命令:"},
};

} // namespace

std::optional<quint8> frameCommandCode(QByteArrayView frame) {
    if (!frame.isEmpty() && frame[0] == ':') {
        if (frame.size() < 5) {
            return std::nullopt;
        }
        const int high = hexDigitValue(frame[3]);
        const int low = hexDigitValue(frame[4]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        return static_cast<quint8>(high * 16 + low);
    }
    if (frame.size() < 2) {
        return std::nullopt;
    }
    return static_cast<quint8>(frame[1]);
}

QString sendLabel(quint8 code) {
    for (const SendLabel& row : kSendLabels) {
        if (row.code == code) {
            return QString::fromUtf8(row.label);
        }
    }
    return {};
}

namespace {

QString labelLine(QByteArrayView frame) {
    if (const auto code = frameCommandCode(frame)) {
        const QString label = sendLabel(*code);
        if (!label.isEmpty()) {
            return label + QStringLiteral("\n\r");
        }
    }
    return {};
}

const QString kPlcMarker = QStringLiteral("西门子标准格式:\n\r");

} // namespace

void logTransmission(LogModel& log, QByteArrayView frame, QByteArrayView outgoing, bool plcMode) {
    // One prepend of the whole entry reads the same as the pieces put on top one by one.
    QString entry = QStringLiteral("SndAsc:") + dumpCharacters(outgoing) + u'\n' +
                    QStringLiteral("SndHex:") + FormatHexPairs(outgoing) + u'\n';
    if (plcMode) {
        entry += kPlcMarker;
    }
    entry += labelLine(frame);
    log.prepend(entry);
    log.addBytes(outgoing.size());
}

void logUnmappable(LogModel& log, QByteArrayView frame, const QString& reason) {
    log.prepend(reason + QStringLiteral("\n\r") + kPlcMarker + labelLine(frame));
}
