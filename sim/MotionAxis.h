#pragma once

#include <QList>
#include <QtGlobal>

// Speeds in pulses per second, accelerations in pulses per second squared.
struct MotionProfile {
    double startSpeed = 0;
    double maxSpeed = 1;
    double endSpeed = 0;
    double acceleration = 1;
    double deceleration = 1;
};

// Physical positions (pulses) of the switches along the travel; left < zero < right.
struct SwitchLayout {
    qint64 leftLimit = -1000000;
    qint64 zeroSwitch = 0;
    qint64 rightLimit = 1000000;
};

// One stepper axis. A motion is a plan of constant-acceleration segments from a start time;
// the state at any later time is computed from the plan, so the caller controls time and
// nothing has to tick at a fixed rate. Every segment keeps one sign of velocity, which lets
// switch crossings be found from the segment's end points.
class MotionAxis {
public:
    enum class Mode { Idle, Move, Run, Homing, Stopping };

    explicit MotionAxis(SwitchLayout layout = {});

    // Time never runs backwards: an earlier time than the last one is taken as the last one.
    void advanceTo(qint64 nowMs);

    // A new motion while the axis moves first ramps down to a stop, except a run in the same
    // direction, which ramps straight to its new speed.
    void moveBy(qint64 pulses, const MotionProfile& profile, qint64 nowMs);
    void run(double signedSpeed, const MotionProfile& profile, qint64 nowMs);
    // Only while running: ramps to the new speed in the running direction.
    void changeRunSpeed(double speed, const MotionProfile& profile, qint64 nowMs);
    // Searches the zero switch; meeting a limit switch first reverses the search once.
    void home(bool negative, double speed, const MotionProfile& profile, qint64 nowMs);
    void stopNow(qint64 nowMs);
    void stopDecelerating(const MotionProfile& profile, qint64 nowMs);

    Mode mode() const { return mode_; }
    bool isMoving() const { return mode_ != Mode::Idle; }
    double velocity() const { return velocity_; }
    qint64 position() const;
    bool leftLimitActive() const { return position() <= layout_.leftLimit; }
    bool zeroSwitchActive() const { return position() == layout_.zeroSwitch; }
    bool rightLimitActive() const { return position() >= layout_.rightLimit; }
    int homingsCompleted() const { return homingsCompleted_; }
    // Where the last moveBy ends unless a stop or a limit switch intervenes.
    qint64 moveTarget() const { return moveTarget_; }
    const SwitchLayout& layout() const { return layout_; }

private:
    struct Segment {
        double duration;
        double startVelocity;
        double acceleration;
    };

    bool evaluate(double nowS);
    void startPlan(Mode mode, QList<Segment> segments);
    void finishAt(double position);
    QList<Segment> stoppingSegments(const MotionProfile& profile, double* distance) const;
    QList<Segment> runSegments(double signedSpeed, const MotionProfile& profile,
                               double* startPosition) const;

    SwitchLayout layout_;
    Mode mode_ = Mode::Idle;
    double nowS_ = 0;
    double position_ = 0;
    double velocity_ = 0;
    double planStartS_ = 0;
    double planStartPosition_ = 0;
    QList<Segment> segments_;
    qint64 moveTarget_ = 0;
    double runDirection_ = 0;
    double homingSpeed_ = 0;
    MotionProfile homingProfile_;
    bool homingReversed_ = false;
    int homingsCompleted_ = 0;
};
