#include "SimulatedDriver.h"

#include <QStringList>

#include <cmath>

namespace {

QByteArray bigEndian32(qint64 value) {
    const auto bits = static_cast<quint32>(value);
    QByteArray bytes(4, '\0');
    bytes[0] = static_cast<char>(bits >> 24);
    bytes[1] = static_cast<char>(bits >> 16);
    bytes[2] = static_cast<char>(bits >> 8);
    bytes[3] = static_cast<char>(bits);
    return bytes;
}

quint8 byteAt(QByteArrayView data, qsizetype index) {
    return static_cast<quint8>(data[index]);
}

qint32 signed32(QByteArrayView data) {
    const quint32 bits = (quint32(byteAt(data, 0)) << 24) | (quint32(byteAt(data, 1)) << 16) |
                         (quint32(byteAt(data, 2)) << 8) | quint32(byteAt(data, 3));
    return static_cast<qint32>(bits);
}

// Direction byte (0 forward, 1 reverse) followed by a 24-bit magnitude.
std::optional<qint64> directionAndMagnitude(QByteArrayView data) {
    const quint8 direction = byteAt(data, 0);
    if (direction > 1) {
        return std::nullopt;
    }
    const qint64 magnitude =
        (qint64(byteAt(data, 1)) << 16) | (qint64(byteAt(data, 2)) << 8) | qint64(byteAt(data, 3));
    return direction == 1 ? -magnitude : magnitude;
}

constexpr int kInputNumbers = 32;

SimulatedDriver::Outcome refuse() {
    return {DriveError::OutOfRange, {}};
}

SimulatedDriver::Outcome value(qint64 number) {
    return {DriveError::None, bigEndian32(number)};
}

SimulatedDriver::Outcome ack() {
    return {};
}

bool isFlag(quint8 byte) {
    return byte <= 1;
}

} // namespace

SimulatedDriver::SimulatedDriver(quint8 address, SwitchLayout switches, quint8 baudCode)
    : address_(address), baudCode_(baudCode), axis_(switches) {}

std::optional<quint8> SimulatedDriver::lastCharacter() const {
    if (!lastCharacterOn_) {
        return std::nullopt;
    }
    return lastCharacter_;
}

MotionProfile SimulatedDriver::profile() const {
    return {double(parameters_.startSpeed), double(parameters_.maxSpeed),
            double(parameters_.endSpeed), double(parameters_.acceleration),
            double(parameters_.deceleration)};
}

double SimulatedDriver::countsPerPulse() const {
    const double ratio = double(gearNumerator_) / double(gearDenominator_);
    return encoderReversed_ ? -ratio : ratio;
}

qint64 SimulatedDriver::absolutePosition() const {
    return axis_.position() - absoluteOrigin_;
}

qint64 SimulatedDriver::relativePosition() const {
    return axis_.position() - relativeOrigin_;
}

qint64 SimulatedDriver::closedLoopAbsolute() const {
    return std::llround(double(axis_.position() - closedLoopAbsoluteOrigin_) * countsPerPulse());
}

qint64 SimulatedDriver::closedLoopRelative() const {
    return std::llround(double(axis_.position() - closedLoopRelativeOrigin_) * countsPerPulse());
}

void SimulatedDriver::noteHoming() {
    if (axis_.homingsCompleted() != homingsSeen_) {
        homingsSeen_ = axis_.homingsCompleted();
        absoluteOrigin_ = axis_.layout().zeroSwitch;
        closedLoopAbsoluteOrigin_ = axis_.layout().zeroSwitch;
    }
}

void SimulatedDriver::advanceTo(qint64 nowMs) {
    axis_.advanceTo(nowMs);
    noteHoming();
    if (closedLoopMoveActive_ && !axis_.isMoving()) {
        closedLoopMoveActive_ = false;
        // 1: the closed-loop move was stopped before it reached its target.
        closedLoopError_ = axis_.position() == closedLoopTarget_ ? 0 : 1;
    }
}

