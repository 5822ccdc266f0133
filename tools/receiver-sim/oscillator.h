#pragma once

#include <cstdint>
#include <random>

namespace kestrix::sim {

// The receiver's oven oscillator disciplined to GPS, for the time-interval and EFC queries: its
// frequency wanders as a slow random walk, a critically damped loop steers its 1 PPS back to the
// GPS 1 PPS through the control voltage (EFC), which also creeps with the crystal's ageing; the
// time-interval reading adds white measurement noise. The model advances in one-second steps
// to the time it is asked at.
class DisciplinedOscillator {
public:
    explicit DisciplinedOscillator(std::uint64_t seed = 0x4b657374726978ull);

    // The 1 PPS time interval, oscillator to GPS, in seconds, at `seconds` since 1970.
    double timeInterval(double seconds);
    // The control voltage as a percentage of its range.
    double efcPercent(double seconds);

private:
    void advanceTo(double seconds);

    std::mt19937_64 random_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    double time_ = 0;  // whole seconds reached; 0 before the first question
    double started_ = 0;
    double phase_ = 0;      // seconds
    double frequency_ = 0;  // fractional, free-running
    double integral_ = 0;   // phase integrated by the loop
    double steering_ = 0;   // fractional, applied through the EFC
};

}  // namespace kestrix::sim
