#include "ReplyFaults.h"

#include <utility>

namespace {

bool isEvery(qint64 count, int every) {
    return every > 0 && count % every == 0;
}

// Inverts the checksum: the two CRC bytes of an RTU frame, the LRC digits of an ASC frame.
void corruptChecksum(QByteArray& frame) {
    if (frame.startsWith(':') && frame.size() >= 5) {
        const qsizetype at = frame.size() - 4;
        const QByteArray lrc = QByteArray::fromHex(frame.mid(at, 2));
        const auto inverted = static_cast<char>(~static_cast<quint8>(lrc.isEmpty() ? 0 : lrc[0]));
        frame.replace(at, 2, QByteArray(1, inverted).toHex().toUpper());
    } else if (frame.size() >= 2) {
        frame[frame.size() - 1] = static_cast<char>(~static_cast<quint8>(frame.back()));
        frame[frame.size() - 2] = static_cast<char>(~static_cast<quint8>(frame[frame.size() - 2]));
    }
}

} // namespace

ReplyFaults::ReplyFaults(FaultOptions options) : options_(std::move(options)) {}

QList<ScheduledPiece> ReplyFaults::schedule(QByteArray frame, QByteArrayView trailer) {
    if (frame.isEmpty()) {
        return {};
    }
    ++replies_;
    if (isEvery(replies_, options_.dropEvery)) {
        return {};
    }
    if (isEvery(replies_, options_.corruptEvery)) {
        corruptChecksum(frame);
    }
    frame.append(trailer.data(), trailer.size());
    frame.append(options_.extraBytes);
    if (options_.splitBytes <= 0) {
        return {{options_.replyDelayMs, frame}};
    }
    QList<ScheduledPiece> pieces;
    for (qsizetype at = 0; at < frame.size(); at += options_.splitBytes) {
        pieces.append({pieces.isEmpty() ? options_.replyDelayMs : options_.splitPauseMs,
                       frame.mid(at, options_.splitBytes)});
    }
    return pieces;
}
