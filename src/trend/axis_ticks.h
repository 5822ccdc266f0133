#pragma once

#include <string>
#include <vector>

namespace kestrix {

// The ticks of a value axis: values on a step of 1, 2 or 5 times a power of ten, as many as fit
// `most` without going over, each with a label that differs from its neighbours'.
struct AxisTick {
    double value = 0;
    std::string label;
};

std::vector<AxisTick> axisTicks(double low, double high, int most);

}  // namespace kestrix
