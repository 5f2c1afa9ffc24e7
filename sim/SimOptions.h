#pragma once

#include "MotionAxis.h"
#include "ReplyFaults.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SimOptions {
    QString linkPath;   // symlink to the pseudo-terminal, kept while running
    QString devicePath; // a real serial device instead of a pseudo-terminal
    int baudRate = 9600;
    QList<quint8> addresses{1};
    quint8 inputs = 0; // IN1 = bit 0 ... IN5 = bit 4, 1 = active
    SwitchLayout switches;
    bool exitOnStdinEof = false;
    bool verbose = false;
    int frameGapMs = 20;
    FaultOptions faults;
};

struct ParsedCommandLine {
    std::optional<SimOptions> options; // unset on an error or when help was asked for
    QString error;
    bool helpRequested = false;
    QString helpText;
};

// arguments include the program name first, as QCoreApplication::arguments() gives them.
ParsedCommandLine parseSimCommandLine(const QStringList& arguments);

// Five binary digits IN5..IN1 (fewer are read as the low inputs); nullopt for anything else.
std::optional<quint8> parseInputDigits(const QString& text);
