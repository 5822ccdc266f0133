#include "trend/trend_settings.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kestrix {

namespace {

constexpr std::pair<Statistic, const char*> kStatisticKeys[] = {
    {Statistic::Adev, "ADEV"}, {Statistic::Mdev, "MDEV"},     {Statistic::Hdev, "HDEV"},
    {Statistic::Tdev, "TDEV"}, {Statistic::TieRms, "TIERMS"}, {Statistic::Mtie, "MTIE"}};
constexpr std::pair<Mask, const char*> kMaskKeys[] = {
    {Mask::G811Prc, "PRC"}, {Mask::G8272PrtcA, "PRTC-A"}, {Mask::G8272PrtcB, "PRTC-B"}};

// The names in a comma-separated list that the table knows, in the table's order, once each.
template <typename T, std::size_t N>
std::vector<T> namedList(const std::string& text, const std::pair<T, const char*> (&table)[N]) {
    std::vector<T> out;
    for (const auto& [value, name] : table) {
        const std::string key = name;
        for (std::size_t at = 0; at <= text.size();) {
            std::size_t end = text.find(',', at);
            if (end == std::string::npos) end = text.size();
            std::string item = text.substr(at, end - at);
            std::erase(item, ' ');
            for (char& c : item) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (item == key) {
                out.push_back(value);
                break;
            }
            at = end + 1;
        }
    }
    return out;
}

template <typename T, std::size_t N>
std::string listText(const std::vector<T>& values, const std::pair<T, const char*> (&table)[N]) {
    std::string text;
    for (const auto& [value, name] : table)
        if (std::find(values.begin(), values.end(), value) != values.end())
            text += (text.empty() ? "" : ",") + std::string(name);
    return text;
}

}  // namespace

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
    settings.statistics =
        namedList(platform::readWholeString(profile, kTrendSection, "Statistics", "ADEV,TDEV"), kStatisticKeys);
    settings.masks = namedList(platform::readWholeString(profile, kTrendSection, "Masks", ""), kMaskKeys);
    settings.errorBars = profile.GetPrivateProfileIntA(kTrendSection, "ErrorBars", 1) != 0;
    settings.removeDrift = profile.GetPrivateProfileIntA(kTrendSection, "RemoveDrift", 0) != 0;
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
    const std::pair<const char*, std::string> more[] = {{"Statistics", listText(settings.statistics, kStatisticKeys)},
                                                        {"Masks", listText(settings.masks, kMaskKeys)},
                                                        {"ErrorBars", settings.errorBars ? "1" : "0"},
                                                        {"RemoveDrift", settings.removeDrift ? "1" : "0"}};
    for (const auto& [key, value] : more)
        written = profile.WritePrivateProfileStringA(kTrendSection, key, value) && written;
    return written ? "" : profile.lastError();
}

}  // namespace kestrix
