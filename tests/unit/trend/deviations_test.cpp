#include "trend/deviations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <random>

#include "trend/confidence.h"
#include "trend/masks.h"
#include "trend/stability.h"

namespace kestrix {
namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
using S = Statistic;

// The 1000-point data set of NIST SP 1065 (section 12.3): n(0) = 1234567890,
// n(i+1) = 16807 n(i) mod (2^31 - 1), y(i) = n(i) / (2^31 - 1), integrated to phase.
std::vector<double> thousandPointPhase() {
    std::vector<double> y;
    std::uint64_t n = 1234567890;
    for (int i = 0; i < 1000; ++i) {
        y.push_back(static_cast<double>(n) / 2147483647.0);
        n = (16807 * n) % 2147483647;
    }
    return phaseFromFrequency(y, 1.0);
}

// PHASE.DAT, the 1001-point phase file distributed with Stable32, tau0 = 1 s.
std::vector<double> phaseDat() {
    std::ifstream in(KESTRIX_TEST_DATA "/phase_dat.txt");
    std::vector<double> x;
    for (double v; in >> v;) x.push_back(v);
    return x;
}

void expectDigits(double actual, double expected, int significantDigits) {
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - (significantDigits - 1));
    EXPECT_NEAR(actual, expected, unit / 2) << "expected " << expected;
}

struct Published {
    Statistic statistic;
    std::size_t m;
    double value;
    int digits;
    std::size_t count = 0;  // 0: not published
};

void expectPublished(const std::vector<double>& x, const std::vector<Published>& table) {
    const PhaseData data(x, 1.0);
    for (const Published& p : table) {
        SCOPED_TRACE(statisticName(p.statistic) + " m=" + std::to_string(p.m));
        const Deviation d = deviation(data, p.statistic, p.m);
        expectDigits(d.value, p.value, p.digits);
        if (p.count) {
            EXPECT_EQ(d.count, p.count);
        }
    }
}

TEST(Deviations, NistDataSetsMatchTheirPublishedValues) {
    // The 10-point data set (the 9 frequencies 892 ... 677 integrated): NIST SP 1065, Table 31
    // (section 12.2), overlapping ADEV, MDEV, overlapping HDEV and TDEV at tau = 1 and 2.
    const std::vector<double> tenPoint = phaseFromFrequency({892, 809, 823, 798, 671, 644, 883, 903, 677}, 1.0);
    expectPublished(tenPoint, {{S::Adev, 1, 91.22945, 7},
                               {S::Adev, 2, 85.95287, 7},
                               {S::Mdev, 1, 91.22945, 7},
                               {S::Mdev, 2, 74.78849, 7},
                               {S::Hdev, 1, 70.80607, 7},
                               {S::Hdev, 2, 85.61487, 7},
                               {S::Tdev, 1, 52.67135, 7},
                               {S::Tdev, 2, 86.35831, 7}});
    // The 1000-point data set: NIST SP 1065, Table 32 (section 12.3, p. 108), tau = 1, 10, 100.
    expectPublished(thousandPointPhase(), {{S::Adev, 1, 2.922319e-01, 7},
                                           {S::Adev, 10, 9.159953e-02, 7},
                                           {S::Adev, 100, 3.241343e-02, 7},
                                           {S::Mdev, 1, 2.922319e-01, 7},
                                           {S::Mdev, 10, 6.172376e-02, 7},
                                           {S::Mdev, 100, 2.170921e-02, 7},
                                           {S::Hdev, 1, 2.943883e-01, 7},
                                           {S::Hdev, 10, 9.581083e-02, 7},
                                           {S::Hdev, 100, 3.237638e-02, 7},
                                           {S::Tdev, 1, 1.687202e-01, 7},
                                           {S::Tdev, 10, 3.563623e-01, 7},
                                           {S::Tdev, 100, 1.253382e+00, 7}});
}

