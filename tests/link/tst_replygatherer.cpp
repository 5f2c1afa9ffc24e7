#include "ReferenceChecksums.h"
#include "link/ReplyGatherer.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray rtu(const char* hex) {
    return withReferenceCrc(QByteArray::fromHex(hex));
}

// Feeds `stream` in the given pieces and returns the replies handed on, gap flush included.
QList<QByteArray> gather(const QList<QByteArray>& pieces, bool plcMode = false) {
    ReplyGatherer gatherer;
    gatherer.setPlcMode(plcMode);
    QList<QByteArray> replies;
    QObject::connect(&gatherer, &ReplyGatherer::replyReady,
                     [&replies](const QByteArray& reply) { replies << reply; });
    for (const QByteArray& piece : pieces) {
        gatherer.feed(piece);
    }
    QTest::qWait(gatherer.gapMs() + 30);
    return replies;
}

QList<QByteArray> split(const QByteArray& stream, const QList<int>& cuts) {
    QList<QByteArray> pieces;
    int from = 0;
    for (const int cut : cuts) {
        pieces << stream.mid(from, cut - from);
        from = cut;
    }
    pieces << stream.mid(from);
    return pieces;
}

} // namespace

class TestReplyGatherer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyChunkingGivesTheSameReplies_data();
    void everyChunkingGivesTheSameReplies();
    void plcModeLengths();
    void gapFollowsLineSpeed();
    void neverMoreThan512();
};

void TestReplyGatherer::everyChunkingGivesTheSameReplies_data() {
    QTest::addColumn<QList<QByteArray>>("replies");
    const QByteArray speed = rtu("0126040000"
                                 "03E8");
    const QByteArray status = rtu("013B0400010101");
    const QByteArray ack = rtu("012000");
    const QByteArray failure = rtu("01A60104");
    QByteArray flipped = speed;
    flipped[flipped.size() - 1] = char(flipped.back() ^ 0x01);
    QTest::newRow("one reply") << QList<QByteArray>{speed};
    QTest::newRow("two replies") << QList<QByteArray>{speed, status};
    QTest::newRow("three replies") << QList<QByteArray>{ack, speed, failure};
    QTest::newRow("garbage before a reply") << QList<QByteArray>{QByteArray("\xFF\x00", 2), speed};
    QTest::newRow("flipped CRC bit") << QList<QByteArray>{flipped};
    QTest::newRow("ASC replies") << QList<QByteArray>{QByteArray(":012000DF\r\n"),
                                                      QByteArray(":0126040000"
                                                                 "03E8"
                                                                 "EA\r\n")};
    QTest::newRow("ASC after RTU") << QList<QByteArray>{ack, QByteArray(":012000DF\r\n")};
}

void TestReplyGatherer::everyChunkingGivesTheSameReplies() {
    QFETCH(QList<QByteArray>, replies);
    const QByteArray stream = replies.join();
    QList<QList<QByteArray>> chunkings;
    chunkings << QList<QByteArray>{stream};
    QList<QByteArray> bytes;
    for (const char c : stream) {
        bytes << QByteArray(1, c);
    }
    chunkings << bytes;
    for (int cut = 1; cut < stream.size(); ++cut) {
        chunkings << split(stream, {cut});
    }
    for (const QList<QByteArray>& pieces : chunkings) {
        ReplyGatherer gatherer;
        QList<QByteArray> got;
        connect(&gatherer, &ReplyGatherer::replyReady,
                [&got](const QByteArray& reply) { got << reply; });
        for (const QByteArray& piece : pieces) {
            gatherer.feed(piece);
        }
        if (got.join() != stream) {
            QTRY_COMPARE_WITH_TIMEOUT(got.join(), stream, 200);
        }
        QCOMPARE(got, replies);
    }
}

void TestReplyGatherer::plcModeLengths() {
    const QByteArray read = rtu("010304000003E8");
    const QByteArray write = rtu("0110040D0002");
    const QByteArray exception = rtu("018302");
    const QByteArray stream = read + write + exception;
    QCOMPARE(gather(split(stream, {3, 11}), true), (QList<QByteArray>{read, write, exception}));
}

void TestReplyGatherer::gapFollowsLineSpeed() {
    ReplyGatherer gatherer;
    gatherer.setBaudRate(115200);
    QCOMPARE(gatherer.gapMs(), 20);
    gatherer.setBaudRate(300);
    QCOMPARE(gatherer.gapMs(), 117);
}

void TestReplyGatherer::neverMoreThan512() {
    const QList<QByteArray> replies = gather({QByteArray(1300, '\x55')});
    QCOMPARE(replies.size(), 3);
    QCOMPARE(replies[0].size(), 512);
    QCOMPARE(replies[1].size(), 512);
    QCOMPARE(replies[2].size(), 276);
}

QTEST_MAIN(TestReplyGatherer)
#include "tst_replygatherer.moc"
