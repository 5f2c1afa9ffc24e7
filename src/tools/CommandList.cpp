#include "tools/CommandList.h"

#include "link/TextParsing.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kIdleInterval = 1000;
constexpr qint64 kMaxInterval = 65535;
constexpr double kMinDelay = 50;
constexpr double kMaxDelay = 60000;
// Numbers beyond 2^53 are no longer whole in a double; no delay or index comes near them.
constexpr qint64 kLargestWhole = qint64(1) << 53;

bool startsWithTag(QStringView entry, QStringView tag) {
    return entry.size() >= 6 && entry.startsWith(tag, Qt::CaseSensitive);
}

} // namespace

EntryKind classifyEntry(QStringView entry) {
    if (entry.isEmpty()) {
        return EntryKind::Empty;
    }
    if (startsWithTag(entry, u"Delay")) {
        return EntryKind::Delay;
    }
    if (startsWithTag(entry, u"GoIdx")) {
        return EntryKind::Jump;
    }
    return EntryKind::Hex;
}

std::optional<qint64> entryNumber(QStringView entry) {
    return roundToRange(ParseNumberText(entry.mid(qMin<qsizetype>(6, entry.size()))),
                        -kLargestWhole, kLargestWhole);
}

std::optional<int> gapFromText(QStringView text) {
    const double value = ParseNumberText(text);
    if (!std::isfinite(value) || value != std::floor(value) || value < 1 ||
        value > double(kMaxInterval)) {
        return std::nullopt;
    }
    return int(value);
}

std::optional<QString> limitDelayText(QStringView text) {
    const double value = ParseNumberText(text);
    if (value > kMaxDelay) {
        return QStringLiteral("60000");
    }
    if (value < kMinDelay) {
        return QStringLiteral("50");
    }
    return std::nullopt;
}

QString delayEntry(const QString& delayText) {
    return QStringLiteral("Delay:") + delayText;
}

ListStep stepCommandList(qsizetype count, const std::function<QString(qsizetype)>& entryAt,
                         qint16 index, int gap) {
    ListStep step{QByteArray(), index, kIdleInterval};
    const QString entry = index >= 0 && index < count ? entryAt(index) : QString();
    const EntryKind kind = classifyEntry(entry);
    if (kind == EntryKind::Empty) {
        return step;
    }
    if (kind == EntryKind::Hex) {
        step.frame = HexTextToBytes(entry);
    }
    step.interval = gap;

    qint64 next = index;
    if (index < count - 1) {
        const QString ahead = entryAt(index + 1);
        switch (classifyEntry(ahead)) {
        case EntryKind::Delay: {
            const std::optional<qint64> delay = entryNumber(ahead);
            if (delay && *delay >= 0 && *delay <= kMaxInterval) {
                step.interval = int(*delay);
            }
            ++next;
            break;
        }
        case EntryKind::Jump: {
            // A target that cannot be held as a position is ignored like one past the end.
            const std::optional<qint64> target = entryNumber(ahead);
            if (target && *target <= count && *target >= std::numeric_limits<qint16>::min() &&
                *target <= std::numeric_limits<qint16>::max()) {
                step.nextIndex = qint16(*target);
                return step;
            }
            break;
        }
        case EntryKind::Empty:
        case EntryKind::Hex:
            break;
        }
    }
    ++next;
    // The position is 16-bit: a list longer than that starts over where the position ends.
    if (next >= count || next > std::numeric_limits<qint16>::max()) {
        next = 0;
    }
    step.nextIndex = qint16(next);
    return step;
}
