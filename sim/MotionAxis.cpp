#include "MotionAxis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

double signOf(double value) {
    return value < 0 ? -1.0 : 1.0;
}

// Time to cover |distance| from speed |v0| under acceleration a along the motion; this form
// stays exact for a = 0 and picks the first crossing when decelerating.
double timeToTravel(double v0, double acceleration, double distance) {
    const double direction = signOf(v0 != 0 ? v0 : acceleration);
    const double u0 = std::abs(v0);
    const double along = acceleration * direction;
    const double d = std::abs(distance);
    const double denominator = u0 + std::sqrt(std::max(0.0, u0 * u0 + 2 * along * d));
    return denominator > 0 ? 2 * d / denominator : 0;
}

} // namespace

MotionAxis::MotionAxis(SwitchLayout layout) : layout_(layout) {}

qint64 MotionAxis::position() const {
    return std::llround(position_);
}

void MotionAxis::advanceTo(qint64 nowMs) {
    nowS_ = std::max(nowS_, static_cast<double>(nowMs) / 1000.0);
    while (mode_ != Mode::Idle && evaluate(nowS_)) {
    }
}

// Walks the plan up to nowS. Returns true when a homing search reversed at a limit switch,
// which starts a new plan that has to be walked from its own start.
bool MotionAxis::evaluate(double nowS) {
    const double t = nowS - planStartS_;
    double x = planStartPosition_;
    double segmentStart = 0;
    for (const Segment& segment : segments_) {
        const double segmentEnd = segmentStart + segment.duration;
        const double dt = std::max(0.0, std::min(segmentEnd, t) - segmentStart);
        const double xEnd = x + segment.startVelocity * dt + 0.5 * segment.acceleration * dt * dt;
        const double direction =
            signOf(segment.startVelocity != 0 ? segment.startVelocity : segment.acceleration);
        if (mode_ == Mode::Homing) {
            const double zero = static_cast<double>(layout_.zeroSwitch);
            const bool reached =
                direction > 0 ? (x <= zero && xEnd >= zero) : (x >= zero && xEnd <= zero);
            if (reached) {
                finishAt(zero);
                ++homingsCompleted_;
                return false;
            }
        }
        const double limit =
            static_cast<double>(direction > 0 ? layout_.rightLimit : layout_.leftLimit);
        const bool limitHit = direction > 0 ? xEnd >= limit : xEnd <= limit;
        if (limitHit) {
            if (mode_ == Mode::Homing && !homingReversed_) {
                homingReversed_ = true;
                planStartS_ += segmentStart +
                               timeToTravel(segment.startVelocity, segment.acceleration, limit - x);
                planStartPosition_ = limit;
                position_ = limit;
                velocity_ = 0;
                double unused = 0;
                segments_ = runSegments(-direction * homingSpeed_, homingProfile_, &unused);
                return true;
            }
            finishAt(limit);
            return false;
        }
        if (t < segmentEnd) {
            position_ = xEnd;
            velocity_ = segment.startVelocity + segment.acceleration * dt;
            return false;
        }
        x = xEnd;
        segmentStart = segmentEnd;
    }
    finishAt(mode_ == Mode::Move ? static_cast<double>(moveTarget_) : std::round(x));
    return false;
}

void MotionAxis::startPlan(Mode mode, QList<Segment> segments) {
    mode_ = mode;
    planStartS_ = nowS_;
    planStartPosition_ = position_;
    segments_ = std::move(segments);
    evaluate(nowS_);
}

void MotionAxis::finishAt(double position) {
    mode_ = Mode::Idle;
    position_ = position;
    velocity_ = 0;
    segments_.clear();
}

// Ramp from the present speed down to the end speed; the step from there to standstill is
// what a stepper does at its end speed.
QList<MotionAxis::Segment> MotionAxis::stoppingSegments(const MotionProfile& profile,
                                                        double* distance) const {
    *distance = 0;
    const double speed = std::abs(velocity_);
    if (mode_ == Mode::Idle || speed == 0) {
        return {};
    }
    const double direction = signOf(velocity_);
    const double endSpeed = std::min(profile.endSpeed, speed);
    if (speed <= endSpeed) {
        return {};
    }
    *distance = direction * (speed * speed - endSpeed * endSpeed) / (2 * profile.deceleration);
    return {
        {(speed - endSpeed) / profile.deceleration, velocity_, -direction * profile.deceleration}};
}

