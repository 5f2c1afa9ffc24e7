#include "link/PortResolver.h"

#include <QFileInfo>

#include <algorithm>

namespace {

bool isUsbAdapter(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

// Name order with numbers compared as numbers, so ttyUSB2 comes before ttyUSB10.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ie = i;
            qsizetype je = j;
            while (ie < a.size() && a[ie].isDigit()) {
                ++ie;
            }
            while (je < b.size() && b[je].isDigit()) {
                ++je;
            }
            const qulonglong na = a.mid(i, ie - i).toULongLong();
            const qulonglong nb = b.mid(j, je - j).toULongLong();
            if (na != nb) {
                return na < nb;
            }
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

PortResolver::PortResolver(QStringList presentDevices, EnvLookup env) : m_env(std::move(env)) {
    std::sort(presentDevices.begin(), presentDevices.end(), [](const QString& a, const QString& b) {
        const bool ua = isUsbAdapter(a);
        const bool ub = isUsbAdapter(b);
        if (ua != ub) {
            return ua;
        }
        return naturalLess(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    });
    presentDevices.removeDuplicates();
    m_ordered = std::move(presentDevices);
}

int PortResolver::portNumberFromName(const QString& name) {
    for (int n = 1; n <= 9; ++n) {
        if (name == QStringLiteral("COM%1").arg(n)) {
            return n;
        }
    }
    return 0;
}

QString PortResolver::deviceFor(int portNumber) const {
    if (portNumber < 1 || portNumber > 9) {
        return {};
    }
    const QString fromEnv =
        m_env ? m_env(QStringLiteral("TORVANE_COM%1").arg(portNumber)) : QString();
    if (!fromEnv.isEmpty()) {
        return fromEnv;
    }
    if (portNumber <= m_ordered.size()) {
        return m_ordered.at(portNumber - 1);
    }
    return {};
}
