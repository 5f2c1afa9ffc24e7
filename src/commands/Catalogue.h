#pragma once

#include "commands/FormState.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <span>

// Every command button of the panels, as data: what it sends and how it is built.

enum class DataShape {
    None,         // no data
    HexByte,      // one byte, `source` read as hex
    DecimalByte,  // one byte, `source` read as a decimal number
    Constant,     // one byte, `constant`
    BaudCode,     // one byte, code of `source`'s exact text in the line-speed table
    CanRateCode,  // one byte, position of `source`'s exact text in the CAN rate table
    Int32,        // four bytes, signed, most significant first
    Direction24,  // direction byte from `source` (decimal), low 24 bits of `source2`
    InputNumber,  // one byte, input number from the five binary digits of `source`
    IoDownload,   // input number of `source`, then the bytes typed in `source2`
    CanHex,       // up to five bytes typed in hex in `source`
    LastChr,      // toggled option state, then `source` as a byte (never refuses)
    OutputK1,     // K1 toggled, then both output states
    OutputK2,     // K2 toggled, then both output states
    RegisterBase, // the PLC register base, signed 32-bit, 0..65503
};

enum class PlcOption { Leave, Read, Write, Off };

enum Honours : unsigned { HonoursNone = 0, HonoursRecord = 1, HonoursCapture = 2 };

struct CommandRow {
    const char* button;
    const char* caption;
    quint8 code;
    DataShape shape;
    const char* source;  // control read for the data, or nullptr
    const char* source2; // second control, or nullptr
    quint8 constant;
    PlcOption plc;
    unsigned honours;
    bool rtuAlways;
    bool addressZero; // the address query always goes to 0x00
};

enum class CompanionFlag { Record, Capture };

struct CompanionRow {
    const char* companion;
    CompanionFlag flag;
    const char* action;
};

std::span<const CommandRow> commandCatalogue();
std::span<const CompanionRow> companionButtons();
const CommandRow* findCommand(const QString& button);

// Reads the current text of a control by its name ("" for a control that does not exist).
using ControlText = std::function<QString(const char* control)>;

// A value that does not fit its field: the control to highlight and what the user must know.
struct FieldProblem {
    QString control;
    QString message;
};

struct BuildResult {
    enum Kind {
        Built,      // frame ready for capture, recording and sending
        Refused,    // a field does not fit: nothing is built
        Stopped,    // nothing to send (an empty box); companion flags keep their values
        OutOfRange, // register base outside 0..65503
    };
    Kind kind = Built;
    QByteArray frame;
    FieldProblem problem;
};

// Builds and frames the request of one catalogue row from the controls' texts. The mode is
// read from Combo7 unless the row is always RTU. Toggles K1/K2 and LastChr state as the
// buttons do (only when the request is built).
BuildResult buildCommand(const CommandRow& row, const ControlText& text, FormState& state);

// Line-speed code sent by the baud-rate change for the exact text (0 when not in the table).
quint8 baudRateCode(const QString& text);
// CAN rate code 1..18 for the exact text (0 when not in the table).
quint8 canRateCode(const QString& text);
// Input number from five binary digits IN5..IN1; anything but "1" counts as 0.
quint8 inputNumber(const QString& text);

inline constexpr qint32 kMaxRegisterBase = 65503;
