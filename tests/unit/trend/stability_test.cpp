#include "trend/stability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "trend/figures.h"

namespace kestrix {
namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// The nine-point data set used to check frequency-stability software by hand: fractional
// frequencies at a one-second interval.
std::vector<double> ninePointFrequency() { return {892, 809, 823, 798, 671, 644, 883, 903, 677}; }

// The 1000-point pseudo-random data set: n(0) = 1234567890, n(i+1) = 16807 n(i) mod (2^31 - 1),
// y(i) = n(i) / (2^31 - 1), the seed itself being the first reading.
std::vector<double> thousandPointFrequency() {
    std::vector<double> y;
    std::uint64_t n = 1234567890;
    for (int i = 0; i < 1000; ++i) {
        y.push_back(static_cast<double>(n) / 2147483647.0);
        n = (16807 * n) % 2147483647;
    }
    return y;
}

// Compares to the digits published: |actual - expected| within half a unit of the last digit.
void expectDigits(double actual, double expected, int significantDigits) {
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - (significantDigits - 1));
    EXPECT_NEAR(actual, expected, unit / 2) << "expected " << expected;
}

TEST(Stability, NinePointDataSetMatchesItsPublishedValues) {
    const std::vector<double> x = phaseFromFrequency(ninePointFrequency(), 1.0);
    ASSERT_EQ(octaveFactors(x.size()), (std::vector<std::size_t>{1, 2}));
    const std::vector<StabilityPoint> table = stabilityTable(x, 1.0);
    ASSERT_EQ(table.size(), 2u);
    expectDigits(table[0].allanDeviation, 91.22945, 7);
    expectDigits(table[0].overlappingAllanDeviation, 91.22945, 7);
    expectDigits(table[0].timeDeviation, 52.67135, 7);
    expectDigits(table[1].allanDeviation, 115.8082, 7);
    expectDigits(table[1].overlappingAllanDeviation, 85.95287, 7);
    expectDigits(table[1].timeDeviation, 86.35831, 7);
    EXPECT_EQ(table[0].overlappingCount, 8u);
    EXPECT_EQ(table[1].overlappingCount, 6u);
    EXPECT_EQ(table[1].allanCount, 3u);
    EXPECT_EQ(table[1].timeCount, 5u);
}

TEST(Stability, ThousandPointDataSetMatchesItsPublishedValues) {
    const std::vector<double> y = thousandPointFrequency();
    const SpanFigures figures = spanFigures(y);
    expectDigits(figures.mean, 0.4897745, 7);
    expectDigits(figures.standardDeviation, 0.2884664, 7);

    const std::vector<double> x = phaseFromFrequency(y, 1.0);
    struct Published {
        std::size_t m;
        double allan, overlapping, time;
    };
    for (const Published& p : {Published{1, 2.922319e-01, 2.922319e-01, 1.687202e-01},
                               Published{10, 9.965736e-02, 9.159953e-02, 3.563623e-01},
                               Published{100, 3.897804e-02, 3.241343e-02, 1.253382e+00}}) {
        SCOPED_TRACE(p.m);
        const StabilityPoint point = stabilityAt(x, 1.0, p.m);
        expectDigits(point.allanDeviation, p.allan, 7);
        expectDigits(point.overlappingAllanDeviation, p.overlapping, 7);
        expectDigits(point.timeDeviation, p.time, 7);
    }
}

TEST(Stability, OctavesRunFromTheSampleIntervalToAThirdOfTheSpan) {
    EXPECT_TRUE(octaveFactors(3).empty());
    EXPECT_EQ(octaveFactors(4), (std::vector<std::size_t>{1}));
    EXPECT_EQ(octaveFactors(1001).back(), 256u);  // 256 * 3 <= 1000 < 512 * 3
    const std::vector<StabilityPoint> table = stabilityTable(phaseFromFrequency(thousandPointFrequency(), 10.0), 10.0);
    ASSERT_EQ(table.size(), 9u);
    EXPECT_DOUBLE_EQ(table.front().tau, 10.0);
    EXPECT_DOUBLE_EQ(table.back().tau, 2560.0);
    // Scaling tau0 leaves the deviation of frequency unchanged and scales the time deviation.
    expectDigits(table.front().overlappingAllanDeviation, 2.922319e-01, 7);
    expectDigits(table.front().timeDeviation, 1.687202, 7);
}

