#pragma once

#include "CommandTable.h"
#include "MotionAxis.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The six motion parameters as the driver stores them (pulses/s and pulses/s²).
struct MotionParameters {
    qint32 startSpeed = 500;
    qint32 maxSpeed = 10000;
    qint32 endSpeed = 500;
    qint32 acceleration = 20000;
    qint32 deceleration = 20000;
    qint32 homingSpeed = 2000;
};

// Highest speed any command accepts, and the highest acceleration.
constexpr qint32 kSpeedLimit = 1000000;
constexpr qint32 kAccelerationLimit = 100000000;
// Highest register base: register numbers stay 16-bit for every command code.
constexpr qint32 kRegisterBaseLimit = 65503;
constexpr qint32 kGearLimit = 65535;

// One simulated driver: its settings, its axis and counters, the closed-loop side, its
// inputs and outputs, and the IO substitution commands stored per input number.
class SimulatedDriver {
public:
    struct Outcome {
        quint8 error = DriveError::None;
        QByteArray data; // the reply's data bytes; empty for an acknowledgement
    };

    SimulatedDriver(quint8 address, SwitchLayout switches, quint8 baudCode);

    // The caller has checked that the code is known and the data length fits its shape.
    Outcome execute(quint8 code, QByteArrayView data, qint64 nowMs);
    void advanceTo(qint64 nowMs);

    // Sets IN1 (bit 0) to IN5 (bit 4), 1 = active. Returns the stored IO substitution
    // command ([code][length][data]) that the new combination selects, if any.
    QByteArray setInputs(quint8 inputs, qint64 nowMs);

    quint8 address() const { return address_; }
    quint8 baudCode() const { return baudCode_; }
    bool checksumIgnored() const { return checksumIgnored_; }
    bool padsReplies() const { return padReplies_; }
    std::optional<quint8> lastCharacter() const;
    quint16 registerBase() const { return registerBase_; }
    const MotionAxis& axis() const { return axis_; }
    qint64 absolutePosition() const;
    qint64 relativePosition() const;
    qint64 closedLoopAbsolute() const;
    qint64 closedLoopRelative() const;

    // Several lines describing the state, for the console.
    QString summary() const;

private:
    Outcome setParameter(qint32* field, QByteArrayView data, qint32 min, qint32 max);
    Outcome setFlag(bool* field, QByteArrayView data);
    Outcome storeIoCommand(QByteArrayView data);
    Outcome startClosedLoopMove(double counts, qint64 nowMs);
    void startMove(qint64 pulses, qint64 nowMs);
    void restoreFactorySettings();
    MotionProfile profile() const;
    double countsPerPulse() const;
    void noteHoming();

    quint8 address_;
    quint8 baudCode_;
    MotionParameters parameters_;
    MotionAxis axis_;
    int homingsSeen_ = 0;
    qint64 absoluteOrigin_ = 0;
    qint64 relativeOrigin_ = 0;
    qint32 speedFactor_ = 500;
    quint16 registerBase_ = 0;
    bool checksumIgnored_ = false;
    bool padReplies_ = false;
    bool lastCharacterOn_ = false;
    quint8 lastCharacter_ = 0;
    bool output1_ = false;
    bool output2_ = false;
    quint8 canFrameType_ = 0;
    quint8 canBitRate_ = 12;
    QByteArray canSent_;
    quint8 inputs_ = 0;
    std::array<QByteArray, 32> ioCommands_;

    qint32 gearNumerator_ = 1;
    qint32 gearDenominator_ = 1;
    bool encoderReversed_ = false;
    bool controlReversed_ = false;
    bool accumulatedError_ = false;
    qint64 closedLoopAbsoluteOrigin_ = 0;
    qint64 closedLoopRelativeOrigin_ = 0;
    bool closedLoopMoveActive_ = false;
    qint64 closedLoopTarget_ = 0;
    quint8 closedLoopError_ = 0;
};
