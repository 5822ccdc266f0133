#include "trend/stability.h"

#include <cmath>
#include <limits>

namespace kestrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double secondDifference(const std::vector<double>& x, std::size_t i, std::size_t m) {
    return x[i + 2 * m] - 2 * x[i + m] + x[i];  // NaN when any of the three is a gap
}

// Running sums over the phase with gaps counted apart, so a sum over any stretch of readings and
// whether that stretch holds a gap both cost O(1). The sums are taken about the first reading and
// in extended precision so that a long record does not lose the small differences that matter.
struct PrefixSums {
    std::vector<long double> sum;
    std::vector<std::size_t> gaps;

    explicit PrefixSums(const std::vector<double>& x) : sum(x.size() + 1, 0.0L), gaps(x.size() + 1, 0) {
        double origin = 0;
        for (double value : x) {
            if (!std::isnan(value)) {
                origin = value;
                break;
            }
        }
        for (std::size_t i = 0; i < x.size(); ++i) {
            const bool gap = std::isnan(x[i]);
            sum[i + 1] = sum[i] + (gap ? 0.0L : static_cast<long double>(x[i]) - origin);
            gaps[i + 1] = gaps[i] + (gap ? 1 : 0);
        }
    }
    long double over(std::size_t from, std::size_t to) const { return sum[to] - sum[from]; }
    bool whole(std::size_t from, std::size_t to) const { return gaps[to] == gaps[from]; }
};

void overlappingAllan(const std::vector<double>& x, double tau, std::size_t m, StabilityPoint& out) {
    long double total = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 * m < x.size(); ++i) {
        const double d = secondDifference(x, i, m);
        if (std::isnan(d)) continue;
        total += static_cast<long double>(d) * d;
        ++count;
    }
    out.overlappingCount = count;
    out.overlappingAllanDeviation = count ? static_cast<double>(std::sqrt(total / (2.0L * tau * tau * count))) : kNaN;
}

void allan(const std::vector<double>& x, double tau, std::size_t m, StabilityPoint& out) {
    long double total = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 * m < x.size(); i += m) {
        const double d = secondDifference(x, i, m);
        if (std::isnan(d)) continue;
        total += static_cast<long double>(d) * d;
        ++count;
    }
    out.allanCount = count;
    out.allanDeviation = count ? static_cast<double>(std::sqrt(total / (2.0L * tau * tau * count))) : kNaN;
}

// Time deviation: tau^2 / 3 times the modified Allan variance, that is
//   TVAR = 1 / (6 m^2) * mean over j of ( sum_{i=j}^{j+m-1} (x[i+2m] - 2 x[i+m] + x[i]) )^2,
// each inner sum taken whole over 3m readings or not at all.
void timeDeviation(const std::vector<double>& x, const PrefixSums& sums, std::size_t m, StabilityPoint& out) {
    long double total = 0;
    std::size_t count = 0;
    for (std::size_t j = 0; j + 3 * m <= x.size(); ++j) {
        if (!sums.whole(j, j + 3 * m)) continue;
        const long double inner =
            sums.over(j + 2 * m, j + 3 * m) - 2 * sums.over(j + m, j + 2 * m) + sums.over(j, j + m);
        total += inner * inner;
        ++count;
    }
    const long double mm = static_cast<long double>(m) * m;
    out.timeCount = count;
    out.timeDeviation = count ? static_cast<double>(std::sqrt(total / (6.0L * mm * count))) : kNaN;
}

}  // namespace

StabilityPoint stabilityAt(const std::vector<double>& phase, double tau0, std::size_t m) {
    StabilityPoint point;
    point.averagingFactor = m;
    point.tau = tau0 * static_cast<double>(m);
    overlappingAllan(phase, point.tau, m, point);
    allan(phase, point.tau, m, point);
    timeDeviation(phase, PrefixSums(phase), m, point);
    return point;
}

std::vector<std::size_t> octaveFactors(std::size_t phaseCount) {
    std::vector<std::size_t> factors;
    for (std::size_t m = 1; phaseCount > 0 && 3 * m <= phaseCount - 1; m *= 2) factors.push_back(m);
    return factors;
}

std::vector<StabilityPoint> stabilityTable(const std::vector<double>& phase, double tau0) {
    std::vector<StabilityPoint> rows;
    const std::vector<std::size_t> factors = octaveFactors(phase.size());
    if (factors.empty()) return rows;
    const PrefixSums sums(phase);
    for (std::size_t m : factors) {
        StabilityPoint point;
        point.averagingFactor = m;
        point.tau = tau0 * static_cast<double>(m);
        overlappingAllan(phase, point.tau, m, point);
        allan(phase, point.tau, m, point);
        timeDeviation(phase, sums, m, point);
        rows.push_back(point);
    }
    return rows;
}

std::vector<double> phaseFromFrequency(const std::vector<double>& frequency, double tau0) {
    std::vector<double> phase;
    phase.reserve(frequency.size() + 1);
    phase.push_back(0.0);
    for (double y : frequency) phase.push_back(phase.back() + y * tau0);
    return phase;
}

}  // namespace kestrix
