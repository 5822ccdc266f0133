#pragma once

#include <optional>
#include <string>
#include <vector>

#include "trend/deviations.h"

namespace kestrix {

// The ITU-T limits a timing source's wander is judged against: MTIE and TDEV masks for a primary
// reference clock (G.811) and a primary reference time clock, class A or B (G.8272).
enum class Mask { G811Prc, G8272PrtcA, G8272PrtcB };

inline constexpr Mask kMasks[] = {Mask::G811Prc, Mask::G8272PrtcA, Mask::G8272PrtcB};

// "G.811 PRC", "G.8272 PRTC-A", "G.8272 PRTC-B".
std::string maskName(Mask mask);

// The limit in seconds at `tau` for MTIE or TDEV; nothing outside the range of tau the mask
// defines or for another statistic.
std::optional<double> maskLimit(Mask mask, Statistic statistic, double tau);

// Where a mask's limit may be drawn: the ends of its range of tau.
struct TauRange {
    double from = 0, to = 0;
};
TauRange maskRange(Mask mask, Statistic statistic);

// The points judged against a mask: only those whose tau the mask covers and whose value exists.
struct MaskVerdict {
    std::size_t judged = 0;              // points inside the mask's range
    std::optional<double> firstFailure;  // the smallest tau above the limit
    bool passed() const { return judged > 0 && !firstFailure; }
};
MaskVerdict judge(Mask mask, Statistic statistic, const std::vector<Deviation>& points);

// "G.8272 PRTC-A MTIE: pass" or "... fails at tau = 512 s"; "... no point in range".
std::string verdictText(Mask mask, Statistic statistic, const MaskVerdict& verdict);

}  // namespace kestrix
