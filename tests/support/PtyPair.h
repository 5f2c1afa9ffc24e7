#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair standing in for the serial line: the workbench opens the slave
// path, the test owns the master side and sees exactly the bytes a driver would see.
class PtyPair {
public:
    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&m_master, &slave, name, nullptr, nullptr) == 0) {
            termios raw{};
            tcgetattr(slave, &raw);
            cfmakeraw(&raw);
            tcsetattr(slave, TCSANOW, &raw);
            m_slavePath = QString::fromLocal8Bit(name);
            // Keep the slave open so the line does not hang up between the test's steps.
            m_slave = slave;
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() {
        closeMaster();
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Lets the workbench's own open be the only holder of the slave, so closing the master
    // hangs the line up for it.
    void releaseSlave() {
        if (m_slave >= 0) {
            ::close(m_slave);
            m_slave = -1;
        }
    }

    void closeMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

    bool write(const QByteArray& bytes) {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads what the far side has written until `count` bytes arrived or `timeoutMs` passed.
    // Qt events keep being processed, since the workbench writes from its event loop.
    QByteArray read(qsizetype count, int timeoutMs = 2000) {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (out.size() < count && timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
                char buffer[4096];
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0) {
                    out.append(buffer, n);
                }
            }
        }
        return out;
    }

    // Everything that arrives within `quietMs` of silence.
    QByteArray drain(int quietMs = 100) {
        QByteArray out;
        QElapsedTimer quiet;
        quiet.start();
        for (;;) {
            QCoreApplication::processEvents();
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, quietMs > 0 ? 5 : 0) <= 0 || !(p.revents & POLLIN)) {
                if (quiet.elapsed() >= quietMs) {
                    return out;
                }
                continue;
            }
            quiet.restart();
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) {
                return out;
            }
            out.append(buffer, n);
        }
    }

    speed_t outputSpeed() const {
        termios t{};
        tcgetattr(m_master, &t);
        return cfgetospeed(&t);
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
