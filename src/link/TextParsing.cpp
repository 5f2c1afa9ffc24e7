#include "link/TextParsing.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

quint64 readHexDigits(QStringView text, qsizetype pos) {
    quint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = hexDigitValue(text[pos]);
        if (d < 0) {
            break;
        }
        if (value > (std::numeric_limits<quint64>::max() >> 4)) {
            return std::numeric_limits<quint64>::max();
        }
        value = (value << 4) | static_cast<quint64>(d);
    }
    return value;
}

} // namespace

double ParseNumberText(QStringView text) {
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n') {
            compact.append(c);
        }
    }
    if (compact.size() >= 2 && compact[0] == u'&' && (compact[1] == u'H' || compact[1] == u'h')) {
        return static_cast<double>(readHexDigits(compact, 2));
    }

    // Collect the readable prefix as plain ASCII so that the conversion below never depends
    // on the process locale.
    std::string number;
    qsizetype pos = 0;
    if (pos < compact.size() && (compact[pos] == u'+' || compact[pos] == u'-')) {
        if (compact[pos] == u'-') {
            number.push_back('-');
        }
        ++pos;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; pos < compact.size(); ++pos) {
        const QChar c = compact[pos];
        if (isDigit(c)) {
            number.push_back(static_cast<char>(c.unicode()));
            anyDigit = true;
        } else if (c == u'.' && !seenPoint) {
            number.push_back('.');
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    bool negativeExponent = false;
    if (pos < compact.size()) {
        const char16_t e = compact[pos].toUpper().unicode();
        if (e == u'E' || e == u'D') {
            qsizetype ep = pos + 1;
            std::string exponent = "e";
            if (ep < compact.size() && (compact[ep] == u'+' || compact[ep] == u'-')) {
                negativeExponent = compact[ep] == u'-';
                exponent.push_back(static_cast<char>(compact[ep].unicode()));
                ++ep;
            }
            bool expDigits = false;
            for (; ep < compact.size() && isDigit(compact[ep]); ++ep) {
                exponent.push_back(static_cast<char>(compact[ep].unicode()));
                expDigits = true;
            }
            if (expDigits) {
                number += exponent;
            }
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (negativeExponent) {
            return 0.0;
        }
        return number.front() == '-' ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    }
    return value;
}

quint64 ParseHexText(QStringView text) {
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ') {
            compact.append(c);
        }
    }
    return readHexDigits(compact, 0);
}

std::optional<qint64> roundToRange(double value, qint64 min, qint64 max) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // nearbyint uses the default rounding mode: to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(min) || rounded > static_cast<double>(max)) {
        return std::nullopt;
    }
    return static_cast<qint64>(rounded);
}

std::optional<quint8> toByteField(double value) {
    const auto v = roundToRange(value, 0, 255);
    if (!v) {
        return std::nullopt;
    }
    return static_cast<quint8>(*v);
}

std::optional<qint32> toInt32Field(double value) {
    const auto v =
        roundToRange(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (!v) {
        return std::nullopt;
    }
    return static_cast<qint32>(*v);
}

std::optional<quint8> hexToByteField(quint64 value) {
    if (value > 255) {
        return std::nullopt;
    }
    return static_cast<quint8>(value);
}

QByteArray HexTextToBytes(QStringView text) {
    QString digits;
    digits.reserve(text.size() + 1);
    for (const QChar c : text) {
        if (c != u' ') {
            digits.append(c);
        }
    }
    if (digits.size() % 2 != 0) {
        digits.insert(digits.size() - 1, u'0');
    }
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        bytes.append(static_cast<char>(ParseHexText(QStringView(digits).mid(i, 2)) & 0xFF));
    }
    return bytes;
}
