#include "trend/trend_settings.h"

#include <algorithm>

namespace kestrix::trend {

TrendSettings readTrendSettings(platform::Profile& profile) {
    TrendSettings settings;
    for (std::size_t i = 1; i <= kMostSeries; ++i) {
        std::string query = platform::readWholeString(profile, kTrendSection, "Series" + std::to_string(i), "");
        if (!query.empty() && std::find(settings.series.begin(), settings.series.end(), query) == settings.series.end())
            settings.series.push_back(std::move(query));
    }
    settings.intervalSeconds = std::clamp(profile.GetPrivateProfileIntA(kTrendSection, "Interval", 10), 1, 3600);
    settings.holdView = profile.GetPrivateProfileIntA(kTrendSection, "HoldView", 0) != 0;
    settings.recordFile = platform::readWholeString(profile, kTrendSection, "RecordFile", "");
    return settings;
}

std::string writeTrendSettings(platform::Profile& profile, const TrendSettings& settings) {
    bool written = true;
    for (std::size_t i = 1; i <= kMostSeries; ++i) {
        const std::string query = i <= settings.series.size() ? settings.series[i - 1] : "";
        written = profile.WritePrivateProfileStringA(kTrendSection, "Series" + std::to_string(i), query) && written;
    }
    written = profile.WritePrivateProfileStringA(kTrendSection, "Interval", std::to_string(settings.intervalSeconds)) &&
              written;
    written = profile.WritePrivateProfileStringA(kTrendSection, "HoldView", settings.holdView ? "1" : "0") && written;
    written = profile.WritePrivateProfileStringA(kTrendSection, "RecordFile", settings.recordFile) && written;
    return written ? "" : profile.lastError();
}

}  // namespace kestrix::trend
