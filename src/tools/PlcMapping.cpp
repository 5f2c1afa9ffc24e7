#include "tools/PlcMapping.h"

#include "link/FrameCodec.h"
#include "link/TextParsing.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxMappedData = 20;

bool isTwoRegisterRead(quint8 code) {
    static constexpr quint8 kCodes[] = {0x23, 0x26, 0x28, 0x2A, 0x2C, 0x2E, 0x30,
                                        0x36, 0x37, 0x39, 0x3B, 0x42, 0x43};
    return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

void appendCrc(QByteArray& request) {
    ComputeCrc16(request);
    request.append(static_cast<char>(CrcLow));
    request.append(static_cast<char>(CrcHigh));
}

PlcMapping refusal(const QString& why) {
    return {{}, QStringLiteral("PLC模式：%1，未发送").arg(why)};
}

} // namespace

std::optional<quint16> plcRegisterNumber(double base, quint8 code) {
    const double sum = std::nearbyint(base + code);
    if (!std::isfinite(sum)) {
        return std::nullopt;
    }
    double wrapped = std::fmod(sum, 65536.0);
    if (wrapped < 0) {
        wrapped += 65536.0;
    }
    return static_cast<quint16>(wrapped);
}

PlcMapping MapToPlcRequest(QByteArrayView frame, const QString& baseText, bool read) {
    // The mapped request is RTU anyway, so an ASC frame is read back into its request bytes.
    // A ":" also starts every RTU frame to address 0x3A; such a frame carries a valid CRC.
    const bool ascLead = !frame.isEmpty() && frame[0] == ':';
    const auto fromAsc = ascLead ? ReadAscFrame(frame) : std::nullopt;
    QByteArray request;
    if (fromAsc) {
        request = *fromAsc;
    } else if (ascLead && !HasValidCrc(frame)) {
        return refusal(QStringLiteral("这不是有效的ASC帧"));
    } else {
        // The RTU frame's own CRC is dropped; what is left is the request.
        request = frame.first(std::max<qsizetype>(frame.size() - 2, 0)).toByteArray();
    }
    if (request.size() < 3) {
        return refusal(QStringLiteral("帧太短，无法映射"));
    }
    const auto address = static_cast<char>(request[0]);
    const auto code = static_cast<quint8>(request[1]);
    const auto reg = plcRegisterNumber(ParseNumberText(baseText), code);
    if (!reg) {
        return refusal(QStringLiteral("寄存器映射地址“%1”不是有效的数").arg(baseText));
    }

    QByteArray mapped;
    mapped.append(address);
    if (read) {
        mapped.append('\x03');
        mapped.append(static_cast<char>(*reg >> 8));
        mapped.append(static_cast<char>(*reg & 0xFF));
        mapped.append('\x00');
        mapped.append(static_cast<char>(isTwoRegisterRead(code) ? 2 : 0));
        appendCrc(mapped);
        return {mapped, {}};
    }

    const int length = static_cast<quint8>(request[2]);
    if (length > kMaxMappedData) {
        return refusal(QStringLiteral("数据长度 %1 超过 20 字节，无法映射").arg(length));
    }
    if (request.size() < 3 + length) {
        return refusal(QStringLiteral("帧的数据不足 %1 字节，无法映射").arg(length));
    }
    // Data padded to whole pairs of registers.
    const int padded = 4 * ((length + 3) / 4);
    mapped.append('\x10');
    mapped.append(static_cast<char>(*reg >> 8));
    mapped.append(static_cast<char>(*reg & 0xFF));
    mapped.append('\x00');
    mapped.append(static_cast<char>(padded / 2));
    mapped.append(static_cast<char>(padded));
    mapped.append(request.constData() + 3, length);
    mapped.append(QByteArray(padded - length, '\0'));
    appendCrc(mapped);
    return {mapped, {}};
}
