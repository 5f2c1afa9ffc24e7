#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

// Gathers the bytes of the line into whole replies before they are decoded. The operating
// system hands bytes over in whatever pieces it likes (a 9-byte reply at 9600 baud comes in
// several reads, two replies can come in one), so the pieces are cut into replies:
//  - RTU: complete at 3 + data length + 2 bytes with a right CRC; in PLC mode standard
//    Modbus lengths apply to function 3, function 16 and exception replies;
//  - ASC: complete at its line feed;
//  - bytes before a complete reply that do not form one are handed on alone;
//  - whatever has gathered is handed on when the line stays silent past the gap;
//  - no reply exceeds 512 bytes.
class ReplyGatherer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxReply = 512;

    explicit ReplyGatherer(QObject* parent = nullptr);

    void setPlcMode(bool on) { m_plcMode = on; }
    // The silence that ends a reply depends on the line speed.
    void setBaudRate(qint32 baud);
    int gapMs() const { return m_gap.interval(); }

    void feed(const QByteArray& bytes);
    // Drops anything gathered (the port was closed).
    void reset();

Q_SIGNALS:
    void replyReady(const QByteArray& reply);

private:
    qsizetype expectedLength(qsizetype at) const;
    bool completeFrameAt(qsizetype at, qsizetype& length) const;
    void cutReplies();
    void flush();
    void emitFront(qsizetype length);

    QByteArray m_buffer;
    QTimer m_gap;
    bool m_plcMode = false;
};
