#include "receiver-sim/value_checks.h"

#include <cmath>
#include <cstdio>

#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"

namespace kestrix::sim {

namespace {

struct Angle {
    int degrees = 0, minutes = 0;
    double seconds = 0;
};

// Degrees, minutes, seconds of one coordinate, within the given largest degree.
std::optional<Angle> readAngle(const std::string& degrees, const std::string& minutes, const std::string& seconds,
                               int maxDegrees) {
    const auto d = parseNumber(degrees);
    const auto m = parseNumber(minutes);
    const auto s = parseNumber(seconds);
    if (!d || !m || !s || *d != std::floor(*d) || *m != std::floor(*m)) return std::nullopt;
    if (*d < 0 || *d > maxDegrees || *m < 0 || *m >= 60 || *s < 0 || *s >= 60) return std::nullopt;
    return Angle{static_cast<int>(*d), static_cast<int>(*m), *s};
}

}  // namespace

CheckedInteger checkedInteger(const std::string& text, int low, int high) {
    const auto number = parseNumber(text);
    if (!number) return {0, error::kDataType};
    if (*number < low || *number > high) return {0, error::kDataOutOfRange};
    return {static_cast<int>(std::lround(*number)), 0};
}

Outcome readTriple(const std::vector<std::string>& parameters, const std::array<std::pair<int, int>, 3>& ranges,
                   Triple& into) {
    if (parameters.size() < 3) return failure(error::kMissingParameter);
    if (parameters.size() > 3) return failure(error::kParameterNotAllowed);
    Triple value{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto checked = checkedInteger(parameters[i], ranges[i].first, ranges[i].second);
        if (checked.error != 0) return failure(checked.error);
        value[i] = checked.value;
    }
    into = value;
    return done();
}

std::string tripleText(const Triple& t) {
    return std::to_string(t[0]) + "," + std::to_string(t[1]) + "," + std::to_string(t[2]);
}

Outcome readPosition(const std::vector<std::string>& parameters, Position& into) {
    if (parameters.size() < 9) return failure(error::kMissingParameter);
    if (parameters.size() > 9) return failure(error::kParameterNotAllowed);
    const std::string northSouth = upperCase(parameters[0]);
    const std::string eastWest = upperCase(parameters[4]);
    if ((northSouth != "N" && northSouth != "S") || (eastWest != "E" && eastWest != "W"))
        return failure(error::kIllegalParameterValue);
    const auto latitude = readAngle(parameters[1], parameters[2], parameters[3], 90);
    const auto longitude = readAngle(parameters[5], parameters[6], parameters[7], 180);
    const auto height = parseNumber(parameters[8]);
    if (!latitude || !longitude) return failure(error::kDataOutOfRange);
    if (!height) return failure(error::kDataType);
    if (*height < -1000 || *height > 18000) return failure(error::kDataOutOfRange);
    into = Position{northSouth[0],      latitude->degrees,  latitude->minutes,
                    latitude->seconds,  eastWest[0],        longitude->degrees,
                    longitude->minutes, longitude->seconds, *height};
    return done();
}

std::string positionText(const Position& p) {
    char text[96];
    std::snprintf(text, sizeof text, "%c,%+d,%+d,%+.3f,%c,%+d,%+d,%+.3f,%+.2f", p.northSouth, p.latitudeDegrees,
                  p.latitudeMinutes, p.latitudeSeconds, p.eastWest, p.longitudeDegrees, p.longitudeMinutes,
                  p.longitudeSeconds, p.height);
    return text;
}

}  // namespace kestrix::sim
