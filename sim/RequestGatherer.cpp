#include "RequestGatherer.h"

#include <utility>

namespace {

constexpr char kAscStart = ':';

bool isFixedLengthModbus(quint8 function) {
    return function >= 0x01 && function <= 0x06;
}

bool isMultipleWriteModbus(quint8 function) {
    return function == 0x0F || function == 0x10;
}

} // namespace

bool RequestGatherer::complete() const {
    const qsizetype size = pending_.size();
    if (pending_[0] == kAscStart) {
        return pending_.back() == '\n';
    }
    if (size < 2) {
        return false;
    }
    const auto function = static_cast<quint8>(pending_[1]);
    if (isFixedLengthModbus(function)) {
        return size == 8;
    }
    if (isMultipleWriteModbus(function)) {
        return size >= 7 && size == 9 + static_cast<quint8>(pending_[6]);
    }
    return size >= 3 && size == 5 + static_cast<quint8>(pending_[2]);
}

QList<QByteArray> RequestGatherer::feed(QByteArrayView bytes) {
    QList<QByteArray> requests;
    for (const char byte : bytes) {
        // A colon inside an ASC request starts a new one: the line end of the old one is lost.
        if (byte == kAscStart && !pending_.isEmpty() && pending_[0] == kAscStart) {
            pending_.clear();
        }
        pending_.append(byte);
        if (complete()) {
            requests.append(std::exchange(pending_, {}));
        } else if (pending_.size() >= kMaxRequest) {
            pending_.clear();
        }
    }
    return requests;
}

QByteArray RequestGatherer::flush() {
    return std::exchange(pending_, {});
}
