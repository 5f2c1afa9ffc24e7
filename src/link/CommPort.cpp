#include "link/CommPort.h"

#include <QFileInfo>

namespace {

constexpr qint64 kReadLength = 512;

QString openFailureReason(QSerialPort::SerialPortError error, const QString& detail) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("设备不存在。");
    case QSerialPort::PermissionError:
        return QStringLiteral("没有访问权限，或串口已被其他程序占用。"
                              "如果是权限问题，请把当前用户加入 dialout 组"
                              "（sudo usermod -aG dialout $USER），重新登录后再试。");
    case QSerialPort::OpenError:
        return QStringLiteral("串口已被打开。");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("设备不支持这些串口设置。");
    default:
        return detail;
    }
}

} // namespace

CommPort::CommPort(DeviceLookup lookup, QObject* parent)
    : QObject(parent), m_lookup(std::move(lookup)) {
    m_port.setObjectName(QStringLiteral("MSComm1"));
    m_port.setReadBufferSize(kReadLength);
    connect(&m_port, &QSerialPort::readyRead, this, &CommPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CommPort::onError);
}

QString CommPort::OpenCommPort(qint16& portNumber, QString& settings) {
    if (m_port.isOpen()) {
        m_port.close();
    }
    if (portNumber > 9 || portNumber < 1) {
        portNumber = 1;
    }
    if (settings.isEmpty()) {
        settings = QStringLiteral("9600,n,8,1");
    }

    const QString portName = QStringLiteral("COM%1").arg(portNumber);
    m_device = m_lookup ? m_lookup(portNumber) : QString();
    if (m_device.isEmpty()) {
        return QStringLiteral("无法打开串口 %1：没有对应的串口设备。"
                              "请连接串口设备，或用环境变量 TORVANE_%1 指定设备路径。")
            .arg(portName);
    }
    const QString where = QStringLiteral("无法打开串口 %1（%2）：").arg(portName, m_device);

    const QStringList parts = settings.split(u',');
    bool speedOk = false;
    const qint32 speed = parts.value(0).trimmed().toInt(&speedOk);
    if (!speedOk || speed <= 0 || parts.size() != 4) {
        return where + QStringLiteral("波特率“%1”无效。").arg(parts.value(0));
    }

    m_port.setPortName(m_device);
    m_port.setReadBufferSize(kReadLength);
    if (!m_port.open(QIODevice::ReadWrite)) {
        return where + openFailureReason(m_port.error(), m_port.errorString());
    }
    if (!m_port.setBaudRate(speed) || !m_port.setDataBits(QSerialPort::Data8) ||
        !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop) ||
        !m_port.setFlowControl(QSerialPort::NoFlowControl)) {
        const QString reason = m_port.errorString();
        m_port.close();
        return where + QStringLiteral("不支持波特率 %1（%2）。").arg(speed).arg(reason);
    }
    // Bytes that arrived before the open are not the replies of this session.
    m_port.clear(QSerialPort::AllDirections);
    m_port.readAll();
    return {};
}

void CommPort::close() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

bool CommPort::isOpen() const {
    return m_port.isOpen();
}

bool CommPort::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) {
        return false;
    }
    return m_port.write(bytes) == bytes.size();
}

qint32 CommPort::baudRate() const {
    return m_port.baudRate();
}

void CommPort::onReadyRead() {
    while (m_port.bytesAvailable() > 0) {
        const QByteArray bytes = m_port.read(kReadLength);
        if (bytes.isEmpty()) {
            break;
        }
        Q_EMIT bytesArrived(bytes);
    }
}

void CommPort::onError(QSerialPort::SerialPortError error) {
    // Qt keeps raising these at full speed after a hang-up, so the first one closes the port.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) {
        return;
    }
    if (!m_port.isOpen()) {
        return;
    }
    const QString reason = m_port.errorString();
    m_port.close();
    Q_EMIT portLost(QStringLiteral("串口（%1）出错，已关闭：%2").arg(m_device, reason));
}