TEST(Deviations, PhaseDatMatchesStable32sOwnResults) {
    const std::vector<double> x = phaseDat();
    ASSERT_EQ(x.size(), 1001u);
    // Stable32's result files for PHASE.DAT (sigma types Overlapping Allan, Modified Allan,
    // Overlapping Hadamard, TIE rms and MTIE), 5 significant digits with the count of terms.
    expectPublished(x, {{S::Adev, 1, 2.9223e-01, 5, 999},     {S::Adev, 10, 9.1600e-02, 5, 981},
                        {S::Adev, 101, 3.2202e-02, 5, 799},   {S::Adev, 247, 1.1195e-02, 5, 507},
                        {S::Mdev, 1, 2.9223e-01, 5, 999},     {S::Mdev, 10, 6.1724e-02, 5, 972},
                        {S::Mdev, 101, 2.1573e-02, 5, 699},   {S::Mdev, 247, 4.2609e-03, 5, 261},
                        {S::Hdev, 1, 2.9439e-01, 5, 998},     {S::Hdev, 10, 9.5811e-02, 5, 971},
                        {S::Hdev, 101, 3.2170e-02, 5, 698},   {S::Hdev, 247, 1.1150e-02, 5, 260},
                        {S::TieRms, 1, 2.8832e-01, 5, 1000},  {S::TieRms, 10, 8.7588e-01, 5, 991},
                        {S::TieRms, 101, 2.7603e+00, 5, 900}, {S::TieRms, 247, 2.6144e+00, 5, 754},
                        {S::Mtie, 1, 5.0597e-01, 5, 1000},    {S::Mtie, 3, 1.2984e+00, 5, 998},
                        {S::Mtie, 7, 2.2922e+00, 5, 994},     {S::Mtie, 15, 2.9949e+00, 5, 986},
                        {S::Mtie, 31, 4.4550e+00, 5, 970},    {S::Mtie, 63, 6.5989e+00, 5, 938},
                        {S::Mtie, 127, 6.8061e+00, 5, 874},   {S::Mtie, 255, 7.8205e+00, 5, 746},
                        {S::Mtie, 511, 7.8205e+00, 5, 490}});
}

TEST(Deviations, MtieTakesEveryWindowAndSkipsThoseWithGaps) {
    // Against the definition itself, window by window, on a random walk with gaps.
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal;
    std::vector<double> x;
    double phase = 0;
    for (int i = 0; i < 400; ++i) {
        phase += normal(random);
        x.push_back(i % 97 == 50 || (i > 200 && i < 204) ? kGap : phase);
    }
    const PhaseData data(x, 0.5);
    for (std::size_t m : {1u, 2u, 5u, 17u, 64u, 95u}) {
        double largest = -1;
        std::size_t windows = 0;
        for (std::size_t i = 0; i + m < x.size(); ++i) {
            const auto first = x.begin() + static_cast<std::ptrdiff_t>(i),
                       last = first + static_cast<std::ptrdiff_t>(m) + 1;
            if (std::any_of(first, last, [](double v) { return std::isnan(v); })) continue;
            largest = std::max(largest, *std::max_element(first, last) - *std::min_element(first, last));
            ++windows;
        }
        const Deviation d = deviation(data, S::Mtie, m);
        EXPECT_EQ(d.count, windows) << m;
        EXPECT_DOUBLE_EQ(d.value, largest) << m;
        EXPECT_DOUBLE_EQ(d.tau, 0.5 * static_cast<double>(m));
    }
    // The octave shortcut gives the same windows.
    const std::vector<Deviation> octaves = mtieAtOctaves(x, 0.5, 128);
    ASSERT_EQ(octaves.size(), 8u);
    for (const Deviation& o : octaves) {
        const Deviation d = deviation(data, S::Mtie, o.factor);
        EXPECT_EQ(o.count, d.count) << o.factor;
        EXPECT_TRUE(o.value == d.value || (std::isnan(o.value) && std::isnan(d.value))) << o.factor;
    }
    EXPECT_EQ(deviation(data, S::Mtie, 96).count, 0u);  // no run of 97 readings without a gap
    EXPECT_TRUE(std::isnan(deviation(data, S::Mtie, 96).value));
}

TEST(Deviations, AGapLeavesOutTheTermsThatNeedItAndOnlyThose) {
    // A frequency offset with a linear drift (quadratic phase) and one reading missing. Only the
    // Hadamard deviation is blind to the drift; once the drift is taken out every deviation is 0.
    std::vector<double> x;
    for (int i = 0; i < 120; ++i) x.push_back(i == 60 ? kGap : 3e-9 + 2e-10 * i + 1e-12 * i * i);
    const std::vector<double> flat = withoutFrequencyDrift(x);
    EXPECT_TRUE(std::isnan(flat[60]));
    const PhaseData drifting(x, 1.0), removed(flat, 1.0);
    struct Case {
        Statistic statistic;
        std::size_t m, count;  // terms whole when reading 60 is missing, of 120 readings
    };
    for (const Case& c : {Case{S::Adev, 4, 112 - 3}, Case{S::Mdev, 4, 109 - 12}, Case{S::Hdev, 4, 108 - 4},
                          Case{S::Tdev, 4, 109 - 12}, Case{S::TieRms, 4, 116 - 2}}) {
        SCOPED_TRACE(statisticName(c.statistic));
        EXPECT_EQ(deviation(drifting, c.statistic, c.m).count, c.count);
        EXPECT_NEAR(deviation(removed, c.statistic, c.m).value, 0, 1e-20);
    }
    EXPECT_NEAR(deviation(drifting, S::Hdev, 4).value, 0, 1e-20);
    EXPECT_GT(deviation(drifting, S::Adev, 4).value, 1e-13);
    // Nothing to take: NaN with count 0.
    const PhaseData gaps(std::vector<double>(10, kGap), 1.0);
    for (Statistic s : kStatistics)
        EXPECT_TRUE(std::isnan(deviation(gaps, s, 1).value) && deviation(gaps, s, 1).count == 0);
}

