#pragma once

#include <string>
#include <vector>

#include "platform/profile.h"
#include "trend/deviations.h"
#include "trend/masks.h"

namespace kestrix {

// The trend window's settings, kept in "Receiver.INI" in the section "Trend", which nothing else
// touches:
//
//   [Trend]
//   Series1=:SYNC:TINT?        the queries sampled, in order (Series1 to Series8); none: nothing is
//   Series2=:DIAG:ROSC:EFC:ABS?    sampled until the user chooses a series
//   Interval=10                seconds between samples, 1 to 3600
//   HoldView=0                 1: the view's polls are held while sampling
//   RecordFile=/home/lab/tint.csv   the file samples are appended to; empty: none
//   Statistics=ADEV,TDEV       the stability statistics shown: ADEV MDEV HDEV TDEV TIERMS MTIE
//   Masks=PRTC-A               the masks drawn over MTIE and TDEV: PRC PRTC-A PRTC-B; empty: none
//   ErrorBars=1                the error bars drawn and tabulated (1) or not (0)
//   RemoveDrift=0              a linear frequency drift taken out before ADEV, MDEV and TDEV
struct TrendSettings {
    std::vector<std::string> series;
    int intervalSeconds = 10;
    std::string recordFile;
    bool holdView = false;
    std::vector<Statistic> statistics = {Statistic::Adev, Statistic::Tdev};
    std::vector<Mask> masks = {};
    bool errorBars = true;
    bool removeDrift = false;
};

inline constexpr const char* kTrendSection = "Trend";
inline constexpr std::size_t kMostSeries = 8;

TrendSettings readTrendSettings(platform::Profile& profile);
// Writes every key of the section (unused series keys emptied); the profile's error when it fails.
[[nodiscard]] std::string writeTrendSettings(platform::Profile& profile, const TrendSettings& settings);

}  // namespace kestrix
