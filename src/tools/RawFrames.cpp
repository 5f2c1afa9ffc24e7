#include "tools/RawFrames.h"

#include "link/CodePage.h"
#include "link/FrameCodec.h"
#include "link/TextParsing.h"

namespace {

QString tooLong(const QString& box, qsizetype length) {
    return QStringLiteral("“%1”有 %2 个字符，最多 %3 个。未处理。")
        .arg(box)
        .arg(length)
        .arg(kMaxToolText);
}

// First character of `text` that GBK cannot encode, or an empty text.
QString firstUnencodable(QStringView text) {
    qsizetype i = 0;
    while (i < text.size()) {
        // A surrogate pair is one character.
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView character = text.mid(i, len);
        if (fromCodePage(toCodePage(character)) != character) {
            return character.toString();
        }
        i += len;
    }
    return {};
}

QString noCode(const QString& character) {
    return QStringLiteral("“字符串”中的字符“%1”在GBK字符集中没有编码。未处理。").arg(character);
}

} // namespace

std::optional<QByteArray> rawHexFrame(QStringView hexText, RawFraming framing) {
    const QByteArray bytes = HexTextToBytes(hexText);
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    switch (framing) {
    case RawFraming::AsTyped:
        break;
    case RawFraming::Asc:
        return BuildFrame(bytes, ProtocolMode::Asc);
    case RawFraming::Rtu:
        return BuildFrame(bytes, ProtocolMode::Rtu);
    }
    return bytes;
}

std::optional<CrcTexts> rawCrcTexts(QStringView hexText, bool highFirst) {
    const QByteArray bytes = HexTextToBytes(hexText);
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    const QString crc = ComputeCrc16(bytes);
    CrcTexts texts{crc.left(2), crc.mid(2, 2)};
    if (highFirst) {
        std::swap(texts.first, texts.second);
    }
    return texts;
}

TextBytes rawTextBytes(QStringView text) {
    if (text.size() > kMaxToolText) {
        return {{}, tooLong(QStringLiteral("字符串"), text.size())};
    }
    const QString missing = firstUnencodable(text);
    if (!missing.isEmpty()) {
        return {{}, noCode(missing)};
    }
    return {toCodePage(text), {}};
}

HexText rawTextToHex(QStringView text) {
    if (text.size() > kMaxToolText) {
        return {{}, tooLong(QStringLiteral("字符串"), text.size())};
    }
    const QString missing = firstUnencodable(text);
    if (!missing.isEmpty()) {
        return {{}, noCode(missing)};
    }
    const QString hex = TextToHex(text);
    if (hex.size() > kMaxToolText) {
        return {{},
                QStringLiteral("“字符串”的16进制文本有 %1 个字符，“16进制”框最多 %2 个。未转换。")
                    .arg(hex.size())
                    .arg(kMaxToolText)};
    }
    return {hex, {}};
}
