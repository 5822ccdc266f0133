#pragma once

// The monitor's configuration: one INI file with a [Monitor] section and one [Receiver NAME]
// section per receiver. Reading it checks every line; a file with a mistake is refused whole,
// each mistake given with the file, the line and the reason.

#include <string>
#include <vector>

#include "platform/serial_settings.h"

namespace kestrix::monitor {

inline constexpr const char* kDefaultListen = "127.0.0.1:9730";
inline constexpr const char* kDefaultTrend = ":SYNC:TINT?,:DIAG:ROSC:EFC:ABS?";

struct ReceiverConfig {
    std::string name;                // from the section's title: the `receiver` label
    std::string port;                // a device path, or a network port's address
    platform::SerialSettings line;   // speed and framing
    std::vector<std::string> trend;  // the queries sampled every `intervalSeconds`
    double intervalSeconds = 10;
    double statusSeconds = 60;  // how often the status registers are read
    int section = 0;            // the line of its section header
};

struct MonitorConfig {
    std::string listenHost = "127.0.0.1";
    int listenPort = 9730;
    std::string recordFolder;  // empty: no records
    std::string onAlarm;       // empty: nothing runs
    bool clearAlarms = false;  // latched events and the alarm cause may be read (and so cleared)
    std::vector<ReceiverConfig> receivers;

    // "127.0.0.1:9730", "[::1]:9730"
    std::string listenAddress() const {
        const bool v6 = listenHost.find(':') != std::string::npos;
        return (v6 ? "[" + listenHost + "]" : listenHost) + ":" + std::to_string(listenPort);
    }
};

struct ConfigReading {
    MonitorConfig config;
    std::vector<std::string> mistakes;  // "FILE:LINE: reason", in line order; empty when the file is good
};

// Reads the text of the file named `file` (the name is used only in the mistakes).
ConfigReading readMonitorConfig(const std::string& text, const std::string& file);

// "HOST:PORT" (an IPv6 host in brackets); false when the text is not one.
bool parseListen(const std::string& text, std::string& host, int& port);

}  // namespace kestrix::monitor
