// Floods the workbench's port at the pace of a 115200-baud line with back-to-back 9-byte
// replies and reports the UI thread's CPU time per second of traffic, and whether every byte
// was counted. Usage: bench_receive_flood [--seconds N]
#include "OpenWindow.h"
#include "ReferenceChecksums.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <thread>

namespace {

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int seconds = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--seconds") {
            seconds = QByteArray(argv[i + 1]).toInt();
        }
    }
    PtyPair pty;
    FrmMain window;
    window.show();
    if (!openOnPty(window, pty, QStringLiteral("115200"))) {
        std::fprintf(stderr, "could not open the pty\n");
        return 1;
    }
    // Label45 resets with its log; sum what the counter gained between resets.
    qint64 counted = 0;
    qint64 last = 0;
    QObject::connect(&window.receiveLog(), &LogModel::byteCountChanged, [&](qint64 count) {
        counted += count >= last ? count - last : count;
        last = count;
    });

    const QByteArray reply = withReferenceCrc(QByteArray::fromHex("01260400002710"));
    const double bytesPerSecond = 115200.0 / 10.0;
    const long periodNs = long(1e9 * reply.size() / bytesPerSecond);
    std::atomic<qint64> written{0};
    std::atomic<bool> done{false};
    const int fd = pty.masterFd();
    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    std::thread writer([&] {
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        const qint64 total = qint64(seconds * bytesPerSecond / reply.size());
        for (qint64 i = 0; i < total; ++i) {
            next.tv_nsec += periodNs;
            while (next.tv_nsec >= 1000000000L) {
                next.tv_nsec -= 1000000000L;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            qsizetype off = 0;
            while (off < reply.size()) {
                const ssize_t n = ::write(fd, reply.constData() + off, size_t(reply.size() - off));
                if (n > 0) {
                    off += n;
                }
            }
            written += reply.size();
        }
        done = true;
    });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done && (counted >= written || wall.elapsed() > (seconds + 3) * 1000)) {
            app.quit();
        }
    });
    poll.start();
    QApplication::exec();
    writer.join();
    const double cpu = threadCpuSeconds() - cpuBefore;
    const double traffic = double(written) / bytesPerSecond;
    std::printf("115200 baud flood of %d-byte replies for %.1f s of traffic\n", int(reply.size()),
                traffic);
    std::printf("  UI thread CPU: %.3f s, %.2f%% of one core per second of traffic\n", cpu,
                100.0 * cpu / traffic);
    std::printf("  bytes written %lld, bytes counted %lld, lost %lld\n", (long long)written.load(),
                (long long)counted, (long long)(written - counted));
    return counted == written ? 0 : 2;
}
