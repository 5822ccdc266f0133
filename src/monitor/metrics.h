#pragma once

// The series the monitor serves, built from every receiver's readings as plain data; the service
// hands them to the exposition library. Every series carries the `receiver` label, values are in
// base units, counters end in _total.

#include <string>
#include <utility>
#include <vector>

#include "monitor/receiver_readings.h"

namespace kestrix::monitor {

struct MetricSample {
    std::vector<std::pair<std::string, std::string>> labels;
    double value = 0;
};

struct MetricFamily {
    enum class Type { Gauge, Counter };
    std::string name;
    std::string help;
    Type type = Type::Gauge;
    std::vector<MetricSample> samples;
};

// The families, in a fixed order, each present even when no receiver has a sample of it.
std::vector<MetricFamily> metricFamilies(const std::vector<ReceiverReadings>& receivers, double utcNow);

// The name of the gauge a trend query feeds, and the labels it adds beside `receiver`.
struct TrendGauge {
    std::string name;
    std::vector<std::pair<std::string, std::string>> labels;
};
TrendGauge trendGaugeOf(const std::string& query);

}  // namespace kestrix::monitor
