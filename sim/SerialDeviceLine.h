#pragma once

#include "SerialLine.h"

#include <QSerialPort>
#include <QTimer>

#include <optional>

// A real serial device, 8N1 without flow control.
class SerialDeviceLine : public SerialLine {
    Q_OBJECT
public:
    explicit SerialDeviceLine(QObject* parent = nullptr);

    bool open(const QString& path, int baudRate, QString* error);

    void write(const QByteArray& bytes) override;
    void setSpeedAfterOutput(int baudRate) override;

private:
    void bytesWritten(qint64 count);
    void startDrainTimer();

    QSerialPort port_;
    QTimer drainTimer_;
    std::optional<int> pendingSpeed_;
    qint64 lastWriteSize_ = 0;
    qint64 drainBytes_ = 0;
};
