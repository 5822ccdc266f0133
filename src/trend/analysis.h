#pragma once

#include <cstddef>
#include <vector>

#include "trend/confidence.h"
#include "trend/deviations.h"

namespace kestrix {

// The chosen statistics of a record at octave averaging times, each point with the noise found
// there, its degrees of freedom and its error bars (ADEV, MDEV, HDEV and TDEV only).

struct StatisticPoint {
    Deviation deviation;
    int alpha = 0;                // the noise type the error bars assume
    double degreesOfFreedom = 0;  // NaN without error bars
    Interval interval;            // NaN without error bars
};

struct StatisticCurve {
    Statistic statistic;
    std::vector<StatisticPoint> points;  // one per octave factor, in order
};

struct AnalysisChoice {
    std::vector<Statistic> statistics;
    // Take a linear frequency drift out before the Allan and modified Allan deviations (and the
    // time deviation, which is the modified Allan deviation scaled); the Hadamard deviation is
    // blind to it already, and TIE and MTIE judge the time error as it is.
    bool removeDrift = false;
};

std::vector<StatisticCurve> analyse(std::vector<double> phase, double tau0, const AnalysisChoice& choice);

// True for the statistics drawn with error bars.
bool hasErrorBars(Statistic statistic);

}  // namespace kestrix
