#include "ConsoleCommands.h"

#include "DriveBus.h"
#include "SimOptions.h"

#include <QStringList>

QString consoleHelp() {
    return QStringLiteral(
        "inputs BITS [ADDRESS]  set inputs IN5..IN1 (1 = active), e.g. inputs 00101;\n"
        "                       without ADDRESS for every driver\n"
        "state                  print the state of every driver\n"
        "quit                   exit\n"
        "help                   this text");
}

ConsoleResult runConsoleLine(DriveBus& bus, const QString& line, qint64 nowMs) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return {};
    }
    const QString& command = words.constFirst();
    if (command == QLatin1String("help")) {
        return {consoleHelp()};
    }
    if (command == QLatin1String("quit")) {
        return {{}, true};
    }
    if (command == QLatin1String("state") && words.size() == 1) {
        bus.advanceTo(nowMs);
        return {bus.summary()};
    }
    if (command == QLatin1String("inputs") && (words.size() == 2 || words.size() == 3)) {
        const auto bits = parseInputDigits(words[1]);
        std::optional<quint8> address;
        bool addressOk = true;
        if (words.size() == 3) {
            const uint number = words[2].toUInt(&addressOk, 0);
            addressOk = addressOk && number >= 1 && number <= 255;
            address = quint8(number);
        }
        if (!bits || !addressOk) {
            return {QStringLiteral("usage: inputs BITS [ADDRESS], BITS = up to five 0/1 digits")};
        }
        QStringList lines = bus.setInputs(*bits, address, nowMs);
        lines.prepend(QStringLiteral("inputs %1").arg(*bits, 5, 2, QLatin1Char('0')));
        return {lines.join(QLatin1Char('\n'))};
    }
    return {QStringLiteral("unknown command '%1'; type help").arg(line.trimmed())};
}
