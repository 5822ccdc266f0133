#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "trend/stability.h"

namespace kestrix::trend {

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
// Withholds (sets to NaN) each figure of `points` for which fewer than half the differences a
// grid of `slotCount` readings would give were there to average. Says whether any was.
bool withholdMostlyMissing(std::vector<StabilityPoint>& points, std::size_t slotCount);
// "Tau0 1 s: 200 slots, 3 empty" and, when figures were withheld, why.
std::string coverageNote(double tau0, const Coverage& coverage);

// The table's column headings, in order.
std::vector<std::string> stabilityHeadings();

// The table as "Copy" puts it on the clipboard: a heading line and one line per row, the cells
// separated by tabs, each line ended by CR LF.
std::string stabilityCopyText(const std::vector<StabilityRow>& rows);

// The table as "Save..." writes it: the same lines as comma-separated values.
std::string stabilityCsvText(const std::vector<StabilityRow>& rows);

}  // namespace kestrix::trend
