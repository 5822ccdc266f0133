#include "receiver-sim/oscillator.h"

#include <algorithm>
#include <cmath>

namespace kestrix::sim {

namespace {
constexpr double kLoopTime = 200;             // s, the loop's time constant
constexpr double kRandomWalk = 1e-12;         // fractional frequency step per second (1 sigma)
constexpr double kMeasurementNoise = 0.6e-9;  // s, white phase noise of the time-interval counter
constexpr double kCableOffset = 32.8e-9;      // s, fixed offset of the 1 PPS path
constexpr double kEfcCentre = 48.73;          // % of range
constexpr double kEfcPerFrequency = 1e10;     // % of range per unit of fractional frequency
constexpr double kAgeingPerDay = 0.05;        // % of range the EFC creeps per day
constexpr double kLongestCatchUp = 3600;      // s; a longer silence restarts the walk from where it was
}  // namespace

DisciplinedOscillator::DisciplinedOscillator(std::uint64_t seed) : random_(seed) {}

void DisciplinedOscillator::advanceTo(double seconds) {
    const double whole = std::floor(seconds);
    if (time_ == 0) {
        time_ = started_ = whole;
        return;
    }
    if (whole - time_ > kLongestCatchUp) time_ = whole - kLongestCatchUp;
    const auto steps = static_cast<long>(whole - time_);  // whole seconds to catch up
    for (long step = 0; step < steps; ++step) {
        frequency_ += kRandomWalk * normal_(random_);
        phase_ += frequency_ + steering_;
        integral_ += phase_;
        steering_ = -(2 * phase_ / kLoopTime + integral_ / (kLoopTime * kLoopTime));
    }
    if (steps > 0) time_ += static_cast<double>(steps);
}

double DisciplinedOscillator::timeInterval(double seconds) {
    advanceTo(seconds);
    return kCableOffset + phase_ + kMeasurementNoise * normal_(random_);
}

double DisciplinedOscillator::efcPercent(double seconds) {
    advanceTo(seconds);
    const double days = std::max(0.0, time_ - started_) / 86400;
    return std::clamp(kEfcCentre + kAgeingPerDay * days + kEfcPerFrequency * steering_, 0.0, 100.0);
}

}  // namespace kestrix::sim
