#pragma once

// The texts by which windows size themselves, measured in their current font: a status or
// terminal screen is 82 characters wide and 25 lines high; the clock window fits eight characters.

#include <string>

namespace kestrix {

// 82 capital letters M: the width of a screen line.
inline const std::string lineWidthSample(82, 'M');

// 25 capital letters M, one per line, joined by single carriage returns: the height of a screen.
inline const std::string screenHeightSample = [] {
    std::string sample = "M";
    for (int line = 1; line < 25; ++line) sample += "\rM";
    return sample;
}();

// Eight letters X: the clock window's size.
inline const std::string clockSizeSample = "XXXXXXXX";

}  // namespace kestrix
