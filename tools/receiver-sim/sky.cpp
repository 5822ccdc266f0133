#include "receiver-sim/sky.h"

#include <array>
#include <cmath>

namespace kestrix::sim {

namespace {

struct Orbit {
    int prn;
    double highestElevation;  // degrees at the top of the pass
    double phase;             // where in its cycle it is at time 0, 0 to 1
    double startAzimuth;      // degrees
};

constexpr double kCycleSeconds = 12 * 3600.0;
constexpr double kPi = 3.14159265358979323846;

constexpr std::array<Orbit, 11> kOrbits{{
    {2, 66, 0.58, 250},
    {5, 62, 0.05, 140},
    {6, 55, 0.21, 300},
    {12, 80, 0.68, 20},
    {16, 58, 0.12, 80},
    {17, 40, 0.33, 220},
    {20, 85, 0.27, 230},
    {24, 45, 0.41, 30},
    {25, 35, 0.47, 290},
    {29, 70, 0.83, 170},
    {30, 50, 0.95, 110},
}};

}  // namespace

std::vector<SatelliteView> skyAt(TimePoint moment, int elevationMask, const std::set<int>& ignored) {
    const double seconds = std::chrono::duration<double>(moment.time_since_epoch()).count();
    const long wholeSeconds = static_cast<long>(seconds);
    std::vector<SatelliteView> sky;
    for (const auto& orbit : kOrbits) {
        const double cycle = std::fmod(seconds / kCycleSeconds + orbit.phase, 1.0);
        // Above the horizon for about 60% of the cycle.
        const double elevation = orbit.highestElevation * (std::sin(2 * kPi * cycle) + 0.3) / 1.3;
        if (elevation < 0) continue;
        SatelliteView view;
        view.prn = orbit.prn;
        view.elevation = static_cast<int>(std::lround(elevation));
        view.azimuth = static_cast<int>(std::lround(std::fmod(orbit.startAzimuth + 150 * cycle, 360.0)));
        const long flicker = (wholeSeconds * 7 + static_cast<long>(orbit.prn) * 13) % 11 - 5;
        view.signal = static_cast<int>(60 + std::lround(1.2 * elevation) + flicker);
        view.tracked = view.elevation >= elevationMask && ignored.count(orbit.prn) == 0;
        sky.push_back(view);
    }
    return sky;
}

}  // namespace kestrix::sim
