#include "ReplyFaults.h"
#include "link/FrameCodec.h"

#include <QTest>

namespace {

using Pieces = QList<QByteArray>;
using Pauses = QList<int>;

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

} // namespace

class TestReplyFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void schedule_data();
    void schedule();
};

// The third reply to the handshake under each fault setting.
void TestReplyFaults::schedule_data() {
    QTest::addColumn<FaultOptions>("options");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("trailer");
    QTest::addColumn<Pieces>("pieces");
    QTest::addColumn<Pauses>("pauses");
    const QByteArray rtu = hex("01200039C0");
    const QByteArray asc(":012000DF\r\n");
    QTest::newRow("no faults") << FaultOptions{} << rtu << QByteArray() << Pieces{rtu} << Pauses{0};
    QTest::newRow("delay") << FaultOptions{250, 0, 0, 0, 0, {}} << rtu << QByteArray()
                           << Pieces{rtu} << Pauses{250};
    QTest::newRow("split in pieces of 2, delay before the first")
        << FaultOptions{100, 2, 30, 0, 0, {}} << rtu << QByteArray()
        << Pieces{hex("0120"), hex("0039"), hex("C0")} << Pauses{100, 30, 30};
    QTest::newRow("third reply dropped")
        << FaultOptions{0, 0, 0, 0, 3, {}} << rtu << QByteArray() << Pieces{} << Pauses{};
    QTest::newRow("fourth reply dropped: the third passes")
        << FaultOptions{0, 0, 0, 0, 4, {}} << rtu << QByteArray() << Pieces{rtu} << Pauses{0};
    QTest::newRow("rtu CRC inverted") << FaultOptions{0, 0, 0, 3, 0, {}} << rtu << QByteArray()
                                      << Pieces{hex("012000C63F")} << Pauses{0};
    QTest::newRow("asc LRC inverted") << FaultOptions{0, 0, 0, 1, 0, {}} << asc << QByteArray()
                                      << Pieces{QByteArray(":01200020\r\n")} << Pauses{0};
    QTest::newRow("corruption spares the LastChr character, extra bytes come last")
        << FaultOptions{0, 0, 0, 3, 0, hex("AA55")} << rtu << hex("80")
        << Pieces{hex("012000C63F80AA55")} << Pauses{0};
    QTest::newRow("dropping wins over corrupting")
        << FaultOptions{0, 0, 0, 3, 3, {}} << rtu << QByteArray() << Pieces{} << Pauses{};
}

void TestReplyFaults::schedule() {
    QFETCH(FaultOptions, options);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, trailer);
    QFETCH(Pieces, pieces);
    QFETCH(Pauses, pauses);
    ReplyFaults faults(options);
    faults.schedule(frame, trailer);
    faults.schedule(frame, trailer);
    Pieces gotPieces;
    Pauses gotPauses;
    for (const ScheduledPiece& piece : faults.schedule(frame, trailer)) {
        gotPieces << piece.bytes;
        gotPauses << piece.pauseBeforeMs;
    }
    QCOMPARE(gotPieces, pieces);
    QCOMPARE(gotPauses, pauses);
    // No reply, nothing counted: the next reply is the fourth.
    QVERIFY(faults.schedule({}, trailer).isEmpty());
}

QTEST_GUILESS_MAIN(TestReplyFaults)
#include "tst_replyfaults.moc"
