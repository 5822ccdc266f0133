#include "trend/deviations.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrix::trend {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct NameOf {
    Statistic statistic;
    const char* name;
    bool time;
};
constexpr NameOf kNames[] = {{Statistic::Adev, "Overlapping ADEV", false}, {Statistic::Mdev, "MDEV", false},
                             {Statistic::Hdev, "Overlapping HDEV", false}, {Statistic::Tdev, "TDEV (s)", true},
                             {Statistic::TieRms, "TIE rms (s)", true},     {Statistic::Mtie, "MTIE (s)", true}};

const NameOf& entry(Statistic statistic) {
    return *std::find_if(std::begin(kNames), std::end(kNames),
                         [&](const NameOf& n) { return n.statistic == statistic; });
}

// The mean square of the terms gathered, or NaN when there were none.
struct MeanSquare {
    long double total = 0;
    std::size_t count = 0;
    void add(long double term) {
        total += term * term;
        ++count;
    }
    double rootOf(long double scale) const {
        return count ? static_cast<double>(std::sqrt(total / (scale * static_cast<long double>(count)))) : kNaN;
    }
};

Deviation overlappingAllan(const std::vector<double>& x, double tau, std::size_t m) {
    MeanSquare terms;
    for (std::size_t i = 0; i + 2 * m < x.size(); ++i) {
        const double d = x[i + 2 * m] - 2 * x[i + m] + x[i];  // NaN when any reading is a gap
        if (!std::isnan(d)) terms.add(d);
    }
    return {tau, m, terms.count, terms.rootOf(2.0L * tau * tau)};
}

Deviation overlappingHadamard(const std::vector<double>& x, double tau, std::size_t m) {
    MeanSquare terms;
    for (std::size_t i = 0; i + 3 * m < x.size(); ++i) {
        const long double d = static_cast<long double>(x[i + 3 * m]) - 3.0L * x[i + 2 * m] + 3.0L * x[i + m] - x[i];
        if (!std::isnan(d)) terms.add(d);
    }
    return {tau, m, terms.count, terms.rootOf(6.0L * tau * tau)};
}

// The sums behind the modified Allan and time deviations:
//   S_j = sum_{i=j}^{j+m-1} (x[i+2m] - 2 x[i+m] + x[i]), each taken whole over 3m readings or not at all.
MeanSquare averagedSecondDifferences(const PhaseData& data, std::size_t m) {
    MeanSquare terms;
    for (std::size_t j = 0; j + 3 * m <= data.size(); ++j) {
        if (!data.whole(j, j + 3 * m)) continue;
        terms.add(data.sumOver(j + 2 * m, j + 3 * m) - 2 * data.sumOver(j + m, j + 2 * m) + data.sumOver(j, j + m));
    }
    return terms;
}

Deviation timeInterval(const std::vector<double>& x, double tau, std::size_t m) {
    MeanSquare terms;
    for (std::size_t i = 0; i + m < x.size(); ++i) {
        const double d = x[i + m] - x[i];
        if (!std::isnan(d)) terms.add(d);
    }
    return {tau, m, terms.count, terms.rootOf(1.0L)};
}

// The largest peak-to-peak phase over every window of m + 1 readings in a row that holds no gap,
// with a sliding maximum and minimum: each reading enters and leaves each queue once, so the cost
// is linear in the length of the record whatever the window.
Deviation maximumTimeInterval(const std::vector<double>& x, double tau, std::size_t m) {
    Deviation out{tau, m, 0, kNaN};
    std::vector<std::size_t> highs(x.size()), lows(x.size());  // indices, values falling / rising
    double largest = -1;
    std::size_t runStart = 0;
    std::size_t hHead = 0, hTail = 0, lHead = 0, lTail = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::isnan(x[i])) {
            runStart = i + 1;
            hHead = hTail = lHead = lTail = 0;
            continue;
        }
        while (hTail > hHead && x[highs[hTail - 1]] <= x[i]) --hTail;
        highs[hTail++] = i;
        while (lTail > lHead && x[lows[lTail - 1]] >= x[i]) --lTail;
        lows[lTail++] = i;
        if (i - runStart < m) continue;  // the window [i - m, i] is not yet full
        const std::size_t first = i - m;
        while (highs[hHead] < first) ++hHead;
        while (lows[lHead] < first) ++lHead;
        largest = std::max(largest, x[highs[hHead]] - x[lows[lHead]]);
        ++out.count;
    }
    if (out.count) out.value = largest;
    return out;
}

}  // namespace

