#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <functional>

// The workbench's one serial port (MSComm1): opened by number 1..9 with a settings text
// "9600,n,8,1", raw 8N1 bytes, no flow control.
class CommPort : public QObject {
    Q_OBJECT
public:
    // Maps a port number 1..9 to a device path ("" when there is none).
    using DeviceLookup = std::function<QString(int portNumber)>;

    explicit CommPort(DeviceLookup lookup, QObject* parent = nullptr);

    // Closes the port if open, forces the number into 1..9 and an empty settings text to
    // "9600,n,8,1" (both written back), then configures and opens. Returns an empty text on
    // success, otherwise a message for the user saying why the port is not open.
    QString OpenCommPort(qint16& portNumber, QString& settings);
    void close();
    bool isOpen() const;
    // One write of all bytes; false when the port is closed or refuses them.
    bool write(const QByteArray& bytes);
    QString deviceName() const { return m_device; }
    qint32 baudRate() const;

    QSerialPort& serialPort() { return m_port; }

Q_SIGNALS:
    void bytesArrived(const QByteArray& bytes);
    // The port was closed because the device failed (adapter pulled, line hung up).
    void portLost(const QString& message);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    DeviceLookup m_lookup;
    QSerialPort m_port;
    QString m_device;
};
