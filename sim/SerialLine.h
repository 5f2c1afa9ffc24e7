#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The simulator's end of the serial line: a pseudo-terminal or a real serial device.
class SerialLine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void write(const QByteArray& bytes) = 0;
    // Changes the line speed once the bytes written so far have left.
    virtual void setSpeedAfterOutput(int baudRate) = 0;

Q_SIGNALS:
    void received(const QByteArray& bytes);
    void failed(const QString& message);
};