std::string statisticName(Statistic statistic) { return entry(statistic).name; }

bool isTimeStatistic(Statistic statistic) { return entry(statistic).time; }

PhaseData::PhaseData(std::vector<double> phase, double tau0)
    : x_(std::move(phase)), tau0_(tau0), sum_(x_.size() + 1, 0.0L), gaps_(x_.size() + 1, 0) {
    double origin = 0;
    for (double value : x_) {
        if (!std::isnan(value)) {
            origin = value;
            break;
        }
    }
    for (std::size_t i = 0; i < x_.size(); ++i) {
        const bool gap = std::isnan(x_[i]);
        sum_[i + 1] = sum_[i] + (gap ? 0.0L : static_cast<long double>(x_[i]) - origin);
        gaps_[i + 1] = gaps_[i] + (gap ? 1 : 0);
    }
}

Deviation deviation(const PhaseData& data, Statistic statistic, std::size_t m) {
    const double tau = data.tau0() * static_cast<double>(m);
    if (m == 0) return {tau, m, 0, kNaN};
    const std::vector<double>& x = data.phase();
    const long double mm = static_cast<long double>(m) * m;
    switch (statistic) {
        case Statistic::Adev: return overlappingAllan(x, tau, m);
        case Statistic::Hdev: return overlappingHadamard(x, tau, m);
        case Statistic::Mdev: {
            const MeanSquare s = averagedSecondDifferences(data, m);
            return {tau, m, s.count, s.rootOf(2.0L * mm * tau * tau)};
        }
        case Statistic::Tdev: {
            const MeanSquare s = averagedSecondDifferences(data, m);
            return {tau, m, s.count, s.rootOf(6.0L * mm)};
        }
        case Statistic::TieRms: return timeInterval(x, tau, m);
        case Statistic::Mtie: return maximumTimeInterval(x, tau, m);
    }
    return {tau, m, 0, kNaN};
}

std::vector<double> withoutFrequencyDrift(const std::vector<double>& phase) {
    // Least squares of x = a + b t + c t^2 over the readings present, t centred and scaled to
    // [-1, 1] so the normal equations stay well conditioned for any length.
    const std::size_t n = phase.size();
    if (n < 3) return phase;
    const long double centre = (static_cast<long double>(n) - 1) / 2, half = std::max<long double>(centre, 1);
    long double s[5] = {}, r[3] = {};  // sums of t^k and of x t^k
    std::size_t present = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isnan(phase[i])) continue;
        ++present;
        const long double t = (static_cast<long double>(i) - centre) / half;
        long double power = 1;
        for (int k = 0; k < 5; ++k, power *= t) {
            s[k] += power;
            if (k < 3) r[k] += power * phase[i];
        }
    }
    if (present < 3) return phase;
    // Cramer's rule on the symmetric 3 x 3 system [s0 s1 s2; s1 s2 s3; s2 s3 s4] (a b c) = r.
    auto det3 = [](long double a, long double b, long double c, long double d, long double e, long double f,
                   long double g, long double h,
                   long double i) { return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g); };
    const long double det = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    if (det == 0) return phase;
    const long double a = det3(r[0], s[1], s[2], r[1], s[2], s[3], r[2], s[3], s[4]) / det;
    const long double b = det3(s[0], r[0], s[2], s[1], r[1], s[3], s[2], r[2], s[4]) / det;
    const long double c = det3(s[0], s[1], r[0], s[1], s[2], r[1], s[2], s[3], r[2]) / det;
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const long double t = (static_cast<long double>(i) - centre) / half;
        out[i] = std::isnan(phase[i]) ? kNaN : static_cast<double>(phase[i] - (a + b * t + c * t * t));
    }
    return out;
}

}  // namespace kestrix::trend
