#include "link/ReplyGatherer.h"

#include "link/FrameCodec.h"

#include <algorithm>
#include <cmath>

namespace {

// USB serial adapters hold received bytes for up to 16 ms (the FTDI latency timer's default)
// before passing them on, so a silence of that length can fall inside one reply. 20 ms
// covers it with room for scheduling; slow lines need 3.5 character times (10 bits each).
constexpr int kMinGapMs = 20;

} // namespace

ReplyGatherer::ReplyGatherer(QObject* parent) : QObject(parent) {
    m_gap.setSingleShot(true);
    m_gap.setTimerType(Qt::PreciseTimer);
    m_gap.setInterval(kMinGapMs);
    connect(&m_gap, &QTimer::timeout, this, &ReplyGatherer::flush);
}

void ReplyGatherer::setBaudRate(qint32 baud) {
    const int charTimes = baud > 0 ? int(std::ceil(3.5 * 10 * 1000.0 / baud)) : kMinGapMs;
    m_gap.setInterval(std::max(kMinGapMs, charTimes));
}

void ReplyGatherer::reset() {
    m_buffer.clear();
    m_gap.stop();
}

void ReplyGatherer::feed(const QByteArray& bytes) {
    m_buffer.append(bytes);
    cutReplies();
    if (m_buffer.isEmpty()) {
        m_gap.stop();
    } else {
        m_gap.start();
    }
}

qsizetype ReplyGatherer::expectedLength(qsizetype at) const {
    const auto function = quint8(m_buffer[at + 1]);
    if (m_plcMode) {
        if (function == 0x03) {
            return 5 + quint8(m_buffer[at + 2]);
        }
        if (function == 0x10) {
            return 8;
        }
        if (function & 0x80) {
            return 5;
        }
    }
    return 3 + quint8(m_buffer[at + 2]) + 2;
}

// True when a whole reply starts at `at`: an ASC line up to its LF, or an RTU reply of its
// announced length whose CRC is right.
bool ReplyGatherer::completeFrameAt(qsizetype at, qsizetype& length) const {
    const qsizetype available = m_buffer.size() - at;
    if (m_buffer[at] == ':') {
        const qsizetype lf = m_buffer.indexOf('\n', at);
        if (lf < 0 || lf - at + 1 > kMaxReply) {
            return false;
        }
        // Behind other bytes a ":" may be a byte of a binary reply: only a whole ASC frame
        // with a right LRC counts as a reply there.
        if (at > 0 && !ReadAscFrame(QByteArrayView(m_buffer).sliced(at, lf - at + 1))) {
            return false;
        }
        length = lf - at + 1;
        return true;
    }
    if (available < 5) {
        return false;
    }
    const qsizetype expected = expectedLength(at);
    if (expected > available || expected > kMaxReply) {
        return false;
    }
    if (!HasValidCrc(QByteArrayView(m_buffer).sliced(at, expected))) {
        return false;
    }
    length = expected;
    return true;
}

void ReplyGatherer::emitFront(qsizetype length) {
    const QByteArray reply = m_buffer.left(length);
    m_buffer.remove(0, length);
    Q_EMIT replyReady(reply);
}

void ReplyGatherer::cutReplies() {
    while (!m_buffer.isEmpty()) {
        qsizetype length = 0;
        if (completeFrameAt(0, length)) {
            emitFront(length);
            continue;
        }
        // Bytes in front of a whole reply (noise, a broken reply) go on as a chunk of their own.
        bool found = false;
        for (qsizetype at = 1; at < m_buffer.size() && at < kMaxReply; ++at) {
            if (completeFrameAt(at, length)) {
                emitFront(at);
                found = true;
                break;
            }
        }
        if (found) {
            continue;
        }
        if (m_buffer.size() >= kMaxReply) {
            emitFront(kMaxReply);
            continue;
        }
        return;
    }
}

void ReplyGatherer::flush() {
    while (!m_buffer.isEmpty()) {
        emitFront(std::min(m_buffer.size(), kMaxReply));
    }
}
