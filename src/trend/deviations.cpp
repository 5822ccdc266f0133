#include "trend/deviations.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct NameOf {
    Statistic statistic;
    const char* name;
    const char* shortName;
    bool time;
};
constexpr NameOf kNames[] = {
    {Statistic::Adev, "Overlapping ADEV", "ADEV", false}, {Statistic::Mdev, "MDEV", "MDEV", false},
    {Statistic::Hdev, "Overlapping HDEV", "HDEV", false}, {Statistic::Tdev, "TDEV (s)", "TDEV", true},
    {Statistic::TieRms, "TIE rms (s)", "TIE rms", true},  {Statistic::Mtie, "MTIE (s)", "MTIE", true}};

const NameOf& entry(Statistic statistic) {
    return *std::find_if(std::begin(kNames), std::end(kNames),
                         [&](const NameOf& n) { return n.statistic == statistic; });
}

// The mean square of the terms gathered, or NaN when there were none. Squares are summed in
// double a block at a time and the blocks in extended precision: fast, and no loss over a month.
struct MeanSquare {
    long double total = 0;
    double block = 0;
    std::size_t count = 0;
    void add(double term) {
        block += term * term;
        if (++count % 4096 == 0) total += block, block = 0;
    }
    double rootOf(long double scale) const {
        return count ? static_cast<double>(std::sqrt((total + block) / (scale * static_cast<long double>(count))))
                     : kNaN;
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
        const double d = (x[i + 3 * m] - x[i]) - 3 * (x[i + 2 * m] - x[i + m]);
        if (!std::isnan(d)) terms.add(d);
    }
    return {tau, m, terms.count, terms.rootOf(6.0L * tau * tau)};
}

// The sums behind the modified Allan and time deviations:
//   S_j = sum_{i=j}^{j+m-1} (x[i+2m] - 2 x[i+m] + x[i]), each taken over 3m readings without a gap.
// Within a run between gaps S_{j+1} = S_j + x[j+3m] - 3 x[j+2m] + 3 x[j+m] - x[j], kept in
// extended precision so the running sum does not wander over millions of steps.
MeanSquare averagedSecondDifferences(const PhaseData& data, std::size_t m) {
    const std::vector<double>& x = data.phase();
    MeanSquare terms;
    for (const PhaseData::Run& run : data.runs()) {
        if (run.to - run.from < 3 * m) continue;
        long double inner = 0;
        for (std::size_t i = run.from; i < run.from + m; ++i)
            inner += static_cast<long double>(x[i + 2 * m]) - 2.0L * x[i + m] + x[i];
        for (std::size_t j = run.from;; ++j) {
            terms.add(static_cast<double>(inner));
            if (j + 3 * m >= run.to) break;
            inner += (static_cast<long double>(x[j + 3 * m]) - x[j]) - 3.0L * (x[j + 2 * m] - x[j + m]);
        }
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

// The larger and the smaller of two readings, a gap (NaN) in either giving a gap.
double higher(double a, double b) { return (a > b || a != a) ? a : b; }
double lower(double a, double b) { return (a < b || a != a) ? a : b; }

}  // namespace

std::string statisticName(Statistic statistic) { return entry(statistic).name; }

std::string statisticShortName(Statistic statistic) { return entry(statistic).shortName; }

bool isTimeStatistic(Statistic statistic) { return entry(statistic).time; }

PhaseData::PhaseData(std::vector<double> phase, double tau0) : x_(std::move(phase)), tau0_(tau0) {
    for (std::size_t i = 0; i < x_.size();) {
        while (i < x_.size() && std::isnan(x_[i])) ++i;
        const std::size_t from = i;
        while (i < x_.size() && !std::isnan(x_[i])) ++i;
        if (i > from) runs_.push_back({from, i});
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

std::vector<Deviation> mtieAtOctaves(const std::vector<double>& phase, double tau0, std::size_t largest) {
    std::vector<Deviation> out;
    std::vector<double> highs = phase, lows = phase;  // of the window of m + 1 readings starting at i
    std::size_t windows = phase.size();               // windows of the current length
    for (std::size_t m = 1, span = 0; m <= largest && m < phase.size(); span = m, m *= 2) {
        // From windows of span + 1 readings to windows of m + 1 = 2 span + 1 (from single readings at first).
        const std::size_t step = span == 0 ? 1 : span;
        windows -= step;
        Deviation d{tau0 * static_cast<double>(m), m, 0, kNaN};
        double largestSpread = -1;
        for (std::size_t i = 0; i < windows; ++i) {
            highs[i] = higher(highs[i], highs[i + step]);
            lows[i] = lower(lows[i], lows[i + step]);
            const double spread = highs[i] - lows[i];
            if (spread != spread) continue;
            ++d.count;
            largestSpread = std::max(largestSpread, spread);
        }
        if (d.count) d.value = largestSpread;
        out.push_back(d);
    }
    return out;
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
        for (int k = 0; k < 5; ++k) {
            s[k] += power;
            if (k < 3) r[k] += power * phase[i];
            power *= t;
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

}  // namespace kestrix
