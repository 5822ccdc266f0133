#pragma once

#include <set>
#include <vector>

#include "receiver-sim/civil_time.h"

namespace kestrix::sim {

// One satellite above the horizon as the receiver sees it.
struct SatelliteView {
    int prn = 0;
    int elevation = 0;  // degrees
    int azimuth = 0;    // degrees
    int signal = 0;     // signal strength
    bool tracked = false;
};

// The satellites above the horizon at a moment: they rise, cross the sky and set over hours,
// and their signal strengths flicker from second to second. A satellite is tracked when it is
// above the elevation mask and not ignored. Sorted by satellite number.
std::vector<SatelliteView> skyAt(TimePoint moment, int elevationMask, const std::set<int>& ignored);

}  // namespace kestrix::sim
