#include "PtyLine.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxPending = 64 * 1024;

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyLine::PtyLine(QObject* parent) : SerialLine(parent) {}

PtyLine::~PtyLine() {
    if (!linkPath_.isEmpty()) {
        QFile::remove(linkPath_);
    }
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyLine::open(QString* error) {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        *error = systemError("openpty");
        return false;
    }
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError("fcntl");
        return false;
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyLine::readAvailable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyLine::writePending);
    return true;
}

bool PtyLine::createLink(const QString& linkPath, QString* error) {
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symlink").arg(linkPath);
        return false;
    }
    if (::symlink(slavePath_.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0) {
        *error = systemError("symlink");
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

void PtyLine::readAvailable() {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count > 0) {
            Q_EMIT received(QByteArray(buffer, count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // EAGAIN: drained. EIO cannot happen while the slave side is held open here.
        if (count < 0 && errno != EAGAIN) {
            readNotifier_->setEnabled(false);
            Q_EMIT failed(systemError("read from pseudo-terminal"));
        }
        return;
    }
}

void PtyLine::write(const QByteArray& bytes) {
    // Nobody reads the far side: stop queueing rather than grow without end.
    if (pending_.size() > kMaxPending) {
        return;
    }
    pending_.append(bytes);
    writePending();
}

void PtyLine::writePending() {
    while (!pending_.isEmpty()) {
        const ssize_t count = ::write(master_, pending_.constData(), size_t(pending_.size()));
        if (count > 0) {
            pending_.remove(0, count);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && errno != EAGAIN) {
            pending_.clear();
            Q_EMIT failed(systemError("write to pseudo-terminal"));
        }
        break;
    }
    // A full pseudo-terminal buffer: wait until the master side can take more.
    writeNotifier_->setEnabled(!pending_.isEmpty());
}
