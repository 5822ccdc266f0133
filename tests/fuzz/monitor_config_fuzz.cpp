// The monitor's configuration reader on any text, and the metric families built from what a
// receiver might answer.
//
// Invariants beyond "no crash":
//   - a text is either refused with mistakes, each "FILE:LINE: reason" with a line in the text,
//     or read into a configuration that names at least one receiver, each with a port, a valid
//     line and intervals in their ranges;
//   - every label value of the families built from the text's bytes is valid UTF-8.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "monitor/metrics.h"
#include "monitor/monitor_config.h"

namespace {

using kestrix::fuzz::require;

bool validUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto reading = kestrix::monitor::readMonitorConfig(text, "f");
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n') +
                                                std::count(text.begin(), text.end(), '\r') + 1);
    for (const std::string& mistake : reading.mistakes) {
        require(mistake.rfind("f:", 0) == 0, "a mistake without its file");
        require(std::stoul(mistake.substr(2)) >= 1 && std::stoul(mistake.substr(2)) <= lines,
                "a mistake's line is outside the text");
    }
    if (reading.mistakes.empty()) {
        require(!reading.config.receivers.empty(), "a good configuration without receivers");
        for (const auto& r : reading.config.receivers) {
            require(!r.port.empty(), "a receiver without a port");
            require(r.intervalSeconds >= 1 && r.intervalSeconds <= 3600, "an interval out of range");
            require(r.statusSeconds >= 1 && r.statusSeconds <= 86400, "a status interval out of range");
        }
    }

    kestrix::monitor::ReceiverReadings readings;
    readings.name = "r";
    readings.identity = kestrix::monitor::parseIdentity(text);
    readings.trend[text] = 1;
    for (const auto& family : kestrix::monitor::metricFamilies({readings}, 0))
        for (const auto& sample : family.samples)
            for (const auto& [name, value] : sample.labels) require(validUtf8(value), "a label value is not UTF-8");
    return 0;
}
