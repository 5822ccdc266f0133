#include "trend/figures.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrix::trend {
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

bool withholdMostlyMissing(std::vector<StabilityPoint>& points, std::size_t slots) {
    bool withheld = false;
    auto mostlyMissing = [&](std::size_t present, std::size_t due) {
        const bool missing = 2 * present < due;
        withheld = withheld || missing;
        return missing;
    };
    for (StabilityPoint& p : points) {
        const std::size_t m = p.averagingFactor;
        if (m == 0 || slots < 2 * m + 1) continue;
        if (mostlyMissing(p.overlappingCount, slots - 2 * m)) p.overlappingAllanDeviation = kNaN;
        if (mostlyMissing(p.allanCount, (slots - 1 - 2 * m) / m + 1)) p.allanDeviation = kNaN;
        if (slots >= 3 * m && mostlyMissing(p.timeCount, slots - 3 * m + 1)) p.timeDeviation = kNaN;
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

std::string stabilityCopyText(const std::vector<StabilityRow>& rows) { return tableText(rows, '\t'); }

std::string stabilityCsvText(const std::vector<StabilityRow>& rows) { return tableText(rows, ','); }

}  // namespace kestrix::trend