TEST(Confidence, ChiSquaredQuantilesMatchTheTables) {
    // NIST/SEMATECH e-Handbook of Statistical Methods, section 1.3.6.7.4 (critical values of the
    // chi-square distribution); 2 ln 2 is the median at 2 degrees of freedom.
    struct Row {
        double p, df, x;
    };
    for (const Row& r : {Row{0.95, 1, 3.841}, Row{0.05, 10, 3.940}, Row{0.975, 10, 20.483}, Row{0.025, 10, 3.247},
                         Row{0.99, 100, 135.807}, Row{0.01, 100, 70.065}, Row{0.5, 2, 1.3862944}})
        EXPECT_NEAR(chiSquaredQuantile(r.p, r.df), r.x, 0.0011) << r.p << " " << r.df;
    // Large and fractional degrees of freedom: the Wilson-Hilferty approximation is good to a few
    // parts per million there.
    for (double df : {2.5e3, 7.7e4, 1.2e6}) {
        const double z = 1.0;  // 0.8413 of a normal distribution
        const double approx = df * std::pow(1 - 2 / (9 * df) + z * std::sqrt(2 / (9 * df)), 3);
        EXPECT_NEAR(chiSquaredQuantile(0.841344746, df) / approx, 1, 1e-5) << df;
    }
}

TEST(Confidence, DegreesOfFreedomAgreeWithTheSimpleFormulasForOverlappingAllan) {
    // NIST SP 1065, section 5.3.3: simple approximate edf formulas for the overlapping Allan
    // variance, N phase readings, averaging factor m.
    const double N = 1001;
    auto whitePm = [&](double m) { return (N + 1) * (N - 2 * m) / (2 * (N - m)); };
    auto whiteFm = [&](double m) { return (3 * (N - 1) / (2 * m) - 2 * (N - 2) / N) * 4 * m * m / (4 * m * m + 5); };
    auto randomWalkFm = [&](double m) {
        return (N - 2) / m * ((N - 1) * (N - 1) - 3 * m * (N - 1) + 4 * m * m) / ((N - 3) * (N - 3));
    };
    for (std::size_t m : {1u, 4u, 16u, 64u, 256u}) {
        SCOPED_TRACE(m);
        const auto terms = static_cast<std::size_t>(N) - 2 * m;
        const double md = static_cast<double>(m);
        EXPECT_NEAR(degreesOfFreedom(S::Adev, 2, m, terms) / whitePm(md), 1, 0.05);
        EXPECT_NEAR(degreesOfFreedom(S::Adev, 0, m, terms) / whiteFm(md), 1, 0.05);
        EXPECT_NEAR(degreesOfFreedom(S::Adev, -2, m, terms) / randomWalkFm(md), 1, 0.15);
    }
    // Fewer degrees of freedom as tau grows; none for the statistics without error bars.
    EXPECT_GT(degreesOfFreedom(S::Mdev, 0, 4, 900), degreesOfFreedom(S::Mdev, 0, 64, 800));
    EXPECT_GT(degreesOfFreedom(S::Hdev, -2, 4, 900), degreesOfFreedom(S::Hdev, -2, 64, 800));
    EXPECT_TRUE(std::isnan(degreesOfFreedom(S::Mtie, 0, 4, 900)));
}

TEST(Confidence, NoiseIsIdentifiedFromTheData) {
    std::mt19937_64 random(5);
    std::normal_distribution<double> normal;
    std::vector<double> whitePhase, whiteFrequency, randomWalkFrequency;
    double x = 0, y = 0, z = 0;
    for (int i = 0; i < 20000; ++i) {
        whitePhase.push_back(normal(random));
        whiteFrequency.push_back(x += normal(random));
        randomWalkFrequency.push_back(z += (y += normal(random)));
    }
    for (std::size_t m : {1u, 8u, 64u}) {
        SCOPED_TRACE(m);
        EXPECT_EQ(noiseAlpha(whitePhase, m), 2);
        EXPECT_EQ(noiseAlpha(whiteFrequency, m), 0);
        EXPECT_EQ(noiseAlpha(randomWalkFrequency, m), -2);
    }
    EXPECT_FALSE(noiseAlpha(whitePhase, 1000).has_value());  // 20 readings at that spacing
    // Stable32's Alpha column for PHASE.DAT (overlapping Allan): 0 at every factor up to 68.
    const std::vector<double> dat = phaseDat();
    for (std::size_t m : {1u, 2u, 4u, 8u, 16u, 32u}) EXPECT_EQ(noiseAlpha(dat, m), 0) << m;
}

