#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "trend/deviations.h"

namespace kestrix {

// How far to trust a stability figure: the power-law noise behind it, the equivalent degrees of
// freedom of its estimate, and the confidence interval those give.
//
// The noise at an averaging time tau = m tau0 is identified from the data by the lag-1
// autocorrelation of the phase taken every m-th reading, differenced until it looks stationary:
// alpha is 2 for white phase, 1 flicker phase, 0 white frequency, -1 flicker frequency, -2 random
// walk of frequency (down to -4 for the Hadamard deviation, which converges further).
//
// The degrees of freedom follow from the covariance of the terms a statistic averages, which the
// noise type fixes: for M terms whose correlation at lag k is rho(k),
//   edf = M / (1 + 2 sum_{k >= 1} (1 - k / M) rho(k)^2),
// the covariances taken from the generalized autocovariance of power-law phase noise.

// The level of the error bars: one standard deviation of a normal distribution.
inline constexpr double kConfidenceLevel = 0.683;

// The noise type at averaging factor m, or nothing when fewer than 30 readings remain at that
// spacing (too few for the autocorrelation to say). `deepest` is the most differences taken: 2
// for the Allan family, 3 for the Hadamard deviation.
std::optional<int> noiseAlpha(const std::vector<double>& phase, std::size_t m, int deepest = 2);

// The equivalent degrees of freedom of `statistic` (Adev, Mdev, Hdev or Tdev) at averaging factor
// m from `terms` terms, under noise `alpha`; NaN for the other statistics or without a term.
double degreesOfFreedom(Statistic statistic, int alpha, std::size_t m, std::size_t terms);

// The chi-squared distribution's quantile: the x below which a share p of it lies, for `df`
// degrees of freedom (any positive real).
double chiSquaredQuantile(double p, double df);

// The interval around `deviation` at `level` for `edf` degrees of freedom.
struct Interval {
    double low = 0;
    double high = 0;
};
Interval confidenceInterval(double deviation, double edf, double level = kConfidenceLevel);

}  // namespace kestrix
