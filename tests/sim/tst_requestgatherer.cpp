#include "RequestGatherer.h"
#include "WireFrames.h"

#include <QTest>

namespace {

using Chunks = QList<QByteArray>;

} // namespace

class TestRequestGatherer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gathering_data();
    void gathering();
    void overlongAscLineIsDropped();
};

// Reads as they come off the line -> whole requests, and what the silence gap then flushes.
void TestRequestGatherer::gathering_data() {
    QTest::addColumn<Chunks>("reads");
    QTest::addColumn<Chunks>("requests");
    QTest::addColumn<QByteArray>("flushed");
    const QByteArray move = rtu("01310400002710");
    const QByteArray line = asc("01250400000064");
    QTest::newRow("one rtu request") << Chunks{move} << Chunks{move} << QByteArray();
    QTest::newRow("rtu split after the address")
        << Chunks{move.first(1), move.sliced(1)} << Chunks{move} << QByteArray();
    QTest::newRow("rtu split in every byte")
        << Chunks{move.first(2), move.mid(2, 1), move.mid(3, 4), move.sliced(7)} << Chunks{move}
        << QByteArray();
    QTest::newRow("two requests in one read")
        << Chunks{move + rtu("012000")} << Chunks{move, rtu("012000")} << QByteArray();
    QTest::newRow("a request and the start of the next")
        << Chunks{move + rtu("012000").first(2)} << Chunks{move} << hex("0120");
    QTest::newRow("asc split inside the hex")
        << Chunks{line.first(7), line.sliced(7)} << Chunks{line} << QByteArray();
    QTest::newRow("asc then rtu in one read")
        << Chunks{line + move} << Chunks{line, move} << QByteArray();
    QTest::newRow("asc line end lost: the next colon starts over")
        << Chunks{line.chopped(2) + line} << Chunks{line} << QByteArray();
    // Function 3: byte 2 is a register address, not a length.
    QTest::newRow("modbus read of 2 registers at 0x36")
        << Chunks{hex("0103009A0002E424")} << Chunks{hex("0103009A0002E424")} << QByteArray();
    QTest::newRow("modbus write: length from the byte count")
        << Chunks{hex("0110040D000204"), hex("00000064011D")}
        << Chunks{hex("0110040D00020400000064011D")} << QByteArray();
    QTest::newRow("modbus write of no registers")
        << Chunks{rtu("0110003C000000")} << Chunks{rtu("0110003C000000")} << QByteArray();
    QTest::newRow("incomplete rtu waits for the gap")
        << Chunks{move.chopped(1)} << Chunks{} << move.chopped(1);
    QTest::newRow("garbage waits for the gap") << Chunks{hex("FFFF")} << Chunks{} << hex("FFFF");
}

void TestRequestGatherer::gathering() {
    QFETCH(Chunks, reads);
    QFETCH(Chunks, requests);
    QFETCH(QByteArray, flushed);
    RequestGatherer gatherer;
    Chunks gathered;
    for (const QByteArray& read : reads) {
        gathered += gatherer.feed(read);
    }
    QCOMPARE(gathered, requests);
    QCOMPARE(gatherer.hasPending(), !flushed.isEmpty());
    QCOMPARE(gatherer.flush(), flushed);
    QVERIFY(!gatherer.hasPending());
}

void TestRequestGatherer::overlongAscLineIsDropped() {
    RequestGatherer gatherer;
    QVERIFY(gatherer.feed(":" + QByteArray(RequestGatherer::kMaxRequest, '0')).isEmpty());
    QVERIFY(gatherer.flush().size() < RequestGatherer::kMaxRequest);
    const QByteArray line = asc("012000");
    QCOMPARE(gatherer.feed(line), QList<QByteArray>{line});
}

QTEST_GUILESS_MAIN(TestRequestGatherer)
#include "tst_requestgatherer.moc"
