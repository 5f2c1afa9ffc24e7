#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// The simulator executable started on a pseudo-terminal; the test holds the far end of the
// line, opened raw, and sees exactly the bytes a workbench would see.
class SimulatorProcess {
public:
    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    ~SimulatorProcess() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }

    // Starts the simulator and reads the line path it prints first.
    bool start(const QStringList& arguments, bool openLine = true) {
        process.start(QStringLiteral(DRIVE_SIM_PATH), arguments);
        if (!process.waitForStarted(5000)) {
            return false;
        }
        const QDeadlineTimer deadline(10000);
        while (!process.canReadLine()) {
            if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime()))) {
                return false;
            }
        }
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !openLine || openRaw();
    }

    bool openRaw() {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) {
            return false;
        }
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        return ::tcsetattr(fd_, TCSANOW, &settings) == 0;
    }

    // Talk over a line the test created itself (the simulator then runs with --device).
    void useLine(int fd) { fd_ = fd; }

    void send(const QByteArray& bytes) const {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t count =
                ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
            if (count > 0) {
                done += count;
            } else if (!waitFor(POLLOUT, 1000)) {
                return;
            }
        }
    }

    // Everything that arrives until count bytes are there or the time is up.
    QByteArray receive(qsizetype count, int timeoutMs = 3000) const {
        QByteArray bytes;
        const QDeadlineTimer deadline(timeoutMs);
        while (bytes.size() < count) {
            if (!waitFor(POLLIN, int(deadline.remainingTime()))) {
                break;
            }
            char buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                bytes.append(buffer, n);
            }
        }
        return bytes;
    }

    // Whatever arrives within the time: for checking that nothing (more) comes.
    QByteArray receiveWithin(int timeoutMs) const { return receive(1 << 20, timeoutMs); }

    QByteArray exchange(const QByteArray& request, qsizetype replySize) const {
        send(request);
        return receive(replySize);
    }

    QProcess process;
    QString path;

private:
    bool waitFor(short events, int timeoutMs) const {
        pollfd entry{fd_, events, 0};
        return ::poll(&entry, 1, qMax(0, timeoutMs)) > 0;
    }

    int fd_ = -1;
};
