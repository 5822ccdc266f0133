#include "receiver-sim/civil_time.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace kestrix::sim {

namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

CivilTime civilTime(TimePoint moment, std::chrono::minutes offset) {
    const auto shifted = moment + offset;
    const auto seconds = std::chrono::floor<std::chrono::seconds>(shifted);
    const std::time_t whole = std::chrono::system_clock::to_time_t(seconds);
    std::tm parts{};
    gmtime_r(&whole, &parts);
    CivilTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.nanosecond = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(shifted - seconds).count());
    return t;
}

std::string clockText(const CivilTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return text;
}

std::string dateText(const CivilTime& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d %s %04d", t.day % 100,
                  kMonths[static_cast<std::size_t>((t.month + 11) % 12)], t.year % 10000);
    return text;
}

}  // namespace kestrix::sim
