#include "tools/PlcMapping.h"

#include "link/FrameCodec.h"
#include "link/TextParsing.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr int kMaxMappedData = 20;

// Request bytes of an ASC frame: ":" + hex pairs (request and LRC) + CR LF, LRC correct.
bool requestFromAscFrame(QByteArrayView frame, QByteArray& request) {
    if (frame.size() < 5 || !frame.endsWith("\r\n")) {
        return false;
    }
    const QByteArrayView hex = frame.sliced(1, frame.size() - 3);
    if (hex.size() % 2 != 0 || hex.size() < 8) {
        return false;
    }
    for (const char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    const QByteArray bytes = QByteArray::fromHex(hex.toByteArray());
    request = bytes.left(bytes.size() - 1);
    return ComputeLrc(request) == static_cast<quint8>(bytes.back());
}

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

} // namespace

quint16 plcRegisterNumber(double base, quint8 code) {
    const double sum = std::nearbyint(base + code);
    if (!std::isfinite(sum)) {
        return 0;
    }
    double wrapped = std::fmod(sum, 65536.0);
    if (wrapped < 0) {
        wrapped += 65536.0;
    }
    return static_cast<quint16>(wrapped);
}

PlcMapping MapToPlcRequest(QByteArrayView frame, const QString& baseText, bool read) {
    QByteArray request;
    if (!frame.isEmpty() && frame[0] == ':') {
        if (!requestFromAscFrame(frame, request)) {
            return {{}, QStringLiteral("PLC模式：这不是有效的ASC帧，未发送")};
        }
    } else {
        // The RTU frame's own CRC is dropped; what is left is the request.
        request = frame.toByteArray();
        request.chop(2);
    }
    if (request.size() < 3) {
        return {{}, QStringLiteral("PLC模式：帧太短，无法映射，未发送")};
    }
    const auto address = static_cast<char>(request[0]);
    const auto code = static_cast<quint8>(request[1]);
    const quint16 reg = plcRegisterNumber(ParseNumberText(baseText), code);

    QByteArray mapped;
    mapped.append(address);
    if (read) {
        mapped.append('\x03');
        mapped.append(static_cast<char>(reg >> 8));
        mapped.append(static_cast<char>(reg & 0xFF));
        mapped.append('\x00');
        mapped.append(static_cast<char>(isTwoRegisterRead(code) ? 2 : 0));
        appendCrc(mapped);
        return {mapped, {}};
    }

    const int length = static_cast<quint8>(request[2]);
    if (length > kMaxMappedData) {
        return {{},
                QStringLiteral("PLC模式：数据长度 %1 超过 20 字节，无法映射，未发送").arg(length)};
    }
    if (request.size() < 3 + length) {
        return {{}, QStringLiteral("PLC模式：帧的数据不足 %1 字节，无法映射，未发送").arg(length)};
    }
    const int padded = 4 * ((length + 3) / 4);
    mapped.append('\x10');
    mapped.append(static_cast<char>(reg >> 8));
    mapped.append(static_cast<char>(reg & 0xFF));
    mapped.append('\x00');
    mapped.append(static_cast<char>(padded / 2));
    mapped.append(static_cast<char>(padded));
    mapped.append(request.constData() + 3, length);
    mapped.append(QByteArray(padded - length, '\0'));
    appendCrc(mapped);
    return {mapped, {}};
}
