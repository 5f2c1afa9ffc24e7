#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// "COM1" ... "COM9" stand for devices: TORVANE_COMn (a device path) wins when set,
// otherwise the n-th serial device present, USB adapters (ttyUSB*, ttyACM*) first, then
// the rest, each in name order.
class PortResolver {
public:
    using EnvLookup = std::function<QString(const QString& name)>;

    // presentDevices: system paths of the serial devices present, in any order.
    PortResolver(QStringList presentDevices, EnvLookup env);

    // Port number 1..9 from the exact text "COM1".."COM9"; 0 for any other text.
    static int portNumberFromName(const QString& name);

    // The device path COMn stands for, or an empty text when there is none.
    QString deviceFor(int portNumber) const;

    const QStringList& orderedDevices() const { return m_ordered; }

private:
    QStringList m_ordered;
    EnvLookup m_env;
};
