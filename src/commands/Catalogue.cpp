#include "commands/Catalogue.h"

#include "link/FrameCodec.h"
#include "link/TextParsing.h"

#include <array>

namespace {

using enum DataShape;
constexpr PlcOption Rd = PlcOption::Read;
constexpr PlcOption Wr = PlcOption::Write;
constexpr PlcOption Lv = PlcOption::Leave;
constexpr PlcOption Off = PlcOption::Off;
constexpr unsigned R = HonoursRecord;
constexpr unsigned C = HonoursCapture;
constexpr unsigned RC = HonoursRecord | HonoursCapture;
constexpr unsigned No = HonoursNone;

// button, caption, code, shape, source, source2, constant, PLC option, flags, RTU always,
// address 0x00
constexpr std::array kCatalogue{
    // Bus setup
    CommandRow{"Command12", "握手", 0x20, None, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command13", "查地址", 0x21, None, nullptr, nullptr, 0, Rd, No, false, true},
    CommandRow{"Command15", "查波特率", 0x23, None, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command14", "改地址", 0x22, HexByte, "Text7", nullptr, 0, Wr, No, false, false},
    CommandRow{"Command16", "改波特率", 0x24, BaudCode, "Combo6", nullptr, 0, Wr, No, false, false},
    // Parameters
    CommandRow{"Command17", "初速度", 0x25, Int32, "Text12", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command24", "最大速度", 0x27, Int32, "Text13", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command25", "末速度", 0x29, Int32, "Text14", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command26", "加速度", 0x2B, Int32, "Text15", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command27", "减速度", 0x2D, Int32, "Text16", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command64", "归零速度", 0x2F, Int32, "Text29", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command57", "?", 0x26, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command58", "?", 0x28, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command59", "?", 0x2A, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command60", "?", 0x2C, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command61", "?", 0x2E, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command62", "?", 0x30, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command28", "运动速度", 0x36, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command30", "绝对位置", 0x37, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command66", "0", 0x38, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command31", "相对位置", 0x39, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command67", "0", 0x3A, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command29", "运动状态", 0x3B, None, nullptr, nullptr, 0, Rd, R, false, false},
    // Motion
    CommandRow{"Command18", "运动", 0x31, Int32, "Text8", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command74", "绝对位置", 0x50, Int32, "Text8", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command19", "运动", 0x32, Direction24, "Combo3", "Text9", 0, Wr, RC, false, false},
    CommandRow{"Command20", "运动", 0x33, Int32, "Text10", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command21", "运动", 0x34, Direction24, "Combo4", "Text11", 0, Wr, RC, false, false},
    CommandRow{"Command65", "执行", 0x35, Int32, "Text30", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command76", "归零1", 0x3E, HexByte, "Combo5", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command7", "归零2", 0x4E, HexByte, "Combo5", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command75", "归零3", 0x4F, HexByte, "Combo5", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command22", "减速停止", 0x3D, None, nullptr, nullptr, 0, Lv, RC, false, false},
    CommandRow{"Command23", "立即停止", 0x3C, None, nullptr, nullptr, 0, Lv, RC, false, false},
    CommandRow{"Command88", "?", 0x41, InputNumber, "Combo8", nullptr, 0, Off, No, false, false},
    CommandRow{"Command81", "下载", 0x40, IoDownload, "Combo8", "Text31", 0, Off, R, true, false},
    // Closed loop
    CommandRow{"Command4", "4倍频运动", 0x55, Int32, "Text35", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command107", "齿轮比运动", 0x56, Int32, "Text36", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command35", "到闭环位置", 0x57, Int32, "Text21", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command46", "绝对位置", 0x58, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command48", "0", 0x59, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command47", "相对位置", 0x5A, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command49", "0", 0x5B, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command50", "编码方向", 0x5C, HexByte, "Combo12", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command73", "控制方向", 0x5D, HexByte, "Combo11", nullptr, 0, Wr, RC, false, false},
    CommandRow{"Command108", "无积累误差", 0x5E, Constant, nullptr, nullptr, 0, Wr, RC, false,
               false},
    CommandRow{"Command56", "有积累误差", 0x5E, Constant, nullptr, nullptr, 1, Wr, RC, false,
               false},
    CommandRow{"Command63", "齿轮分子", 0x5F, Int32, "Text4", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command9", "?", 0x60, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command71", "齿轮分母", 0x61, Int32, "Text39", nullptr, 0, Wr, R, false, false},
    CommandRow{"Command72", "?", 0x62, None, nullptr, nullptr, 0, Rd, R, false, false},
    // IO, CAN and other
    CommandRow{"Command91", "运动因子", 0x44, Int32, "Text32", nullptr, 0, Lv, RC, false, false},
    CommandRow{"Command92", "加速度", 0x45, None, nullptr, nullptr, 0, Rd, C, false, false},
    CommandRow{"Command93", "减速度", 0x46, None, nullptr, nullptr, 0, Rd, C, false, false},
    CommandRow{"Command94", "查询IN", 0x42, None, nullptr, nullptr, 0, Rd, R, false, false},
    CommandRow{"Command102", "无校验检查", 0x48, Constant, nullptr, nullptr, 1, Rd, No, false,
               false},
    CommandRow{"Command103", "有校验检查", 0x48, Constant, nullptr, nullptr, 0, Rd, No, false,
               false},
    CommandRow{"Command104", "回8byte长", 0x49, Constant, nullptr, nullptr, 1, Rd, No, false,
               false},
    CommandRow{"Command105", "回协议长", 0x49, Constant, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command78", "LastChr", 0x51, LastChr, "Text40", nullptr, 0, Rd, No, false, false},
    CommandRow{"Command109", "K1开", 0x52, OutputK1, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command110", "K2开", 0x52, OutputK2, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command96", "出厂设置", 0x47, None, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command100", "标准帧", 0x4A, Constant, nullptr, nullptr, 0, Rd, No, false, false},
    CommandRow{"Command101", "扩展帧", 0x4A, Constant, nullptr, nullptr, 1, Rd, No, false, false},
    CommandRow{"Command95", "CAN波特率", 0x4B, CanRateCode, "Combo9", nullptr, 0, Wr, No, false,
               false},
    CommandRow{"Command106", "HEX到CAN发送", 0x4C, CanHex, "Text33", nullptr, 0, Wr, R, true,
               false},
    // PLC register base: the mode is switched off while it is sent
    CommandRow{"Command3", "设寄存器映射地址", 0x3F, RegisterBase, "Text34", nullptr, 0, Off, R,
               false, false},
};

constexpr CompanionFlag Rec = CompanionFlag::Record;
constexpr CompanionFlag Cap = CompanionFlag::Capture;

constexpr std::array kCompanions{
    CompanionRow{"Command51", Rec, "Command28"}, CompanionRow{"Command52", Rec, "Command30"},
    CompanionRow{"Command53", Rec, "Command31"}, CompanionRow{"Command43", Rec, "Command29"},
    CompanionRow{"Command69", Rec, "Command66"}, CompanionRow{"Command70", Rec, "Command67"},
    CompanionRow{"Command38", Rec, "Command18"}, CompanionRow{"Command39", Rec, "Command19"},
    CompanionRow{"Command40", Rec, "Command20"}, CompanionRow{"Command41", Rec, "Command21"},
    CompanionRow{"Command42", Rec, "Command7"},  CompanionRow{"Command44", Rec, "Command22"},
    CompanionRow{"Command45", Rec, "Command23"}, CompanionRow{"Command68", Rec, "Command65"},
    CompanionRow{"Command99", Rec, "Command94"}, CompanionRow{"Command79", Rec, "Command1"},
    CompanionRow{"Command77", Rec, "Command10"}, CompanionRow{"Command80", Rec, "Command11"},
    CompanionRow{"Command82", Cap, "Command18"}, CompanionRow{"Command83", Cap, "Command19"},
    CompanionRow{"Command84", Cap, "Command20"}, CompanionRow{"Command85", Cap, "Command21"},
    CompanionRow{"Command86", Cap, "Command7"},  CompanionRow{"Command87", Cap, "Command65"},
    CompanionRow{"Command89", Cap, "Command22"}, CompanionRow{"Command90", Cap, "Command23"},
    CompanionRow{"Command97", Cap, "Command92"}, CompanionRow{"Command98", Cap, "Command93"},
};

struct FieldName {
    const char* control;
    const char* name;
};

// What the user calls each field, for the message when a value does not fit.
constexpr std::array kFieldNames{
    FieldName{"Text23", "设备操作地址(Hex)"},
    FieldName{"Text7", "New Addr"},
    FieldName{"Text12", "初速度"},
    FieldName{"Text13", "最大速度"},
    FieldName{"Text14", "末速度"},
    FieldName{"Text15", "加速度"},
    FieldName{"Text16", "减速度"},
    FieldName{"Text29", "归零速度"},
    FieldName{"Text8", "位置运动脉冲数"},
    FieldName{"Combo3", "位置运动方向"},
    FieldName{"Text9", "位置运动脉冲数"},
    FieldName{"Text10", "恒速运动速度"},
    FieldName{"Combo4", "恒速运动方向"},
    FieldName{"Text11", "恒速运动速度"},
    FieldName{"Text30", "新速度"},
    FieldName{"Combo5", "查找零点方向"},
    FieldName{"Text31", "IO取代命令"},
    FieldName{"Text35", "4倍频反馈脉冲"},
    FieldName{"Text36", "齿轮比反馈脉冲"},
    FieldName{"Text21", "反馈位置"},
    FieldName{"Combo12", "编码方向"},
    FieldName{"Combo11", "控制方向"},
    FieldName{"Text4", "齿轮分子"},
    FieldName{"Text39", "齿轮分母"},
    FieldName{"Text32", "运动因子"},
    FieldName{"Text34", "寄存器映射地址"},
};

QString fieldName(const char* control) {
    for (const FieldName& f : kFieldNames) {
        if (qstrcmp(f.control, control) == 0) {
            return QString::fromUtf8(f.name);
        }
    }
    return QString::fromLatin1(control);
}

BuildResult refuse(const char* control, const QString& range) {
    BuildResult result;
    result.kind = BuildResult::Refused;
    result.problem.control = QString::fromLatin1(control);
    result.problem.message =
        QStringLiteral("“%1”超出范围：必须在 %2 之间。未发送。").arg(fieldName(control), range);
    return result;
}

const QString kByteRange = QStringLiteral("0–255");
const QString kHexByteRange = QStringLiteral("0–FF");
const QString kInt32Range = QStringLiteral("-2147483648–2147483647");

void appendInt32(QByteArray& bytes, qint32 value) {
    const auto u = static_cast<quint32>(value);
    bytes.append(static_cast<char>(u >> 24));
    bytes.append(static_cast<char>((u >> 16) & 0xFF));
    bytes.append(static_cast<char>((u >> 8) & 0xFF));
    bytes.append(static_cast<char>(u & 0xFF));
}

} // namespace

std::span<const CommandRow> commandCatalogue() {
    return kCatalogue;
}
std::span<const CompanionRow> companionButtons() {
    return kCompanions;
}

const CommandRow* findCommand(const QString& button) {
    for (const CommandRow& row : kCatalogue) {
        if (button == QLatin1String(row.button)) {
            return &row;
        }
    }
    return nullptr;
}

quint8 baudRateCode(const QString& text) {
    static const char* const kSpeeds[] = {"2400",  "4800",  "9600",  "14400",
                                          "19200", "38400", "56000", "57600"};
    for (quint8 i = 0; i < std::size(kSpeeds); ++i) {
        if (text == QLatin1String(kSpeeds[i])) {
            return static_cast<quint8>(4 + i);
        }
    }
    return 0;
}

quint8 canRateCode(const QString& text) {
    static const char* const kRates[] = {"1M",   "900K", "800K", "750K", "600K", "500K",
                                         "400K", "250K", "200K", "150K", "125K", "100K",
                                         "80K",  "50K",  "25K",  "20K",  "10K",  "5K"};
    for (quint8 i = 0; i < std::size(kRates); ++i) {
        if (text == QLatin1String(kRates[i])) {
            return static_cast<quint8>(i + 1);
        }
    }
    return 0;
}

quint8 inputNumber(const QString& text) {
    quint8 number = 0;
    for (int i = 0; i < 5; ++i) {
        if (i < text.size() && text[i] == u'1') {
            number = static_cast<quint8>(number | (1U << (4 - i)));
        }
    }
    return number;
}

BuildResult buildCommand(const CommandRow& row, const ControlText& text, FormState& state) {
    QByteArray request;
    if (row.shape == LastChr) {
        state.LastChrState = !state.LastChrState;
    }

    quint8 address = 0;
    if (!row.addressZero) {
        const auto fitted = hexToByteField(ParseHexText(text("Text23")));
        if (!fitted && row.shape != LastChr) {
            return refuse("Text23", kHexByteRange);
        }
        address = fitted.value_or(0);
    }
    request.append(static_cast<char>(address));
    request.append(static_cast<char>(row.code));

    QByteArray data;
    switch (row.shape) {
    case None:
        break;
    case HexByte: {
        const auto value = hexToByteField(ParseHexText(text(row.source)));
        if (!value) {
            return refuse(row.source, kHexByteRange);
        }
        data.append(static_cast<char>(*value));
        break;
    }
    case DecimalByte: {
        const auto value = toByteField(ParseNumberText(text(row.source)));
        if (!value) {
            return refuse(row.source, kByteRange);
        }
        data.append(static_cast<char>(*value));
        break;
    }
    case Constant:
        data.append(static_cast<char>(row.constant));
        break;
    case BaudCode:
        data.append(static_cast<char>(baudRateCode(text(row.source))));
        break;
    case CanRateCode:
        data.append(static_cast<char>(canRateCode(text(row.source))));
        break;
    case Int32: {
        const auto value = toInt32Field(ParseNumberText(text(row.source)));
        if (!value) {
            return refuse(row.source, kInt32Range);
        }
        appendInt32(data, *value);
        break;
    }
    case RegisterBase: {
        const auto value = toInt32Field(ParseNumberText(text(row.source)));
        if (!value) {
            return refuse(row.source, kInt32Range);
        }
        if (*value < 0 || *value > kMaxRegisterBase) {
            BuildResult result;
            result.kind = BuildResult::OutOfRange;
            return result;
        }
        appendInt32(data, *value);
        break;
    }
    case Direction24: {
        const auto direction = toByteField(ParseNumberText(text(row.source)));
        if (!direction) {
            return refuse(row.source, kByteRange);
        }
        const auto amount = toInt32Field(ParseNumberText(text(row.source2)));
        if (!amount) {
            return refuse(row.source2, kInt32Range);
        }
        QByteArray four;
        appendInt32(four, *amount);
        // Only the low 24 bits travel; the top byte carries the direction.
        four[0] = static_cast<char>(*direction);
        data = four;
        break;
    }
    case InputNumber:
        data.append(static_cast<char>(inputNumber(text(row.source))));
        break;
    case IoDownload: {
        const QString command = text(row.source2);
        if (command.isEmpty()) {
            BuildResult result;
            result.kind = BuildResult::Stopped;
            return result;
        }
        const QByteArray bytes = HexTextToBytes(command);
        if (bytes.size() > 254) {
            BuildResult result = refuse(row.source2, QStringLiteral("0–254 字节"));
            result.problem.message =
                QStringLiteral("“IO取代命令”有 %1 字节，最多 254 字节（数据长度须在一个字节内）。"
                               "未发送。")
                    .arg(bytes.size());
            return result;
        }
        data.append(static_cast<char>(inputNumber(text(row.source))));
        data.append(bytes);
        break;
    }
    case CanHex: {
        const QString typed = text(row.source);
        if (typed.isEmpty()) {
            BuildResult result;
            result.kind = BuildResult::Stopped;
            return result;
        }
        data = HexTextToBytes(typed).left(5);
        break;
    }
    case LastChr:
        data.append(static_cast<char>(state.LastChrState ? 1 : 0));
        data.append(static_cast<char>(toByteField(ParseNumberText(text(row.source))).value_or(0)));
        break;
    case OutputK1:
    case OutputK2:
        if (row.shape == OutputK1) {
            state.K1State = !state.K1State;
        } else {
            state.K2State = !state.K2State;
        }
        data.append(static_cast<char>(state.K1State ? 1 : 0));
        data.append(static_cast<char>(state.K2State ? 1 : 0));
        break;
    }
    request.append(static_cast<char>(data.size()));
    request.append(data);

    const ProtocolMode mode = row.rtuAlways ? ProtocolMode::Rtu : modeFromText(text("Combo7"));
    BuildResult result;
    result.frame = BuildFrame(request, mode);
    return result;
}
