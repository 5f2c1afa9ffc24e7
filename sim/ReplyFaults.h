#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Faults to inject into replies, for testing the other side of the line.
struct FaultOptions {
    int replyDelayMs = 0;
    int splitBytes = 0; // 0: the reply goes out in one piece
    int splitPauseMs = 0;
    int corruptEvery = 0; // 0: never
    int dropEvery = 0;    // 0: never
    QByteArray extraBytes;
};

// One piece of output and the pause before it is written.
struct ScheduledPiece {
    int pauseBeforeMs;
    QByteArray bytes;
};

// Turns each reply into the pieces that go on the line. Replies are counted from 1; the
// K-th, 2K-th ... reply is dropped or gets a wrong checksum (dropping wins when both apply).
class ReplyFaults {
public:
    explicit ReplyFaults(FaultOptions options = {});

    QList<ScheduledPiece> schedule(QByteArray frame, QByteArrayView trailer);

private:
    FaultOptions options_;
    qint64 replies_ = 0;
};
