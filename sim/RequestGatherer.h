#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Gathers the byte stream from the line into whole requests: an ASC request (":") runs to
// its line feed; an RTU request is complete at 3 + data length + 2 bytes, or at the standard
// Modbus length for function codes below the driver commands. The owner flushes whatever
// has gathered when the line stays silent, which also resynchronises after garbage.
class RequestGatherer {
public:
    static constexpr qsizetype kMaxRequest = 512;

    QList<QByteArray> feed(QByteArrayView bytes);
    bool hasPending() const { return !pending_.isEmpty(); }
    QByteArray flush();

private:
    bool complete() const;

    QByteArray pending_;
};
