#include "link/FrameCodec.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(QByteArray& out, quint8 value) {
    out.append(kHexDigits[value >> 4]);
    out.append(kHexDigits[value & 0x0F]);
}

} // namespace

quint16 crc16Modbus(QByteArrayView bytes) {
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit) {
            const bool lsb = (crc & 1U) != 0;
            crc >>= 1;
            if (lsb) {
                crc ^= 0xA001;
            }
        }
    }
    return crc;
}

QString ComputeCrc16(QByteArrayView bytes) {
    const quint16 crc = crc16Modbus(bytes);
    CrcLow = static_cast<quint8>(crc & 0xFF);
    CrcHigh = static_cast<quint8>(crc >> 8);
    return hexByte(CrcLow) + hexByte(CrcHigh);
}

quint8 ComputeLrc(QByteArrayView bytes) {
    quint8 sum = 0;
    for (const char c : bytes) {
        sum = static_cast<quint8>(sum + static_cast<quint8>(c));
    }
    return static_cast<quint8>(-sum);
}

ProtocolMode modeFromText(const QString& modeText) {
    return modeText == QStringLiteral("Modbus RTU") ? ProtocolMode::Rtu : ProtocolMode::Asc;
}

QByteArray BuildFrame(QByteArrayView request, ProtocolMode mode) {
    QByteArray frame;
    if (mode == ProtocolMode::Rtu) {
        ComputeCrc16(request);
        frame.reserve(request.size() + 2);
        frame.append(request.data(), request.size());
        frame.append(static_cast<char>(CrcLow));
        frame.append(static_cast<char>(CrcHigh));
        return frame;
    }
    frame.reserve(2 * request.size() + 5);
    frame.append(':');
    for (const char c : request) {
        appendHex(frame, static_cast<quint8>(c));
    }
    appendHex(frame, ComputeLrc(request));
    frame.append('\r');
    frame.append('\n');
    return frame;
}

QString FormatHexPairs(QByteArrayView bytes, qsizetype first, qsizetype last) {
    if (first < 0) {
        first = 0;
    }
    if (last >= bytes.size()) {
        last = bytes.size() - 1;
    }
    if (first > last) {
        return {};
    }
    QByteArray text;
    text.reserve((last - first + 1) * 3);
    for (qsizetype i = first; i <= last; ++i) {
        appendHex(text, static_cast<quint8>(bytes[i]));
        text.append(' ');
    }
    return QString::fromLatin1(text);
}

QString FormatHexPairs(QByteArrayView bytes) {
    return FormatHexPairs(bytes, 0, bytes.size() - 1);
}

QString hexByte(quint8 value) {
    const char text[2] = {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
    return QString::fromLatin1(text, 2);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool HasValidCrc(QByteArrayView frame) {
    if (frame.size() < 3) {
        return false;
    }
    const quint16 crc = crc16Modbus(frame.first(frame.size() - 2));
    return static_cast<quint8>(frame[frame.size() - 2]) == (crc & 0xFF) &&
           static_cast<quint8>(frame[frame.size() - 1]) == (crc >> 8);
}

std::optional<QByteArray> ReadAscFrame(QByteArrayView frame) {
    if (frame.size() < 5 || frame[0] != ':' || !frame.endsWith("\r\n")) {
        return std::nullopt;
    }
    const QByteArrayView hex = frame.sliced(1, frame.size() - 3);
    // Address, code, length and LRC at the least.
    if (hex.size() % 2 != 0 || hex.size() < 8) {
        return std::nullopt;
    }
    QByteArray request;
    request.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = hexDigitValue(hex[i]);
        const int low = hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        request.append(static_cast<char>(high * 16 + low));
    }
    const auto lrc = static_cast<quint8>(request.back());
    request.chop(1);
    if (ComputeLrc(request) != lrc) {
        return std::nullopt;
    }
    return request;
}