QByteArray SimulatedDriver::setInputs(quint8 inputs, qint64 nowMs) {
    advanceTo(nowMs);
    inputs &= 0x1F;
    if (inputs == inputs_) {
        return {};
    }
    inputs_ = inputs;
    return ioCommands_[inputs];
}

void SimulatedDriver::startMove(qint64 pulses, qint64 nowMs) {
    relativeOrigin_ = axis_.position();
    axis_.moveBy(pulses, profile(), nowMs);
}

SimulatedDriver::Outcome SimulatedDriver::setParameter(qint32* field, QByteArrayView data,
                                                       qint32 min, qint32 max) {
    const qint32 number = signed32(data);
    if (number < min || number > max) {
        return refuse();
    }
    *field = number;
    return ack();
}

SimulatedDriver::Outcome SimulatedDriver::setFlag(bool* field, QByteArrayView data) {
    if (!isFlag(byteAt(data, 0))) {
        return refuse();
    }
    *field = byteAt(data, 0) == 1;
    return ack();
}

SimulatedDriver::Outcome SimulatedDriver::startClosedLoopMove(double counts, qint64 nowMs) {
    const qint64 pulses = std::llround(counts / countsPerPulse());
    closedLoopRelativeOrigin_ = axis_.position();
    startMove(pulses, nowMs);
    closedLoopTarget_ = axis_.moveTarget();
    closedLoopError_ = 0;
    closedLoopMoveActive_ = true;
    advanceTo(nowMs);
    return ack();
}

// Data: input number, then one request as [code][length][data]; the input number alone
// clears the entry.
SimulatedDriver::Outcome SimulatedDriver::storeIoCommand(QByteArrayView data) {
    const int inputNumber = byteAt(data, 0);
    if (inputNumber < 1 || inputNumber >= kInputNumbers) {
        return refuse();
    }
    const QByteArrayView command = data.sliced(1);
    if (command.isEmpty()) {
        ioCommands_[std::size_t(inputNumber)].clear();
        return ack();
    }
    if (command.size() < 2 || byteAt(command, 1) != command.size() - 2) {
        return {DriveError::DataLength, {}};
    }
    const quint8 code = byteAt(command, 0);
    const CommandShape* shape = findCommand(code);
    if (shape == nullptr) {
        return {DriveError::UnknownCommand, {}};
    }
    if (code == Cmd::StoreIoCommand || code == Cmd::ReadIoCommand) {
        return refuse();
    }
    const int length = byteAt(command, 1);
    if (length < shape->minDataLength || length > shape->maxDataLength) {
        return {DriveError::DataLength, {}};
    }
    ioCommands_[std::size_t(inputNumber)] = command.toByteArray();
    return ack();
}

void SimulatedDriver::restoreFactorySettings() {
    parameters_ = MotionParameters{};
    speedFactor_ = 500;
    gearNumerator_ = 1;
    gearDenominator_ = 1;
    encoderReversed_ = false;
    controlReversed_ = false;
    accumulatedError_ = false;
    checksumIgnored_ = false;
    padReplies_ = false;
    lastCharacterOn_ = false;
    lastCharacter_ = 0;
}

