#include "CommandTable.h"

#include <array>

namespace {

constexpr int kNone = 0;
constexpr int kByte = 1;
constexpr int kTwo = 2;
constexpr int kInt = 4;

// IO substitution downloads carry the input number plus one stored [code][length][data]
// request, whose data is at most the five bytes of a CAN send.
constexpr int kMaxCanBytes = 5;
constexpr std::array kCommands = {
    CommandShape{Cmd::Handshake, kNone, kNone},
    CommandShape{Cmd::QueryAddress, kNone, kNone},
    CommandShape{Cmd::SetAddress, kByte, kByte},
    CommandShape{Cmd::QueryBaud, kNone, kNone},
    CommandShape{Cmd::SetBaud, kByte, kByte},
    CommandShape{Cmd::SetStartSpeed, kInt, kInt},
    CommandShape{Cmd::QueryStartSpeed, kNone, kNone},
    CommandShape{Cmd::SetMaxSpeed, kInt, kInt},
    CommandShape{Cmd::QueryMaxSpeed, kNone, kNone},
    CommandShape{Cmd::SetEndSpeed, kInt, kInt},
    CommandShape{Cmd::QueryEndSpeed, kNone, kNone},
    CommandShape{Cmd::SetAcceleration, kInt, kInt},
    CommandShape{Cmd::QueryAcceleration, kNone, kNone},
    CommandShape{Cmd::SetDeceleration, kInt, kInt},
    CommandShape{Cmd::QueryDeceleration, kNone, kNone},
    CommandShape{Cmd::SetHomingSpeed, kInt, kInt},
    CommandShape{Cmd::QueryHomingSpeed, kNone, kNone},
    CommandShape{Cmd::MoveBy, kInt, kInt},
    CommandShape{Cmd::MoveByDirection, kInt, kInt},
    CommandShape{Cmd::Run, kInt, kInt},
    CommandShape{Cmd::RunDirection, kInt, kInt},
    CommandShape{Cmd::ChangeSpeed, kInt, kInt},
    CommandShape{Cmd::QuerySpeed, kNone, kNone},
    CommandShape{Cmd::QueryAbsolute, kNone, kNone},
    CommandShape{Cmd::ZeroAbsolute, kNone, kNone},
    CommandShape{Cmd::QueryRelative, kNone, kNone},
    CommandShape{Cmd::ZeroRelative, kNone, kNone},
    CommandShape{Cmd::QueryStatus, kNone, kNone},
    CommandShape{Cmd::StopNow, kNone, kNone},
    CommandShape{Cmd::StopDecelerating, kNone, kNone},
    CommandShape{Cmd::Home1, kByte, kByte},
    CommandShape{Cmd::SetRegisterBase, kInt, kInt},
    CommandShape{Cmd::StoreIoCommand, 1, 1 + 2 + kMaxCanBytes},
    CommandShape{Cmd::ReadIoCommand, kByte, kByte},
    CommandShape{Cmd::QueryInputs, kNone, kNone},
    CommandShape{Cmd::QueryInputNumber, kNone, kNone},
    CommandShape{Cmd::SetSpeedFactor, kInt, kInt},
    CommandShape{Cmd::SpeedUpByFactor, kNone, kNone},
    CommandShape{Cmd::SlowDownByFactor, kNone, kNone},
    CommandShape{Cmd::FactorySettings, kNone, kNone},
    CommandShape{Cmd::ChecksumOption, kByte, kByte},
    CommandShape{Cmd::ReplyLengthOption, kByte, kByte},
    CommandShape{Cmd::CanFrameType, kByte, kByte},
    CommandShape{Cmd::CanBitRate, kByte, kByte},
    CommandShape{Cmd::CanSend, 0, kMaxCanBytes},
    CommandShape{Cmd::Home2, kByte, kByte},
    CommandShape{Cmd::Home3, kByte, kByte},
    CommandShape{Cmd::MoveToAbsolute, kInt, kInt},
    CommandShape{Cmd::LastChr, kTwo, kTwo},
    CommandShape{Cmd::SetOutputs, kTwo, kTwo},
    CommandShape{Cmd::MoveByCounts, kInt, kInt},
    CommandShape{Cmd::MoveByFeedbackPulses, kInt, kInt},
    CommandShape{Cmd::MoveToClosedLoop, kInt, kInt},
    CommandShape{Cmd::QueryClosedLoopAbsolute, kNone, kNone},
    CommandShape{Cmd::ZeroClosedLoopAbsolute, kNone, kNone},
    CommandShape{Cmd::QueryClosedLoopRelative, kNone, kNone},
    CommandShape{Cmd::ZeroClosedLoopRelative, kNone, kNone},
    CommandShape{Cmd::EncoderDirection, kByte, kByte},
    CommandShape{Cmd::ControlDirection, kByte, kByte},
    CommandShape{Cmd::AccumulatedErrorMode, kByte, kByte},
    CommandShape{Cmd::SetGearNumerator, kInt, kInt},
    CommandShape{Cmd::QueryGearNumerator, kNone, kNone},
    CommandShape{Cmd::SetGearDenominator, kInt, kInt},
    CommandShape{Cmd::QueryGearDenominator, kNone, kNone},
    CommandShape{Cmd::QueryClosedLoopError, kNone, kNone},
};

} // namespace

const CommandShape* findCommand(quint8 code) {
    for (const CommandShape& shape : kCommands) {
        if (shape.code == code) {
            return &shape;
        }
    }
    return nullptr;
}

int baudRateForCode(quint8 code) {
    switch (code) {
    case 4:
        return 2400;
    case 5:
        return 4800;
    case 6:
        return 9600;
    case 7:
        return 14400;
    case 8:
        return 19200;
    case 9:
        return 38400;
    case 10:
        return 56000;
    case 11:
        return 57600;
    default:
        return 0;
    }
}

std::optional<quint8> baudCodeForRate(int rate) {
    for (quint8 code = kFirstBaudCode; code <= kLastBaudCode; ++code) {
        if (baudRateForCode(code) == rate) {
            return code;
        }
    }
    return std::nullopt;
}
