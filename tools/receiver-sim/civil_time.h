#pragma once

#include <chrono>
#include <string>

namespace kestrix::sim {

using TimePoint = std::chrono::system_clock::time_point;

// A moment as a calendar shows it.
struct CivilTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    long nanosecond = 0;
};

// The calendar reading of a moment, shifted by an offset from UTC.
CivilTime civilTime(TimePoint moment, std::chrono::minutes offset = std::chrono::minutes{0});

// "13:05:22"
std::string clockText(const CivilTime& t);
// "17 May 2024"
std::string dateText(const CivilTime& t);

}  // namespace kestrix::sim
