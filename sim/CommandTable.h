#pragma once

#include <QtGlobal>

#include <optional>

// The commands a simulated driver understands, with the data lengths it accepts.
struct CommandShape {
    quint8 code;
    int minDataLength;
    int maxDataLength;
};

// Null for a code that no driver command uses.
const CommandShape* findCommand(quint8 code);

// Line speeds by baud-rate code (4 = 2400 ... 11 = 57600); 0 for any other code.
constexpr quint8 kFirstBaudCode = 4;
constexpr quint8 kLastBaudCode = 11;
int baudRateForCode(quint8 code);
std::optional<quint8> baudCodeForRate(int rate);

namespace Cmd {
constexpr quint8 Handshake = 0x20;
constexpr quint8 QueryAddress = 0x21;
constexpr quint8 SetAddress = 0x22;
constexpr quint8 QueryBaud = 0x23;
constexpr quint8 SetBaud = 0x24;
constexpr quint8 SetStartSpeed = 0x25;
constexpr quint8 QueryStartSpeed = 0x26;
constexpr quint8 SetMaxSpeed = 0x27;
constexpr quint8 QueryMaxSpeed = 0x28;
constexpr quint8 SetEndSpeed = 0x29;
constexpr quint8 QueryEndSpeed = 0x2A;
constexpr quint8 SetAcceleration = 0x2B;
constexpr quint8 QueryAcceleration = 0x2C;
constexpr quint8 SetDeceleration = 0x2D;
constexpr quint8 QueryDeceleration = 0x2E;
constexpr quint8 SetHomingSpeed = 0x2F;
constexpr quint8 QueryHomingSpeed = 0x30;
constexpr quint8 MoveBy = 0x31;
constexpr quint8 MoveByDirection = 0x32;
constexpr quint8 Run = 0x33;
constexpr quint8 RunDirection = 0x34;
constexpr quint8 ChangeSpeed = 0x35;
constexpr quint8 QuerySpeed = 0x36;
constexpr quint8 QueryAbsolute = 0x37;
constexpr quint8 ZeroAbsolute = 0x38;
constexpr quint8 QueryRelative = 0x39;
constexpr quint8 ZeroRelative = 0x3A;
constexpr quint8 QueryStatus = 0x3B;
constexpr quint8 StopNow = 0x3C;
constexpr quint8 StopDecelerating = 0x3D;
constexpr quint8 Home1 = 0x3E;
constexpr quint8 SetRegisterBase = 0x3F;
constexpr quint8 StoreIoCommand = 0x40;
constexpr quint8 ReadIoCommand = 0x41;
constexpr quint8 QueryInputs = 0x42;
constexpr quint8 QueryInputNumber = 0x43;
constexpr quint8 SetSpeedFactor = 0x44;
constexpr quint8 SpeedUpByFactor = 0x45;
constexpr quint8 SlowDownByFactor = 0x46;
constexpr quint8 FactorySettings = 0x47;
constexpr quint8 ChecksumOption = 0x48;
constexpr quint8 ReplyLengthOption = 0x49;
constexpr quint8 CanFrameType = 0x4A;
constexpr quint8 CanBitRate = 0x4B;
constexpr quint8 CanSend = 0x4C;
constexpr quint8 Home2 = 0x4E;
constexpr quint8 Home3 = 0x4F;
constexpr quint8 MoveToAbsolute = 0x50;
constexpr quint8 LastChr = 0x51;
constexpr quint8 SetOutputs = 0x52;
constexpr quint8 MoveByCounts = 0x55;
constexpr quint8 MoveByFeedbackPulses = 0x56;
constexpr quint8 MoveToClosedLoop = 0x57;
constexpr quint8 QueryClosedLoopAbsolute = 0x58;
constexpr quint8 ZeroClosedLoopAbsolute = 0x59;
constexpr quint8 QueryClosedLoopRelative = 0x5A;
constexpr quint8 ZeroClosedLoopRelative = 0x5B;
constexpr quint8 EncoderDirection = 0x5C;
constexpr quint8 ControlDirection = 0x5D;
constexpr quint8 AccumulatedErrorMode = 0x5E;
constexpr quint8 SetGearNumerator = 0x5F;
constexpr quint8 QueryGearNumerator = 0x60;
constexpr quint8 SetGearDenominator = 0x61;
constexpr quint8 QueryGearDenominator = 0x62;
constexpr quint8 QueryClosedLoopError = 0x64;
} // namespace Cmd

// Failure reply error codes.
namespace DriveError {
constexpr quint8 None = 0x00;
constexpr quint8 DataLength = 0x01;
constexpr quint8 Checksum = 0x02;
constexpr quint8 UnknownCommand = 0x03;
constexpr quint8 OutOfRange = 0x04;
} // namespace DriveError
