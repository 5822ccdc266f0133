#include "trend/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace kestrix {

namespace {

std::int64_t tickCount(double low, double high, double step) {
    return static_cast<std::int64_t>(std::floor(high / step + 1e-9) - std::ceil(low / step - 1e-9)) + 1;
}

// The smallest step of 1, 2 or 5 times a power of ten that puts at most `most` ticks on
// [low, high]: as many ticks as fit.
double niceStep(double low, double high, int most) {
    double decade = std::pow(10.0, std::floor(std::log10((high - low) / std::max(1, most))) - 1);
    for (;;) {
        for (double multiple : {1.0, 2.0, 5.0})
            if (tickCount(low, high, multiple * decade) <= most) return multiple * decade;
        decade *= 10;
    }
}

// Plain decimals with as many places as the step needs; scientific notation for very large or
// small values, with as many digits as tell the ticks apart.
std::string tickLabel(double value, double step, double largest) {
    char text[48];
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    if (largest >= 1e-3 && largest < 1e7) {
        std::snprintf(text, sizeof text, "%.*f", std::max(0, -stepExponent), value);
    } else {
        const int valueExponent = static_cast<int>(std::floor(std::log10(largest)));
        std::snprintf(text, sizeof text, "%.*e", std::max(0, valueExponent - stepExponent), value);
    }
    const std::string label = text;
    return label.find_first_not_of("-0.") == std::string::npos ? std::string(1, '0') : label;  // no "-0.00"
}

}  // namespace

std::vector<AxisTick> axisTicks(double low, double high, int most) {
    std::vector<AxisTick> ticks;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low) || most < 2) return ticks;
    const double step = niceStep(low, high, most);
    const double largest = std::max(std::fabs(low), std::fabs(high));
    const double first = std::ceil(low / step - 1e-9);
    const std::int64_t count = tickCount(low, high, step);
    for (std::int64_t k = 0; k < count; ++k) {
        const double value = (first + static_cast<double>(k)) * step;
        ticks.push_back({value, tickLabel(value, step, largest)});
    }
    return ticks;
}

}  // namespace kestrix
