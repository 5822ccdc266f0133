#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// Rounds to the nearest whole number, half-way values to even.
long roundHalfEven(double value);

// The link engine's time: whole seconds since midnight, rounded half to even.
long wholeSeconds(double secondsSinceMidnight);

// Seconds from `start` to `now`, both since midnight; a `now` below `start` is on the next day.
template <typename T>
T elapsedSince(T start, T now) {
    if (now < start) now += 86400;
    return now - start;
}

// The number at the start of a text, blanks skipped, up to the first character that cannot
// continue it ("10.5pt" gives 10.5, "x" gives 0).
double leadingNumber(std::string_view text);

// A number as the system writes it into texts: a blank before a number that is not negative,
// a minus sign otherwise (5 gives " 5", -3 gives "-3").
std::string signedText(long value);

// The shortest plain decimal text that reads back as the same single-precision number (9 gives
// "9", 9.75 gives "9.75", 0.0001 gives "0.0001", never an exponent form such as "1e-04").
std::string shortestText(float value);

}  // namespace kestrix
