#include "trend/series.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kestrix {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

SampleRing::SampleRing(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void SampleRing::add(double time, double value) {
    if (size_ > 0) time = std::max(time, this->time(size_ - 1));
    if (size_ < capacity_) {
        if (times_.size() < capacity_) {  // still growing: the readings lie in order from slot 0
            times_.push_back(time);
            values_.push_back(value);
        } else {
            times_[slot(size_)] = time;
            values_[slot(size_)] = value;
        }
        ++size_;
        return;
    }
    times_[start_] = time;
    values_[start_] = value;
    start_ = (start_ + 1) % times_.size();
}

void SampleRing::clear() {
    std::vector<double>().swap(times_);
    std::vector<double>().swap(values_);
    start_ = 0;
    size_ = 0;
}

std::size_t SampleRing::firstAtOrAfter(double t) const {
    std::size_t low = 0, high = size_;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (time(mid) < t) low = mid + 1;
        else high = mid;
    }
    return low;
}

std::vector<double> SampleRing::values(std::size_t from, std::size_t to) const {
    std::vector<double> out;
    to = std::min(to, size_);
    if (from >= to) return out;
    out.reserve(to - from);
    for (std::size_t i = from; i < to; ++i) out.push_back(value(i));
    return out;
}

std::vector<PlotColumn> decimate(const SampleRing& ring, double from, double to, std::size_t columns) {
    std::vector<PlotColumn> out(columns);
    if (columns == 0 || !(to > from)) return out;
    const double perColumn = static_cast<double>(columns) / (to - from);
    const std::size_t end = ring.firstAtOrAfter(std::nextafter(to, std::numeric_limits<double>::infinity()));
    for (std::size_t i = ring.firstAtOrAfter(from); i < end; ++i) {
        const double value = ring.value(i);
        const auto column = std::min(columns - 1, static_cast<std::size_t>((ring.time(i) - from) * perColumn));
        PlotColumn& c = out[column];
        if (std::isnan(value)) {
            c.gap = true;
        } else if (!c.any) {
            c.any = true;
            c.minimum = c.maximum = value;
        } else {
            c.minimum = std::min(c.minimum, value);
            c.maximum = std::max(c.maximum, value);
        }
    }
    return out;
}

std::vector<double> phaseGrid(const SampleRing& ring, double from, double to, double interval) {
    std::vector<double> grid;
    if (!(interval > 0)) return grid;
    const std::size_t first = ring.firstAtOrAfter(from);
    const std::size_t end = ring.firstAtOrAfter(std::nextafter(to, std::numeric_limits<double>::infinity()));
    if (first >= end) return grid;
    const double origin = ring.time(first);
    const auto slots = static_cast<std::size_t>(std::llround((ring.time(end - 1) - origin) / interval)) + 1;
    grid.assign(slots, kNaN);
    for (std::size_t i = first; i < end; ++i) {
        const auto slot = static_cast<std::size_t>(std::llround((ring.time(i) - origin) / interval));
        if (slot < slots && !std::isnan(ring.value(i))) grid[slot] = ring.value(i);
    }
    return grid;
}

double leadingValue(std::string_view reply) {
    std::size_t at = 0;
    while (at < reply.size() && (reply[at] == ' ' || reply[at] == '\t' || reply[at] == '\r' || reply[at] == '\n')) ++at;
    bool negative = false;
    if (at < reply.size() && (reply[at] == '+' || reply[at] == '-')) negative = reply[at++] == '-';
    if (at >= reply.size() || !(std::isdigit(static_cast<unsigned char>(reply[at])) || reply[at] == '.')) return kNaN;
    double value = kNaN;
    const auto [end, error] =
        std::from_chars(reply.data() + at, reply.data() + reply.size(), value, std::chars_format::general);
    // SCPI writes "not a number" as 9.91E+37.
    if (error != std::errc() || !std::isfinite(value) || value >= 9.9e37) return kNaN;
    return negative ? -value : value;
}

}  // namespace kestrix
