#include "SerialDeviceLine.h"

#include <cmath>

namespace {

// 8N1: ten bit times per byte.
constexpr int kBitsPerByte = 10;
constexpr int kDrainMarginMs = 2;

} // namespace

SerialDeviceLine::SerialDeviceLine(QObject* parent) : SerialLine(parent), port_(this) {
    drainTimer_.setSingleShot(true);
    drainTimer_.setTimerType(Qt::PreciseTimer);
    connect(&drainTimer_, &QTimer::timeout, this, [this] {
        if (pendingSpeed_) {
            port_.setBaudRate(*std::exchange(pendingSpeed_, std::nullopt));
        }
    });
    connect(&port_, &QSerialPort::readyRead, this, [this] { Q_EMIT received(port_.readAll()); });
    connect(&port_, &QSerialPort::bytesWritten, this, &SerialDeviceLine::bytesWritten);
    // Qt repeats these errors endlessly after a hang-up: close at the first one.
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError ||
            e == QSerialPort::WriteError) {
            const QString message = port_.errorString();
            port_.close();
            Q_EMIT failed(message);
        }
    });
}

bool SerialDeviceLine::open(const QString& path, int baudRate, QString* error) {
    port_.setPortName(path);
    port_.setBaudRate(baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("%1: %2").arg(path, port_.errorString());
        return false;
    }
    return true;
}

void SerialDeviceLine::write(const QByteArray& bytes) {
    lastWriteSize_ = bytes.size();
    port_.write(bytes);
}

void SerialDeviceLine::setSpeedAfterOutput(int baudRate) {
    pendingSpeed_ = baudRate;
    // The last write may sit in the kernel's buffer although Qt reports it written.
    drainBytes_ = port_.bytesToWrite() + lastWriteSize_;
    if (port_.bytesToWrite() == 0) {
        startDrainTimer();
    }
}

void SerialDeviceLine::bytesWritten(qint64) {
    if (pendingSpeed_ && port_.bytesToWrite() == 0) {
        startDrainTimer();
    }
}

// The driver hands its last bytes to the UART, which still has to shift them out at the
// old speed before the new one may be set.
void SerialDeviceLine::startDrainTimer() {
    const double lineMs = 1000.0 * double(drainBytes_ * kBitsPerByte) / double(port_.baudRate());
    drainTimer_.start(int(std::ceil(lineMs)) + kDrainMarginMs);
}