SimulatedDriver::Outcome SimulatedDriver::execute(quint8 code, QByteArrayView data, qint64 nowMs) {
    advanceTo(nowMs);
    Outcome outcome;
    switch (code) {
    case Cmd::Handshake:
    case Cmd::QueryAddress:
        return ack();
    case Cmd::SetAddress:
        if (byteAt(data, 0) == 0) {
            return refuse();
        }
        address_ = byteAt(data, 0);
        return ack();
    case Cmd::QueryBaud:
        return {DriveError::None, QByteArray(1, char(baudCode_))};
    case Cmd::SetBaud:
        if (byteAt(data, 0) < kFirstBaudCode || byteAt(data, 0) > kLastBaudCode) {
            return refuse();
        }
        baudCode_ = byteAt(data, 0);
        return ack();
    case Cmd::SetStartSpeed:
        return setParameter(&parameters_.startSpeed, data, 0, kSpeedLimit);
    case Cmd::QueryStartSpeed:
        return value(parameters_.startSpeed);
    case Cmd::SetMaxSpeed:
        return setParameter(&parameters_.maxSpeed, data, 1, kSpeedLimit);
    case Cmd::QueryMaxSpeed:
        return value(parameters_.maxSpeed);
    case Cmd::SetEndSpeed:
        return setParameter(&parameters_.endSpeed, data, 0, kSpeedLimit);
    case Cmd::QueryEndSpeed:
        return value(parameters_.endSpeed);
    case Cmd::SetAcceleration:
        return setParameter(&parameters_.acceleration, data, 1, kAccelerationLimit);
    case Cmd::QueryAcceleration:
        return value(parameters_.acceleration);
    case Cmd::SetDeceleration:
        return setParameter(&parameters_.deceleration, data, 1, kAccelerationLimit);
    case Cmd::QueryDeceleration:
        return value(parameters_.deceleration);
    case Cmd::SetHomingSpeed:
        return setParameter(&parameters_.homingSpeed, data, 1, kSpeedLimit);
    case Cmd::QueryHomingSpeed:
        return value(parameters_.homingSpeed);
    case Cmd::MoveBy:
        startMove(signed32(data), nowMs);
        return ack();
    case Cmd::MoveByDirection: {
        const auto pulses = directionAndMagnitude(data);
        if (!pulses) {
            return refuse();
        }
        startMove(*pulses, nowMs);
        return ack();
    }
    case Cmd::MoveToAbsolute:
        startMove(qint64(signed32(data)) - absolutePosition(), nowMs);
        return ack();
    case Cmd::Run:
    case Cmd::RunDirection: {
        const auto speed =
            code == Cmd::Run ? std::optional<qint64>(signed32(data)) : directionAndMagnitude(data);
        if (!speed || std::abs(*speed) > kSpeedLimit) {
            return refuse();
        }
        relativeOrigin_ = axis_.position();
        axis_.run(double(*speed), profile(), nowMs);
        return ack();
    }
    case Cmd::ChangeSpeed: {
        const qint32 speed = signed32(data);
        if (speed < 0 || speed > kSpeedLimit) {
            return refuse();
        }
        axis_.changeRunSpeed(speed, profile(), nowMs);
        return ack();
    }
    case Cmd::SpeedUpByFactor:
    case Cmd::SlowDownByFactor: {
        const double now = std::abs(axis_.velocity());
        const double step = code == Cmd::SpeedUpByFactor ? speedFactor_ : -speedFactor_;
        axis_.changeRunSpeed(std::clamp(now + step, 0.0, double(kSpeedLimit)), profile(), nowMs);
        return ack();
    }
    case Cmd::QuerySpeed:
        return value(std::llround(std::abs(axis_.velocity())));
    case Cmd::QueryAbsolute:
        return value(absolutePosition());
    case Cmd::ZeroAbsolute:
        absoluteOrigin_ = axis_.position();
        return ack();
    case Cmd::QueryRelative:
        return value(relativePosition());
    case Cmd::ZeroRelative:
        relativeOrigin_ = axis_.position();
        return ack();
    case Cmd::QueryStatus: {
        // Switch bytes are 1 while the switch is NOT active.
        QByteArray status(4, '\0');
        status[0] = char(axis_.isMoving() ? 1 : 0);
        status[1] = char(axis_.leftLimitActive() ? 0 : 1);
        status[2] = char(axis_.zeroSwitchActive() ? 0 : 1);
        status[3] = char(axis_.rightLimitActive() ? 0 : 1);
        return {DriveError::None, status};
    }
    case Cmd::StopNow:
        axis_.stopNow(nowMs);
        advanceTo(nowMs);
        return ack();
    case Cmd::StopDecelerating:
        axis_.stopDecelerating(profile(), nowMs);
        advanceTo(nowMs);
        return ack();
    case Cmd::Home1:
    case Cmd::Home2:
    case Cmd::Home3:
        if (!isFlag(byteAt(data, 0))) {
            return refuse();
        }
        relativeOrigin_ = axis_.position();
        axis_.home(byteAt(data, 0) == 1, parameters_.homingSpeed, profile(), nowMs);
        advanceTo(nowMs);
        return ack();
    case Cmd::SetRegisterBase: {
        const qint32 base = signed32(data);
        if (base < 0 || base > kRegisterBaseLimit) {
            return refuse();
        }
        registerBase_ = quint16(base);
        return ack();
    }
    case Cmd::StoreIoCommand:
        return storeIoCommand(data);
    case Cmd::ReadIoCommand: {
        const int inputNumber = byteAt(data, 0);
        if (inputNumber < 1 || inputNumber >= kInputNumbers) {
            return refuse();
        }
        outcome.data = QByteArray(1, char(inputNumber)) + ioCommands_[std::size_t(inputNumber)];
        return outcome;
    }
    case Cmd::QueryInputs: {
        // One byte per input, IN1 first; 1 while the input is off.
        QByteArray inputs(5, '\0');
        for (int i = 0; i < 5; ++i) {
            inputs[i] = char((inputs_ >> i) & 1 ? 0 : 1);
        }
        return {DriveError::None, inputs};
    }
    case Cmd::QueryInputNumber:
        return value(inputs_);
    case Cmd::SetSpeedFactor:
        return setParameter(&speedFactor_, data, 0, kSpeedLimit);
    case Cmd::FactorySettings:
        restoreFactorySettings();
        return ack();
    case Cmd::ChecksumOption:
        return setFlag(&checksumIgnored_, data);
    case Cmd::ReplyLengthOption:
        return setFlag(&padReplies_, data);
    case Cmd::CanFrameType:
        if (!isFlag(byteAt(data, 0))) {
            return refuse();
        }
        canFrameType_ = byteAt(data, 0);
        return ack();
    case Cmd::CanBitRate:
        if (byteAt(data, 0) < 1 || byteAt(data, 0) > 18) {
            return refuse();
        }
        canBitRate_ = byteAt(data, 0);
        return ack();
    case Cmd::CanSend:
        canSent_ = data.toByteArray();
        return ack();
    case Cmd::LastChr:
        if (!isFlag(byteAt(data, 0))) {
            return refuse();
        }
        lastCharacterOn_ = byteAt(data, 0) == 1;
        lastCharacter_ = byteAt(data, 1);
        return ack();
    case Cmd::SetOutputs:
        if (!isFlag(byteAt(data, 0)) || !isFlag(byteAt(data, 1))) {
            return refuse();
        }
        output1_ = byteAt(data, 0) == 1;
        output2_ = byteAt(data, 1) == 1;
        return ack();
    case Cmd::MoveByCounts:
    case Cmd::MoveByFeedbackPulses: {
        // Feedback pulses count four quadrature counts; control direction 1 reverses
        // these relative moves.
        const double counts =
            double(signed32(data)) * (code == Cmd::MoveByFeedbackPulses ? 4.0 : 1.0);
        return startClosedLoopMove(controlReversed_ ? -counts : counts, nowMs);
    }
    case Cmd::MoveToClosedLoop:
        return startClosedLoopMove(double(signed32(data)) - double(closedLoopAbsolute()), nowMs);
    case Cmd::QueryClosedLoopAbsolute:
        return value(closedLoopAbsolute());
    case Cmd::ZeroClosedLoopAbsolute:
        closedLoopAbsoluteOrigin_ = axis_.position();
        return ack();
    case Cmd::QueryClosedLoopRelative:
        return value(closedLoopRelative());
    case Cmd::ZeroClosedLoopRelative:
        closedLoopRelativeOrigin_ = axis_.position();
        return ack();
    case Cmd::EncoderDirection:
        return setFlag(&encoderReversed_, data);
    case Cmd::ControlDirection:
        return setFlag(&controlReversed_, data);
    case Cmd::AccumulatedErrorMode:
        return setFlag(&accumulatedError_, data);
    case Cmd::SetGearNumerator:
        return setParameter(&gearNumerator_, data, 1, kGearLimit);
    case Cmd::QueryGearNumerator:
        return value(gearNumerator_);
    case Cmd::SetGearDenominator:
        return setParameter(&gearDenominator_, data, 1, kGearLimit);
    case Cmd::QueryGearDenominator:
        return value(gearDenominator_);
    case Cmd::QueryClosedLoopError:
        return {DriveError::None, QByteArray(1, char(closedLoopError_))};
    default:
        return {DriveError::UnknownCommand, {}};
    }
}

