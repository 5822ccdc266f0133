#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrix::sim {

// The comma-separated parameters of a command, blanks around each removed; commas inside quotes
// do not separate. An empty text gives no parameters.
std::vector<std::string> splitParameters(const std::string& text);

// A decimal number as SCPI writes it: sign, digits, point, exponent ("+2.5E-7", "50", ".5").
std::optional<double> parseNumber(const std::string& text);
// A whole number: decimal, or #H, #Q or #B followed by hexadecimal, octal or binary digits.
std::optional<long> parseInteger(const std::string& text);
// ON, OFF, 1 or 0 (any case).
std::optional<bool> parseBoolean(const std::string& text);
// A string between double or single quotes, a doubled quote standing for one.
std::optional<std::string> parseQuoted(const std::string& text);
// A string given with or without quotes.
std::string unquoted(const std::string& text);

std::string upperCase(std::string text);

}  // namespace kestrix::sim
