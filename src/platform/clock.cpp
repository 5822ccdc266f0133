#include "platform/clock.h"

#include <chrono>
#include <cmath>

namespace kestrix::platform {

double SystemClock::secondsSinceMidnight() const {
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    const std::time_t t = duration_cast<seconds>(since).count();
    std::tm local{};
    localtime_r(&t, &local);
    const double fraction = duration<double>(since).count() - static_cast<double>(t);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

DateTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

double SystemClock::utcSeconds() const {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

double FakeClock::utcSeconds() const {
    std::tm midnight{};
    midnight.tm_year = date.year - 1900;
    midnight.tm_mon = date.month - 1;
    midnight.tm_mday = date.day;
    return static_cast<double>(timegm(&midnight)) + daysAdvanced * 86400.0 + seconds;
}

DateTime FakeClock::now() const {
    DateTime d = date;
    const int whole = static_cast<int>(std::floor(seconds));
    d.hour = whole / 3600;
    d.minute = whole / 60 % 60;
    d.second = whole % 60;
    return d;
}

}  // namespace kestrix::platform
