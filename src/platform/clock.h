#pragma once

#include <ctime>

namespace kestrix::platform {

// Local date and time of day.
struct DateTime {
    int year = 2026, month = 1, day = 1;  // month 1 to 12
    int hour = 0, minute = 0, second = 0;
    double secondsSinceMidnight() const { return hour * 3600.0 + minute * 60.0 + second; }
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with their fraction.
    virtual double secondsSinceMidnight() const = 0;
    virtual DateTime now() const = 0;
    // Seconds since 1970-01-01 00:00 UTC, with their fraction.
    virtual double utcSeconds() const = 0;
};

class SystemClock final : public Clock {
public:
    double secondsSinceMidnight() const override;
    DateTime now() const override;
    double utcSeconds() const override;
};

// A clock that stands where the test puts it.
class FakeClock final : public Clock {
public:
    double seconds = 0;
    DateTime date;  // its time of day follows `seconds`
    double secondsSinceMidnight() const override { return seconds; }
    DateTime now() const override;
    // Its date at `seconds`, taken as UTC, plus the days it was advanced past midnight.
    double utcSeconds() const override;
    void advance(double by) {
        seconds += by;
        if (seconds >= 86400) seconds -= 86400, ++daysAdvanced;
    }
    int daysAdvanced = 0;
};

}  // namespace kestrix::platform
