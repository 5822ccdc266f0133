#pragma once

#include <cstddef>
#include <vector>

namespace kestrix {

// Frequency stability from phase data.
//
// Phase data are time offsets in seconds taken every `tau0` seconds; a missing reading is a gap,
// written as NaN. A gap is never bridged: every difference that would need a missing reading is
// left out, and each figure is averaged over the differences that remain.
//
//   stabilityAt         one averaging factor: Allan, overlapping Allan and time deviation
//   octaveFactors       1, 2, 4, ... up to a third of the span
//   stabilityTable      stabilityAt over octaveFactors
//   phaseFromFrequency  integrates fractional-frequency readings into phase data

// The figures at one averaging time tau = m * tau0. A figure with no difference to average is NaN.
struct StabilityPoint {
    double tau = 0;                    // seconds
    std::size_t averagingFactor = 0;   // m
    std::size_t overlappingCount = 0;  // second differences behind the overlapping Allan deviation
    std::size_t allanCount = 0;        // second differences behind the (non-overlapping) Allan deviation
    std::size_t timeCount = 0;         // third-order sums behind the time deviation
    double allanDeviation = 0;
    double overlappingAllanDeviation = 0;
    double timeDeviation = 0;
};

StabilityPoint stabilityAt(const std::vector<double>& phase, double tau0, std::size_t m);

// The averaging factors 1, 2, 4, ... whose averaging time is at most a third of the span of
// `phaseCount` readings (the span being (phaseCount - 1) * tau0).
std::vector<std::size_t> octaveFactors(std::size_t phaseCount);

std::vector<StabilityPoint> stabilityTable(const std::vector<double>& phase, double tau0);

// Phase data from fractional-frequency readings y taken every tau0: x[0] = 0, x[i+1] = x[i] + y[i] * tau0.
// A gap in y would leave every later phase unknown, so once one appears the rest of the phase is gaps.
std::vector<double> phaseFromFrequency(const std::vector<double>& frequency, double tau0);

}  // namespace kestrix