QString SimulatedDriver::summary() const {
    const char* modes[] = {"stopped", "moving", "running", "homing", "stopping"};
    auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    QStringList lines;
    lines << QStringLiteral("driver %1: baud code %2, register base %3")
                 .arg(address_)
                 .arg(baudCode_)
                 .arg(registerBase_);
    lines << QStringLiteral("  %1, speed %2, absolute %3, relative %4")
                 .arg(QLatin1String(modes[int(axis_.mode())]))
                 .arg(std::llround(axis_.velocity()))
                 .arg(absolutePosition())
                 .arg(relativePosition());
    lines << QStringLiteral("  switches: left %1, zero %2, right %3")
                 .arg(onOff(axis_.leftLimitActive()), onOff(axis_.zeroSwitchActive()),
                      onOff(axis_.rightLimitActive()));
    lines << QStringLiteral("  start %1, max %2, end %3, accel %4, decel %5, homing %6")
                 .arg(parameters_.startSpeed)
                 .arg(parameters_.maxSpeed)
                 .arg(parameters_.endSpeed)
                 .arg(parameters_.acceleration)
                 .arg(parameters_.deceleration)
                 .arg(parameters_.homingSpeed);
    lines << QStringLiteral("  closed loop: gear %1/%2, absolute %3, relative %4, error %5")
                 .arg(gearNumerator_)
                 .arg(gearDenominator_)
                 .arg(closedLoopAbsolute())
                 .arg(closedLoopRelative())
                 .arg(closedLoopError_);
    QStringList stored;
    for (int n = 1; n < kInputNumbers; ++n) {
        if (!ioCommands_[std::size_t(n)].isEmpty()) {
            stored << QStringLiteral("%1=%2").arg(n).arg(
                QString::fromLatin1(ioCommands_[std::size_t(n)].toHex(' ').toUpper()));
        }
    }
    lines << QStringLiteral("  CAN: %1 frames, bit-rate code %2, last sent %3; speed factor %4; "
                            "accumulated error %5")
                 .arg(canFrameType_ == 1 ? QStringLiteral("extended") : QStringLiteral("standard"))
                 .arg(canBitRate_)
                 .arg(canSent_.isEmpty() ? QStringLiteral("nothing")
                                         : QString::fromLatin1(canSent_.toHex(' ').toUpper()))
                 .arg(speedFactor_)
                 .arg(onOff(accumulatedError_));
    lines << QStringLiteral("  inputs IN5..IN1 %1, K1 %2, K2 %3, IO commands: %4")
                 .arg(inputs_, 5, 2, QLatin1Char('0'))
                 .arg(onOff(output1_), onOff(output2_),
                      stored.isEmpty() ? QStringLiteral("none") : stored.join(QLatin1Char(' ')));
    return lines.join(QLatin1Char('\n'));
}
