#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "receiver-sim/command_table.h"

namespace kestrix::sim {

// A whole-number parameter within a range, or the error it earns.
struct CheckedInteger {
    int value = 0;
    int error = 0;
};
CheckedInteger checkedInteger(const std::string& text, int low, int high);

// Three whole numbers within their ranges ("2024,5,17", "13,5,0"), or the error they earn.
Outcome readTriple(const std::vector<std::string>& parameters, const std::array<std::pair<int, int>, 3>& ranges,
                   Triple& into);
inline const std::array<std::pair<int, int>, 3> kDateRanges{{{1980, 2099}, {1, 12}, {1, 31}}};
inline const std::array<std::pair<int, int>, 3> kTimeRanges{{{0, 23}, {0, 59}, {0, 60}}};
std::string tripleText(const Triple& t);

// "N,37,19,32.124,W,121,59,51.872,71.12", or the error it earns.
Outcome readPosition(const std::vector<std::string>& parameters, Position& into);
// "N,+37,+19,+32.124,W,+121,+59,+51.872,+71.12"
std::string positionText(const Position& p);

}  // namespace kestrix::sim
