#include "link/ReplyDecoder.h"

#include "link/CodePage.h"
#include "link/FrameCodec.h"

#include <array>

namespace {

enum class Value { None, U32, S32, B3, AddressHex, BaudHex, MotionLamps, InputLamps, HexCapture };

struct DecodeRow {
    quint8 code;
    const char* label;
    Value value;
    const char* target;
};

constexpr std::array kDecodeTable{
    DecodeRow{0x20, "请求握手命令:", Value::None, nullptr},
    DecodeRow{0x21, "查询设备地址:当前地址为", Value::AddressHex, nullptr},
    DecodeRow{0x22, "更改设备地址:", Value::None, nullptr},
    DecodeRow{0x23, "查询当前波特率:当前波特率设置为", Value::BaudHex, nullptr},
    DecodeRow{0x24, "改变当前波特率:", Value::None, nullptr},
    DecodeRow{0x25, "设置运动初速度:", Value::None, nullptr},
    DecodeRow{0x26, "查询运动初速度:", Value::U32, "Text27"},
    DecodeRow{0x27, "设置运动最大速度:", Value::None, nullptr},
    DecodeRow{0x28, "查询运动最大速度:", Value::U32, "Text26"},
    DecodeRow{0x29, "设置运动末速度:", Value::None, nullptr},
    DecodeRow{0x2A, "查询运动末速度:", Value::U32, "Text25"},
    DecodeRow{0x2B, "设置运动加速度:", Value::None, nullptr},
    DecodeRow{0x2C, "查询运动加速度:", Value::U32, "Text24"},
    DecodeRow{0x2D, "设置运动减速度:", Value::None, nullptr},
    DecodeRow{0x2E, "查询运动减速度:", Value::U32, "Text6"},
    DecodeRow{0x2F, "设置归零运动速度:", Value::None, nullptr},
    DecodeRow{0x30, "查询归零运动速度:", Value::U32, "Text28"},
    DecodeRow{0x31, "设置32位运动脉冲数并开始运动:", Value::None, nullptr},
    DecodeRow{0x32, "设置24位运动脉冲数并开始运动:", Value::None, nullptr},
    DecodeRow{0x33, "设置32位运动速度，并恒速运动:", Value::None, nullptr},
    DecodeRow{0x34, "设置24位运动速度，并恒速运动:", Value::None, nullptr},
    DecodeRow{0x35, "恒速运动过程中改变速度:", Value::None, nullptr},
    DecodeRow{0x36, "查询运动速度:", Value::U32, "Text17"},
    DecodeRow{0x37, "查询运动绝对位置:", Value::S32, "Text18"},
    DecodeRow{0x38, "绝对位置清零:", Value::None, nullptr},
    DecodeRow{0x39, "查询运动相对位置:", Value::S32, "Text19"},
    DecodeRow{0x3A, "相对位置清零:", Value::None, nullptr},
    DecodeRow{0x3B, "查询运动状态:", Value::MotionLamps, nullptr},
    DecodeRow{0x3C, "急停命令:", Value::None, nullptr},
    DecodeRow{0x3D, "减速停止命令:", Value::None, nullptr},
    DecodeRow{0x3E, "查找原点命令:", Value::None, nullptr},
    DecodeRow{0x40, "设置IO取代命令:", Value::None, nullptr},
    DecodeRow{0x41, "读取IO取代命令:", Value::HexCapture, "Text31"},
    DecodeRow{0x42, "查询 IN 1-5 状态:", Value::InputLamps, nullptr},
    DecodeRow{0x44, "设置变速因子命令:", Value::None, nullptr},
    DecodeRow{0x45, "定量加速命令:", Value::None, nullptr},
    DecodeRow{0x46, "定量减速命令:", Value::None, nullptr},
    DecodeRow{0x47, "出厂设置命令:", Value::None, nullptr},
    DecodeRow{0x58, "查询闭环绝对位置:", Value::S32, "Text37"},
    DecodeRow{0x5A, "查询闭环相对位置:", Value::S32, "Text38"},
    DecodeRow{0x60, "查询闭环齿轮分子:", Value::S32, "Text4"},
    DecodeRow{0x62, "查询闭环齿轮分母:", Value::S32, "Text39"},
    DecodeRow{0x64, "查询闭环错误代码:", Value::B3, "Text40"},
};

const QString kLineEnd = QStringLiteral("\n\r");

quint32 u32At(QByteArrayView b) {
    return (quint32(quint8(b[3])) << 24) | (quint32(quint8(b[4])) << 16) |
           (quint32(quint8(b[5])) << 8) | quint32(quint8(b[6]));
}

// A lamp is off only for the value 1 (switch or input not active).
bool lampOn(char byte) {
    return quint8(byte) != 1;
}

// An ASC reply read back into the RTU layout (request bytes and their CRC), so that one
// table decodes both framings. Empty when the text is not a whole frame with a right LRC.
QByteArray rtuFromAsc(QByteArrayView chunk) {
    const std::optional<QByteArray> request = ReadAscFrame(chunk);
    return request ? BuildFrame(*request, ProtocolMode::Rtu) : QByteArray();
}

} // namespace

