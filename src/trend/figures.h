#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "trend/analysis.h"
#include "trend/stability.h"

namespace kestrix {

// The figures over a span of readings, gaps (NaN) left out. With no reading all are NaN and the
// count is 0; with one reading the standard deviation is NaN.
struct SpanFigures {
    std::size_t count = 0;
    double last = 0;
    double mean = 0;
    double standardDeviation = 0;  // sample standard deviation (n - 1)
    double minimum = 0;
    double maximum = 0;
};

SpanFigures spanFigures(std::span<const double> values);

// A figure in scientific notation with 4 significant digits ("9.123e+01"); NaN gives "n/a".
std::string scientific4(double value);

// One row of the stability table as shown: tau, count, overlapping Allan deviation, time deviation.
struct StabilityRow {
    std::string tau;
    std::string count;
    std::string overlappingAllanDeviation;
    std::string timeDeviation;
};

std::vector<StabilityRow> stabilityRows(const std::vector<StabilityPoint>& points);

// How much of a phase grid holds readings, and which figures were withheld for want of them.
struct Coverage {
    std::size_t slotCount = 0;
    std::size_t emptySlots = 0;
    bool withheld = false;
};

Coverage coverageOf(const std::vector<double>& phase);
// The terms `statistic` takes at factor m from a grid of `slotCount` readings with none missing.
std::size_t termsDue(Statistic statistic, std::size_t slotCount, std::size_t m);
// Withholds (sets to NaN, error bars too) each point of `curves` for which fewer than half the
// terms a grid of `slotCount` readings would give were there to average. Says whether any was.
bool withholdMostlyMissing(std::vector<StatisticCurve>& curves, std::size_t slotCount);
// "Tau0 1 s: 200 slots, 3 empty" and, when figures were withheld, why.
std::string coverageNote(double tau0, const Coverage& coverage);

// The table's column headings, in order.
std::vector<std::string> stabilityHeadings();

// The table as "Copy" puts it on the clipboard: a heading line and one line per row, the cells
// separated by tabs, each line ended by CR LF.
std::string stabilityCopyText(const std::vector<StabilityRow>& rows);

// The table as "Save..." writes it: the same lines as comma-separated values.
std::string stabilityCsvText(const std::vector<StabilityRow>& rows);

// The stability table as the window shows it: tau, then for each statistic chosen its value and
// the number of terms behind it and, when error bars are shown and the statistic has them, the
// low and high ends of its 68.3 % interval. Cells in scientific notation with 4 significant digits.
struct StatisticsTable {
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
};

StatisticsTable statisticsTable(const std::vector<StatisticCurve>& curves, bool errorBars);

// The table as "Copy" puts it on the clipboard (cells separated by tabs, lines ended by CR LF)
// and as "Save..." writes it (the same lines as comma-separated values).
std::string tableCopyText(const StatisticsTable& table);
std::string tableCsvText(const StatisticsTable& table);

}  // namespace kestrix
