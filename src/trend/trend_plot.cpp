#include "trend/trend_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "trend/axis_ticks.h"

namespace kestrix {

namespace {

// Each value axis has room for at least 2 and at most 8 ticks.
constexpr int kFewestTicks = 2;
// Pixels a time label needs.
constexpr int kTimeLabelWidth = 90;
// Points along a mask's line.
constexpr int kMaskSteps = 200;

std::string number(double value) {
    if (!std::isfinite(value)) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", value);
    return text;
}

// A step between time labels that leaves room for each, in seconds.
double timeStep(double span, int width) {
    static constexpr double kSteps[] = {1,   2,    5,    10,   15,    30,    60,    120,   300,    600,
                                        900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800};
    const double most = std::max(1, width / kTimeLabelWidth);
    for (double step : kSteps)
        if (span / step <= most) return step;
    return 604800 * std::ceil(span / most / 604800);
}

std::string utcLabel(double seconds, double step) {
    const auto t = static_cast<std::time_t>(std::floor(seconds));
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    const char* format = step >= 86400 ? "%m-%d" : step >= 3600 * 6 ? "%m-%d %H:%M" : step >= 60 ? "%H:%M" : "%H:%M:%S";
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

bool drawable(double v) { return std::isfinite(v) && v > 0; }

std::size_t indexOf(Statistic statistic) {
    return static_cast<std::size_t>(std::find(kStatistics.begin(), kStatistics.end(), statistic) - kStatistics.begin());
}

std::size_t indexOf(Mask mask) {
    return static_cast<std::size_t>(std::find(std::begin(kMasks), std::end(kMasks), mask) - std::begin(kMasks));
}

// Each mask over each statistic it limits, sampled along the taus shown.
std::vector<TrendStabilityState::MaskLine> maskLines(const std::vector<StatisticCurve>& curves,
                                                     const std::vector<Mask>& masks, double lowTau, double highTau) {
    std::vector<TrendStabilityState::MaskLine> lines;
    for (Mask mask : masks)
        for (const auto& curve : curves) {
            if (curve.statistic != Statistic::Mtie && curve.statistic != Statistic::Tdev) continue;
            TrendStabilityState::MaskLine line{indexOf(mask),
                                               indexOf(curve.statistic),
                                               maskName(mask) + " " + statisticShortName(curve.statistic),
                                               {}};
            for (int i = 0; i <= kMaskSteps; ++i) {
                const double tau = lowTau * std::pow(highTau / lowTau, static_cast<double>(i) / kMaskSteps);
                if (const auto limit = maskLimit(mask, curve.statistic, tau)) line.points.push_back({tau, *limit});
            }
            if (!line.points.empty()) lines.push_back(std::move(line));
        }
    return lines;
}

}  // namespace

std::vector<std::string> figureTexts(const SpanFigures& f, const std::string& unit) {
    const std::string u = unit.empty() ? "" : " " + unit;
    return {
        "last " + number(f.last) + u,   "mean " + number(f.mean) + u,   "std dev " + number(f.standardDeviation) + u,
        "min " + number(f.minimum) + u, "max " + number(f.maximum) + u, "(" + std::to_string(f.count) + " samples)"};
}

TrendStrip stripOf(const SampleRing& ring, double scale, double from, double to, std::size_t columns) {
    TrendStrip strip;
    double low = INFINITY, high = -INFINITY;
    for (const PlotColumn& c : decimate(ring, from, to, columns)) {
        strip.columns.push_back({c.any, c.gap, c.minimum * scale, c.maximum * scale});
        if (c.any) low = std::min(low, c.minimum * scale), high = std::max(high, c.maximum * scale);
    }
    if (!std::isfinite(low)) return strip;
    if (high - low < 1e-12 * std::max(1.0, std::abs(high))) low -= 0.5, high += 0.5;
    const double pad = (high - low) * 0.05;
    strip.any = true;
    strip.low = low - pad;
    strip.high = high + pad;
    for (std::size_t i = 0; i < strip.ticks.size(); ++i) {
        for (const AxisTick& tick : axisTicks(strip.low, strip.high, kFewestTicks + static_cast<int>(i)))
            strip.ticks[i].push_back({tick.value, tick.label});
    }
    return strip;
}

std::vector<TrendPlotState::TimeTick> timeTicks(double from, double to, int columns) {
    std::vector<TrendPlotState::TimeTick> ticks;
    if (!(to > from)) return ticks;
    const double step = timeStep(to - from, columns);
    // Each tick a whole number of steps, not a sum of steps that drifts.
    const double first = std::ceil(from / step);
    const auto last = static_cast<long long>(std::floor(to / step) - first);
    for (long long k = 0; k <= last; ++k) {
        const double t = (first + static_cast<double>(k)) * step;
        ticks.push_back({(t - from) / (to - from), utcLabel(t, step)});
    }
    return ticks;
}

TrendStabilityState stabilityPlotOf(const std::vector<StatisticCurve>& curves, const std::vector<Mask>& masks,
                                    bool errorBars, bool anyChosen) {
    TrendStabilityState plot;
    double lowTau = INFINITY, highTau = -INFINITY, low = INFINITY, high = -INFINITY;
    for (const auto& curve : curves) {
        TrendStabilityState::Curve shown{indexOf(curve.statistic), statisticName(curve.statistic), {}};
        for (const auto& point : curve.points) {
            const Deviation& d = point.deviation;
            if (!drawable(d.value)) continue;
            const bool bars = errorBars && drawable(point.interval.low) && drawable(point.interval.high);
            shown.points.push_back({d.tau, d.value, bars, point.interval.low, point.interval.high});
            lowTau = std::min(lowTau, d.tau), highTau = std::max(highTau, d.tau);
            for (double v : {d.value, errorBars ? point.interval.low : NAN, errorBars ? point.interval.high : NAN})
                if (drawable(v)) low = std::min(low, v), high = std::max(high, v);
        }
        plot.curves.push_back(std::move(shown));
    }
    if (!std::isfinite(low)) {
        plot.curves.clear();
        plot.emptyText = anyChosen ? "Stability: needs a time-interval series over at least three sample intervals"
                                   : "Stability: choose a statistic in the Stability menu";
        return plot;
    }
    // The masks' limits over the taus shown widen the value range so they can be seen.
    plot.masks = maskLines(curves, masks, lowTau, highTau);
    for (const auto& line : plot.masks)
        for (const auto& [tau, limit] : line.points) low = std::min(low, limit), high = std::max(high, limit);
    plot.valueFrom = std::floor(std::log10(low));
    plot.valueTo = std::max(plot.valueFrom + 1, std::ceil(std::log10(high)));
    plot.tauFrom = std::floor(std::log10(lowTau));
    plot.tauTo = std::max(plot.tauFrom + 1, std::ceil(std::log10(highTau)));
    return plot;
}

}  // namespace kestrix