TEST(Stability, AGapIsLeftOutNotBridged) {
    // A steady phase ramp (a constant frequency offset) with a reading missing: closing the gap up
    // would show a step of one interval's worth of phase, taking the gap as zero a spike; leaving
    // out the differences that need the missing reading sees a clean ramp.
    std::vector<double> x;
    for (int i = 0; i < 60; ++i) x.push_back(i == 30 ? kGap : 5 + 2.0 * i);
    for (const StabilityPoint& p : stabilityTable(x, 1.0)) {
        SCOPED_TRACE(p.averagingFactor);
        EXPECT_NEAR(p.allanDeviation, 0, 1e-9);
        EXPECT_NEAR(p.overlappingAllanDeviation, 0, 1e-9);
        // The time deviation averages 3m readings in a row; no run of 48 is whole here.
        if (p.averagingFactor < 16) EXPECT_NEAR(p.timeDeviation, 0, 1e-9);
        else EXPECT_TRUE(p.timeCount == 0 && std::isnan(p.timeDeviation));
    }
    const StabilityPoint one = stabilityAt(x, 1.0, 1);
    EXPECT_EQ(one.overlappingCount, 28u + 27u);  // 30 readings before the gap, 29 after
    EXPECT_EQ(one.timeCount, 28u + 27u);
}

TEST(Stability, OnlyGapsGiveNoFigure) {
    const StabilityPoint p = stabilityAt(std::vector<double>(10, kGap), 1.0, 1);
    EXPECT_EQ(p.overlappingCount, 0u);
    EXPECT_TRUE(std::isnan(p.overlappingAllanDeviation));
    EXPECT_TRUE(std::isnan(p.timeDeviation));
    EXPECT_EQ(scientific4(p.timeDeviation), "n/a");
}

TEST(SpanFigures, LeaveGapsOutAndNeedTwoReadingsForADeviation) {
    const std::vector<double> values = {3, kGap, -1, 4, kGap};
    const SpanFigures f = spanFigures(values);
    EXPECT_EQ(f.count, 3u);
    EXPECT_EQ(f.last, 4);
    EXPECT_EQ(f.minimum, -1);
    EXPECT_EQ(f.maximum, 4);
    EXPECT_DOUBLE_EQ(f.mean, 2);
    EXPECT_DOUBLE_EQ(f.standardDeviation, std::sqrt(7.0));
    const std::vector<double> one = {5};
    EXPECT_TRUE(std::isnan(spanFigures(one).standardDeviation));
    EXPECT_EQ(spanFigures(std::vector<double>{}).count, 0u);
}

TEST(StabilityTable, RowsShowFourSignificantDigitsAndCopyAsTabbedText) {
    const std::vector<StabilityRow> rows =
        stabilityRows(stabilityTable(phaseFromFrequency(ninePointFrequency(), 1.0), 1.0));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].tau, "1");
    EXPECT_EQ(rows[0].count, "8");
    EXPECT_EQ(rows[0].overlappingAllanDeviation, "9.123e+01");
    EXPECT_EQ(rows[0].timeDeviation, "5.267e+01");
    EXPECT_EQ(rows[1].overlappingAllanDeviation, "8.595e+01");
    EXPECT_EQ(rows[1].timeDeviation, "8.636e+01");
    EXPECT_EQ(stabilityCopyText(rows),
              "Tau (s)\tCount\tOverlapping ADEV\tTDEV (s)\r\n"
              "1\t8\t9.123e+01\t5.267e+01\r\n"
              "2\t6\t8.595e+01\t8.636e+01\r\n");
    EXPECT_EQ(stabilityCsvText(rows),
              "Tau (s),Count,Overlapping ADEV,TDEV (s)\r\n"
              "1,8,9.123e+01,5.267e+01\r\n"
              "2,6,8.595e+01,8.636e+01\r\n");
}

TEST(StabilityTable, ThousandPointRowsMatchThePublishedValuesToTheDigitsShown) {
    const std::vector<double> x = phaseFromFrequency(thousandPointFrequency(), 1.0);
    const std::vector<StabilityRow> rows =
        stabilityRows({stabilityAt(x, 1.0, 1), stabilityAt(x, 1.0, 10), stabilityAt(x, 1.0, 100)});
    EXPECT_EQ(rows[0].overlappingAllanDeviation, "2.922e-01");
    EXPECT_EQ(rows[0].timeDeviation, "1.687e-01");
    EXPECT_EQ(rows[1].overlappingAllanDeviation, "9.160e-02");
    EXPECT_EQ(rows[1].timeDeviation, "3.564e-01");
    EXPECT_EQ(rows[2].overlappingAllanDeviation, "3.241e-02");
    EXPECT_EQ(rows[2].timeDeviation, "1.253e+00");
    EXPECT_EQ(rows[2].count, "801");
}

}  // namespace
}  // namespace kestrix