TEST(Confidence, IntervalsFollowFromTheQuantiles) {
    // sigma * sqrt(edf / chi2(p)) at p = 0.8415 and 0.1585 (z = +-1.0003), the quantiles by the
    // Wilson-Hilferty approximation chi2 = edf (1 - 2 / (9 edf) + z sqrt(2 / (9 edf)))^3, good to
    // a few parts in a thousand at 10 degrees of freedom; for a large edf the interval tends to
    // sigma (1 -+ 1 / sqrt(2 edf)).
    auto wilsonHilferty = [](double edf, double z) {
        const double w = 2 / (9 * edf);
        return edf * std::pow(1 - w + z * std::sqrt(w), 3);
    };
    const Interval ten = confidenceInterval(1.0, 10);
    EXPECT_NEAR(ten.low, std::sqrt(10 / wilsonHilferty(10, 1.0003)), 0.003);
    EXPECT_NEAR(ten.high, std::sqrt(10 / wilsonHilferty(10, -1.0003)), 0.003);
    const Interval large = confidenceInterval(2.0, 20000);
    EXPECT_NEAR(large.low, 2 * (1 - 1 / std::sqrt(40000.0)), 1e-4);
    EXPECT_NEAR(large.high, 2 * (1 + 1 / std::sqrt(40000.0)), 1e-4);
    EXPECT_TRUE(std::isnan(confidenceInterval(1.0, kGap).low));
}

TEST(Masks, ARecordJustInsideOrJustOutsideItsMask) {
    // A phase ramp: its MTIE at tau is the slope times tau. PRTC-B allows 40 ns from 54.5 s on,
    // so over 400 s (octaves up to 128 s) 0.30 ns/s passes and 0.32 ns/s fails first at 128 s.
    auto ramp = [](double slope) {
        std::vector<double> x;
        for (int i = 0; i <= 400; ++i) x.push_back(slope * i);
        const PhaseData data(x, 1.0);
        std::vector<Deviation> points;
        for (std::size_t m : octaveFactors(x.size())) points.push_back(deviation(data, S::Mtie, m));
        return points;
    };
    const MaskVerdict pass = judge(Mask::G8272PrtcB, S::Mtie, ramp(0.30e-9));
    EXPECT_TRUE(pass.passed());
    EXPECT_EQ(pass.judged, 8u);
    const MaskVerdict fail = judge(Mask::G8272PrtcB, S::Mtie, ramp(0.32e-9));
    EXPECT_EQ(fail.firstFailure, 128.0);
    EXPECT_EQ(verdictText(Mask::G8272PrtcB, S::Mtie, fail), "G.8272 PRTC-B MTIE: fails at tau = 128 s");
    // The same ramps are far inside the looser PRTC-A and PRC masks.
    EXPECT_TRUE(judge(Mask::G8272PrtcA, S::Mtie, ramp(0.32e-9)).passed());
    EXPECT_TRUE(judge(Mask::G811Prc, S::Mtie, ramp(0.32e-9)).passed());

    // TDEV: just under each limit passes, just over it at one tau fails there; the TDEV masks'
    // pieces join without a step.
    for (Mask mask : kMasks) {
        SCOPED_TRACE(maskName(mask));
        std::vector<Deviation> points;
        for (double tau : {1.0, 10.0, 100.0, 200.0, 1000.0, 5000.0})
            points.push_back({tau, 0, 10, 0.999 * *maskLimit(mask, S::Tdev, tau)});
        EXPECT_TRUE(judge(mask, S::Tdev, points).passed());
        points[3].value = 1.001 * *maskLimit(mask, S::Tdev, 200.0);
        points[5].value = 2 * *maskLimit(mask, S::Tdev, 5000.0);
        EXPECT_EQ(judge(mask, S::Tdev, points).firstFailure, 200.0);
        for (double at : {100.0, 500.0, 1000.0})
            if (maskLimit(mask, S::Tdev, at) && maskLimit(mask, S::Tdev, at * 1.0000001)) {
                EXPECT_NEAR(*maskLimit(mask, S::Tdev, at) / *maskLimit(mask, S::Tdev, at * 1.0000001), 1, 1e-6) << at;
            }
    }
    EXPECT_FALSE(maskLimit(Mask::G811Prc, S::Tdev, 20000).has_value());
    EXPECT_FALSE(maskLimit(Mask::G811Prc, S::Adev, 10).has_value());
    EXPECT_EQ(verdictText(Mask::G811Prc, S::Tdev, judge(Mask::G811Prc, S::Tdev, {})),
              "G.811 PRC TDEV: no point in range");
}

}  // namespace
}  // namespace kestrix
