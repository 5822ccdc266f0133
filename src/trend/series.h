#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The readings of one series, oldest first, kept in a ring of fixed capacity: adding a reading
// costs O(1) and, once the ring is full, drops the oldest. Memory is taken as readings arrive, not
// for the whole capacity at once. A gap (a sample that failed) is kept as
// a reading whose value is NaN. Times are UTC seconds since 1970 and never go backwards: a reading
// stamped before the newest one is stamped with the newest one's time.
class SampleRing {
public:
    // A week, and the longest month, of readings one second apart.
    static constexpr std::size_t kWeekOfSeconds = std::size_t{7} * 24 * 3600;
    static constexpr std::size_t kMonthOfSeconds = std::size_t{31} * 24 * 3600;

    explicit SampleRing(std::size_t capacity = kMonthOfSeconds);

    void add(double time, double value);
    void clear();

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    // The i-th reading, 0 the oldest.
    double time(std::size_t i) const { return times_[slot(i)]; }
    double value(std::size_t i) const { return values_[slot(i)]; }

    // The index of the first reading at or after `time` (size() when none).
    std::size_t firstAtOrAfter(double time) const;
    // The values of readings [from, to) copied out in order.
    std::vector<double> values(std::size_t from, std::size_t to) const;

private:
    std::size_t slot(std::size_t i) const { return (start_ + i) % times_.size(); }
    std::size_t capacity_;
    std::vector<double> times_;
    std::vector<double> values_;
    std::size_t start_ = 0;
    std::size_t size_ = 0;
};

// The lowest and highest value of the readings that fall into one pixel column of a plot.
struct PlotColumn {
    bool any = false;  // false: no reading (or only gaps) in this column
    bool gap = false;  // a failed sample fell into this column: the line is broken here
    double minimum = 0;
    double maximum = 0;
};

// The readings between `from` and `to` (UTC seconds) reduced to `columns` columns of equal time:
// however many readings there are, a plot draws at most one line per column.
std::vector<PlotColumn> decimate(const SampleRing& ring, double from, double to, std::size_t columns);

// Phase data on a regular grid of `interval` seconds for the readings between `from` and `to`: each
// reading goes to the grid slot nearest its time, and a slot no reading reached is a gap (NaN).
std::vector<double> phaseGrid(const SampleRing& ring, double from, double to, double interval);

// The number at the start of a reply, blanks skipped ("+1.25E-08\r\n" gives 1.25e-08), or NaN
// when the reply does not start with a number or gives SCPI's "not a number" (9.91E+37).
double leadingValue(std::string_view reply);

}  // namespace kestrix
