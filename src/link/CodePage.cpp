#include "link/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isLeadByte(quint8 b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isTrailByte(quint8 b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

} // namespace

QByteArray toCodePage(QStringView text) {
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString fromCodePage(QByteArrayView bytes) {
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString dumpCharacters(QByteArrayView bytes) {
    static QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<quint8>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            continue;
        }
        if (isLeadByte(b) && i + 1 < bytes.size() &&
            isTrailByte(static_cast<quint8>(bytes[i + 1]))) {
            const QString pair = decoder.decode(bytes.sliced(i, 2));
            if (pair.size() == 1 && pair[0] != QChar::ReplacementCharacter) {
                out.append(pair);
                ++i;
                continue;
            }
        }
        out.append(QChar::ReplacementCharacter);
    }
    return out;
}

QString TextToHex(QStringView text) {
    QString out;
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    qsizetype i = 0;
    while (i < text.size()) {
        // A surrogate pair is one character.
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray code = encoder.encode(text.mid(i, len));
        quint32 value = 0;
        for (const char c : code) {
            value = (value << 8) | static_cast<quint8>(c);
        }
        out += QString::number(value, 16).toUpper();
        out += u' ';
        i += len;
    }
    return out;
}
