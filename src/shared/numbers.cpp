#include "shared/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kestrix {

long roundHalfEven(double value) { return std::lrint(std::nearbyint(value)); }

long wholeSeconds(double secondsSinceMidnight) { return roundHalfEven(secondsSinceMidnight); }

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
            digits = true;
        } else if (c == '.' && !point) {
            number += c;
            point = true;
        } else if (c == ' ') {
            continue;  // blanks inside a number are ignored
        } else {
            break;
        }
    }
    if (!digits) return 0;
    return std::strtod(number.c_str(), nullptr);
}

std::string signedText(long value) { return value < 0 ? std::to_string(value) : " " + std::to_string(value); }

std::string shortestText(float value) {
    char buffer[64];  // room for the longest plain form, about 50 characters
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

}  // namespace kestrix
