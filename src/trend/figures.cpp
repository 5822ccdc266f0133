#include "trend/figures.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string joined(const std::vector<std::string>& cells, char separator) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i) line += separator;
        line += cells[i];
    }
    return line + "\r\n";
}

std::string tableText(const std::vector<StabilityRow>& rows, char separator) {
    std::string text = joined(stabilityHeadings(), separator);
    for (const StabilityRow& row : rows)
        text += joined({row.tau, row.count, row.overlappingAllanDeviation, row.timeDeviation}, separator);
    return text;
}

}  // namespace

SpanFigures spanFigures(std::span<const double> values) {
    SpanFigures f;
    f.last = f.mean = f.standardDeviation = f.minimum = f.maximum = kNaN;
    // Welford's running mean and sum of squares: one pass, no loss on a large offset.
    double mean = 0, squares = 0;
    for (double value : values) {
        if (std::isnan(value)) continue;
        ++f.count;
        const double delta = value - mean;
        mean += delta / static_cast<double>(f.count);
        squares += delta * (value - mean);
        if (f.count == 1 || value < f.minimum) f.minimum = value;
        if (f.count == 1 || value > f.maximum) f.maximum = value;
        f.last = value;
    }
    if (f.count > 0) f.mean = mean;
    if (f.count > 1) f.standardDeviation = std::sqrt(squares / static_cast<double>(f.count - 1));
    return f;
}

std::string scientific4(double value) {
    if (!std::isfinite(value)) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.3e", value);
    return text;
}

std::vector<StabilityRow> stabilityRows(const std::vector<StabilityPoint>& points) {
    std::vector<StabilityRow> rows;
    rows.reserve(points.size());
    for (const StabilityPoint& p : points) {
        char tau[32];
        std::snprintf(tau, sizeof tau, "%.6g", p.tau);
        rows.push_back({tau, std::to_string(p.overlappingCount), scientific4(p.overlappingAllanDeviation),
                        scientific4(p.timeDeviation)});
    }
    return rows;
}

Coverage coverageOf(const std::vector<double>& phase) {
    Coverage c;
    c.slotCount = phase.size();
    for (double x : phase) c.emptySlots += std::isnan(x) ? 1 : 0;
    return c;
}

namespace {

// How far apart, in steps of m, the first and last readings of one term of each statistic lie,
// and the terms a run of readings gives beyond those it spans (the averaged second differences
// behind MDEV and TDEV are sums over m windows, the last of which may start at the run's end).
struct TermShape {
    Statistic statistic;
    std::size_t reach;
    std::size_t extra;
};
constexpr TermShape kTermShapes[] = {
    {Statistic::Adev, 2, 0}, {Statistic::Mdev, 3, 1},   {Statistic::Hdev, 3, 0},
    {Statistic::Tdev, 3, 1}, {Statistic::TieRms, 1, 0}, {Statistic::Mtie, 1, 0},
};

}  // namespace

std::size_t termsDue(Statistic statistic, std::size_t slots, std::size_t m) {
    for (const TermShape& shape : kTermShapes)
        if (shape.statistic == statistic) return slots >= shape.reach * m ? slots - shape.reach * m + shape.extra : 0;
    return 0;
}

bool withholdMostlyMissing(std::vector<StatisticCurve>& curves, std::size_t slots) {
    bool withheld = false;
    for (StatisticCurve& curve : curves) {
        for (StatisticPoint& p : curve.points) {
            if (std::isnan(p.deviation.value) ||
                2 * p.deviation.count >= termsDue(curve.statistic, slots, p.deviation.factor))
                continue;
            p.deviation.value = kNaN;
            p.interval = {kNaN, kNaN};
            withheld = true;
        }
    }
    return withheld;
}

std::string coverageNote(double tau0, const Coverage& c) {
    if (c.slotCount == 0) return "";
    char tau[32];
    std::snprintf(tau, sizeof tau, "%.6g", tau0);
    std::string note = std::string("Tau0 ") + tau + " s: " + std::to_string(c.slotCount) + " slots, " +
                       std::to_string(c.emptySlots) + " empty";
    if (c.withheld) note += "; n/a: more than half the differences missing";
    return note;
}

std::vector<std::string> stabilityHeadings() { return {"Tau (s)", "Count", "Overlapping ADEV", "TDEV (s)"}; }

StatisticsTable statisticsTable(const std::vector<StatisticCurve>& curves, bool errorBars) {
    StatisticsTable table;
    table.headings.push_back("Tau (s)");
    for (const StatisticCurve& curve : curves) {
        const std::string name = statisticShortName(curve.statistic);
        table.headings.push_back(statisticName(curve.statistic));
        table.headings.push_back(name + " count");
        if (errorBars && hasErrorBars(curve.statistic)) {
            table.headings.push_back(name + " low");
            table.headings.push_back(name + " high");
        }
    }
    const std::size_t rows = curves.empty() ? 0 : curves.front().points.size();
    for (std::size_t r = 0; r < rows; ++r) {
        std::vector<std::string> row;
        char tau[32];
        std::snprintf(tau, sizeof tau, "%.6g", curves.front().points[r].deviation.tau);
        row.push_back(tau);
        for (const StatisticCurve& curve : curves) {
            const StatisticPoint& p = curve.points[r];
            row.push_back(scientific4(p.deviation.value));
            row.push_back(std::to_string(p.deviation.count));
            if (errorBars && hasErrorBars(curve.statistic)) {
                row.push_back(scientific4(p.interval.low));
                row.push_back(scientific4(p.interval.high));
            }
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::string tableCopyText(const StatisticsTable& table) {
    std::string text = joined(table.headings, '\t');
    for (const auto& row : table.rows) text += joined(row, '\t');
    return text;
}

std::string tableCsvText(const StatisticsTable& table) {
    std::string text = joined(table.headings, ',');
    for (const auto& row : table.rows) text += joined(row, ',');
    return text;
}

std::string stabilityCopyText(const std::vector<StabilityRow>& rows) { return tableText(rows, '\t'); }

std::string stabilityCsvText(const std::vector<StabilityRow>& rows) { return tableText(rows, ','); }

}  // namespace kestrix