QString valueText(qint64 value) {
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString receiveDumpLines(QByteArrayView chunk) {
    return QStringLiteral("RecAsc:") + dumpCharacters(chunk) + u'\n' + QStringLiteral("RecHex:") +
           FormatHexPairs(chunk) + u'\n';
}

ReplyDecoding decodeReply(QByteArrayView chunk) {
    ReplyDecoding result;
    if (chunk.size() <= 2) {
        return result;
    }
    QByteArray reply;
    if (chunk[0] == ':') {
        reply = rtuFromAsc(chunk);
        if (reply.isEmpty()) {
            result.logLine = QStringLiteral("接收数据校验错误(LRC)，未解码:") + kLineEnd;
            return result;
        }
    } else {
        if (!HasValidCrc(chunk)) {
            result.logLine = QStringLiteral("接收数据校验错误(CRC)，未解码:") + kLineEnd;
            return result;
        }
        reply = chunk.toByteArray();
    }

    const auto code = quint8(reply[1]);
    const DecodeRow* row = nullptr;
    for (const DecodeRow& r : kDecodeTable) {
        if (r.code == code) {
            row = &r;
            break;
        }
    }
    if (row == nullptr) {
        return result;
    }
    const qsizetype count = reply.size();
    const QString label = QString::fromUtf8(row->label);
    switch (row->value) {
    case Value::AddressHex:
        result.logLine = label + QString::number(quint8(reply[0]), 16).toUpper() + kLineEnd;
        return result;
    case Value::BaudHex:
        if (count > 3) {
            result.logLine = label + QString::number(quint8(reply[3]), 16).toUpper() + kLineEnd;
        }
        return result;
    case Value::HexCapture:
        result.logLine = label + kLineEnd;
        result.texts.push_back({row->target, FormatHexPairs(reply, 4, count - 3)});
        return result;
    default:
        break;
    }
    result.logLine = label + kLineEnd;
    if (count < 8) {
        return result;
    }
    switch (row->value) {
    case Value::U32:
        result.texts.push_back({row->target, valueText(u32At(reply))});
        break;
    case Value::S32:
        result.texts.push_back({row->target, valueText(qint32(u32At(reply)))});
        break;
    case Value::B3:
        result.texts.push_back({row->target, valueText(quint8(reply[3]))});
        break;
    case Value::MotionLamps: {
        const bool moving = reply[3] != 0;
        result.lamps.push_back({"Shape1", moving});
        result.texts.push_back(
            {"Label15", moving ? QStringLiteral("运动中") : QStringLiteral("停止")});
        result.lamps.push_back({"Shape2", lampOn(reply[4])});
        result.lamps.push_back({"Shape3", lampOn(reply[5])});
        result.lamps.push_back({"Shape4", lampOn(reply[6])});
        break;
    }
    case Value::InputLamps: {
        static const char* const kInputs[] = {"Shape5", "Shape6", "Shape7", "Shape8", "Shape9"};
        for (int i = 0; i < 5; ++i) {
            result.lamps.push_back({kInputs[i], lampOn(reply[3 + i])});
        }
        break;
    }
    default:
        break;
    }
    return result;
}
