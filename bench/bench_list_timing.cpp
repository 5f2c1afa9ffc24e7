// Replays a command list with "Delay:50" entries through the window against a pseudo-terminal
// and measures, on the far side, how far the gaps between frames stray from 50 ms.
//
//   bench_list_timing [--seconds N]   (default 60)

#include "PtyPair.h"
#include "link/CommPort.h"
#include "ui/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kGapMs = 50.0;
constexpr int kFrameSize = 5;

// Reads the master side on its own thread so that arrival times do not depend on the
// workbench's event loop.
void readFarSide(int fd, const std::atomic<bool>& stop, std::vector<Clock::time_point>& frames) {
    int pending = 0;
    while (!stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0 || !(p.revents & POLLIN)) {
            continue;
        }
        const auto now = Clock::now();
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        for (pending += int(std::max<ssize_t>(n, 0)); pending >= kFrameSize;
             pending -= kFrameSize) {
            frames.push_back(now);
        }
    }
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(std::lround(p * double(values.size() - 1)));
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--seconds" && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    PtyPair pty;
    if (!pty.isValid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("TORVANE_COM1", pty.slavePath().toLocal8Bit());

    QApplication app(argc, argv);
    FrmMain window;
    window.show();
    window.control<QComboBox>("Combo1")->setEditText(QStringLiteral("COM1"));
    window.control<QAbstractButton>("Command32")->click();
    if (!window.port().isOpen()) {
        std::fprintf(stderr, "port did not open\n");
        return 1;
    }
    window.control<QListWidget>("List1")->addItems(
        {"01 36 00 37 A0 ", "Delay:50", "01 3B 00 33 30 ", "Delay:50"});
    window.control<QLineEdit>("Text22")->setText(QStringLiteral("1000"));

    std::atomic<bool> stop{false};
    std::vector<Clock::time_point> frames;
    frames.reserve(std::size_t(seconds) * 25);
    std::thread reader(readFarSide, pty.masterFd(), std::cref(stop), std::ref(frames));

    std::vector<Clock::time_point> ticks;
    ticks.reserve(frames.capacity());
    QObject::connect(window.findChild<QTimer*>(QStringLiteral("Timer2")), &QTimer::timeout, &app,
                     [&ticks] { ticks.push_back(Clock::now()); });
    window.control<QCheckBox>("Check1")->setChecked(true);
    QTimer::singleShot(seconds * 1000, &app, [&] {
        window.control<QCheckBox>("Check1")->setChecked(false);
        app.quit();
    });
    app.exec();
    stop = true;
    reader.join();

    if (frames.size() < 3 || ticks.size() < 3) {
        std::fprintf(stderr, "only %zu frames arrived\n", frames.size());
        return 1;
    }
    // Gaps between Timer2's ticks in the process, to tell the timer from the write path.
    std::vector<double> tickErrors;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        tickErrors.push_back(
            std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count() - kGapMs);
    }
    std::vector<double> errors;
    std::vector<double> absolute;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const double gap =
            std::chrono::duration<double, std::milli>(frames[i] - frames[i - 1]).count();
        errors.push_back(gap - kGapMs);
        absolute.push_back(std::fabs(gap - kGapMs));
    }
    std::printf("bench_list_timing: %d s, %zu frames, %zu gaps of %.0f ms\n", seconds,
                frames.size(), errors.size(), kGapMs);
    std::printf("  gap error (ms): median %+.3f, p1 %+.3f, p99 %+.3f, min %+.3f, max %+.3f\n",
                percentile(errors, 0.5), percentile(errors, 0.01), percentile(errors, 0.99),
                *std::min_element(errors.begin(), errors.end()),
                *std::max_element(errors.begin(), errors.end()));
    std::printf("  tick error (ms), timer alone: median %+.3f, p99 %+.3f\n",
                percentile(tickErrors, 0.5), percentile(tickErrors, 0.99));
    std::printf("  |gap error| (ms): median %.3f, p99 %.3f  (target: p99 within 1 ms)\n",
                percentile(absolute, 0.5), percentile(absolute, 0.99));
    return 0;
}