// Segments of a run at signedSpeed from the present state: a stop first when the axis moves
// the other way or is not running, then a ramp from the start speed (or the present speed)
// and a cruise without end. startPosition receives where the new ramp begins.
QList<MotionAxis::Segment> MotionAxis::runSegments(double signedSpeed, const MotionProfile& profile,
                                                   double* startPosition) const {
    const double direction = signOf(signedSpeed);
    const double target = std::abs(signedSpeed);
    QList<Segment> segments;
    double from = std::min(profile.startSpeed, target);
    *startPosition = position_;
    const bool sameDirectionRun =
        mode_ == Mode::Run && velocity_ != 0 && signOf(velocity_) == direction;
    if (sameDirectionRun) {
        from = std::abs(velocity_);
    } else {
        double distance = 0;
        segments = stoppingSegments(profile, &distance);
        *startPosition += distance;
    }
    if (target > from) {
        segments.append({(target - from) / profile.acceleration, direction * from,
                         direction * profile.acceleration});
    } else if (target < from) {
        segments.append({(from - target) / profile.deceleration, direction * from,
                         -direction * profile.deceleration});
    }
    segments.append({kForever, direction * target, 0});
    return segments;
}

void MotionAxis::moveBy(qint64 pulses, const MotionProfile& profile, qint64 nowMs) {
    advanceTo(nowMs);
    double stopDistance = 0;
    QList<Segment> segments = stoppingSegments(profile, &stopDistance);
    const double from = position_ + stopDistance;
    moveTarget_ = std::llround(from) + pulses;
    const double distance = static_cast<double>(moveTarget_) - from;
    const double length = std::abs(distance);
    const double direction = signOf(distance);
    if (length > 0) {
        const double vMax = profile.maxSpeed;
        const double vs = std::min(profile.startSpeed, vMax);
        const double ve = std::min(profile.endSpeed, vMax);
        const double a = profile.acceleration;
        const double d = profile.deceleration;
        const auto rampUp = [&](double v) { return (v * v - vs * vs) / (2 * a); };
        const auto rampDown = [&](double v) { return (v * v - ve * ve) / (2 * d); };
        double peak = vMax;
        if (rampUp(vMax) + rampDown(vMax) > length) {
            peak = std::sqrt((2 * a * d * length + d * vs * vs + a * ve * ve) / (a + d));
        }
        if (peak < std::max(vs, ve)) {
            // Too short for a ramp between start and end speed: one pass at the higher one.
            const double speed = std::max(vs, ve);
            segments.append({length / speed, direction * speed, 0});
        } else {
            if (peak > vs) {
                segments.append({(peak - vs) / a, direction * vs, direction * a});
            }
            const double cruise = length - rampUp(peak) - rampDown(peak);
            if (cruise > 0) {
                segments.append({cruise / peak, direction * peak, 0});
            }
            if (peak > ve) {
                segments.append({(peak - ve) / d, direction * peak, -direction * d});
            }
        }
    }
    startPlan(Mode::Move, std::move(segments));
}

void MotionAxis::run(double signedSpeed, const MotionProfile& profile, qint64 nowMs) {
    advanceTo(nowMs);
    if (signedSpeed == 0) {
        stopDecelerating(profile, nowMs);
        return;
    }
    double unused = 0;
    QList<Segment> segments = runSegments(signedSpeed, profile, &unused);
    runDirection_ = signOf(signedSpeed);
    startPlan(Mode::Run, std::move(segments));
}

void MotionAxis::changeRunSpeed(double speed, const MotionProfile& profile, qint64 nowMs) {
    advanceTo(nowMs);
    if (mode_ == Mode::Run) {
        run(runDirection_ * speed, profile, nowMs);
    }
}

void MotionAxis::home(bool negative, double speed, const MotionProfile& profile, qint64 nowMs) {
    advanceTo(nowMs);
    const double signedSpeed = negative ? -speed : speed;
    double unused = 0;
    QList<Segment> segments = runSegments(signedSpeed, profile, &unused);
    homingSpeed_ = speed;
    homingProfile_ = profile;
    homingReversed_ = false;
    startPlan(Mode::Homing, std::move(segments));
}

void MotionAxis::stopNow(qint64 nowMs) {
    advanceTo(nowMs);
    if (mode_ != Mode::Idle) {
        finishAt(std::round(position_));
    }
}

void MotionAxis::stopDecelerating(const MotionProfile& profile, qint64 nowMs) {
    advanceTo(nowMs);
    if (mode_ == Mode::Idle) {
        return;
    }
    double unused = 0;
    startPlan(Mode::Stopping, stoppingSegments(profile, &unused));
}
