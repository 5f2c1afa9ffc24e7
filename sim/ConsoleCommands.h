#pragma once

#include <QString>

class DriveBus;

struct ConsoleResult {
    QString output; // printed on standard output; empty for nothing
    bool quit = false;
};

// One line typed on the simulator's standard input.
ConsoleResult runConsoleLine(DriveBus& bus, const QString& line, qint64 nowMs);

QString consoleHelp();
