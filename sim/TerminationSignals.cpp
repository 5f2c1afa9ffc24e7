#include "TerminationSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::array<int, 2> selfPipe = {-1, -1};
constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP};

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() {
    for (const int signalNumber : kSignals) {
        std::signal(signalNumber, SIG_DFL);
    }
    for (int& fd : selfPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void TerminationSignals::handle(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(selfPipe[1], &byte, 1);
    errno = savedErrno;
}

bool TerminationSignals::install(QString* error) {
    if (::pipe2(selfPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    notifier_ = new QSocketNotifier(selfPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void TerminationSignals::readPipe() {
    char byte = 0;
    while (::read(selfPipe[0], &byte, 1) == 1) {
        Q_EMIT received(byte);
    }
}
