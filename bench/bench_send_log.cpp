// Cost of one logged send with the send log at its 10000-character cap: the log model alone,
// and the whole SendComm (log, counter, port write) of the window on a pty.
#include "OpenWindow.h"
#include "link/TransmitLog.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

constexpr int kRounds = 20000;

double logOnly() {
    LogModel log;
    const QByteArray frame = QByteArray::fromHex("01250400000064FCDE");
    while (log.text().size() <= LogModel::kLimit - 200) {
        logTransmission(log, frame, frame, false);
    }
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        log.beginEntry();
        logTransmission(log, frame, frame, false);
    }
    return double(timer.nsecsElapsed()) / kRounds;
}

double wholeSend(PtyPair& pty) {
    FrmMain window;
    window.show();
    if (!openOnPty(window, pty, QStringLiteral("115200"))) {
        std::fprintf(stderr, "could not open the pty\n");
        return 0;
    }
    const QByteArray frame = QByteArray::fromHex("01250400000064FCDE");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        window.SendComm(frame);
        if (i % 64 == 0) {
            QCoreApplication::processEvents();
            pty.drain(0);
        }
    }
    const double perSend = double(timer.nsecsElapsed()) / kRounds;
    pty.drain(50);
    return perSend;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    PtyPair pty;
    const double model = logOnly();
    const double send = wholeSend(pty);
    std::printf("logged send at the 10000-character cap, %d rounds:\n", kRounds);
    std::printf("  log model only:          %8.1f us per send\n", model / 1000.0);
    std::printf("  SendComm with port write: %8.1f us per send\n", send / 1000.0);
    return 0;
}
