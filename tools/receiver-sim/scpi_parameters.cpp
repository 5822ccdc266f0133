#include "receiver-sim/scpi_parameters.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kestrix::sim {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The radix a "#" number's letter names; 0 for none.
int radixOf(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'H': return 16;
        case 'Q': return 8;
        case 'B': return 2;
        default: return 0;
    }
}

}  // namespace

std::vector<std::string> splitParameters(const std::string& text) {
    std::vector<std::string> parameters;
    if (trimmed(text).empty()) return parameters;
    std::string current;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ',') {
            parameters.push_back(trimmed(current));
            current.clear();
            continue;
        }
        current += c;
    }
    parameters.push_back(trimmed(current));
    return parameters;
}

std::optional<double> parseNumber(const std::string& raw) {
    const std::string text = trimmed(raw);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}

std::optional<long> parseInteger(const std::string& raw) {
    const std::string text = trimmed(raw);
    if (text.size() > 2 && text[0] == '#') {
        const int base = radixOf(text[1]);
        if (base == 0 || text.size() > 20) return std::nullopt;
        char* end = nullptr;
        const long value = std::strtol(text.c_str() + 2, &end, base);
        if (*end != '\0' || value < 0) return std::nullopt;
        return value;
    }
    const auto number = parseNumber(text);
    if (!number || *number > 2e9 || *number < -2e9) return std::nullopt;
    return std::lround(*number);
}

std::optional<bool> parseBoolean(const std::string& raw) {
    const std::string text = upperCase(trimmed(raw));
    if (text == "ON" || text == "1") return true;
    if (text == "OFF" || text == "0") return false;
    return std::nullopt;
}

std::optional<std::string> parseQuoted(const std::string& raw) {
    const std::string text = trimmed(raw);
    if (text.size() < 2 || (text.front() != '"' && text.front() != '\'') || text.back() != text.front())
        return std::nullopt;
    const char quote = text.front();
    std::string value;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 2 < text.size() && text[i + 1] == quote) ++i;
            else return std::nullopt;
        }
        value += text[i];
    }
    return value;
}

std::string unquoted(const std::string& text) {
    if (auto inside = parseQuoted(text)) return *inside;
    return trimmed(text);
}

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace kestrix::sim
