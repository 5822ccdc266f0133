#include "monitor/monitor_config.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "platform/ini_text.h"
#include "platform/serial_port.h"

namespace kestrix::monitor {

namespace {

using platform::ini::ReadLine;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number or decimal in [low, high]; false for anything else.
bool numberIn(const std::string& text, double low, double high, double& out) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    return result.ec == std::errc{} && result.ptr == end && std::isfinite(out) && out >= low && out <= high;
}

bool integerIn(const std::string& text, int low, int high, int& out) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    return result.ec == std::errc{} && result.ptr == end && out >= low && out <= high;
}

// A receiver's name becomes a label value and part of its record files' names.
bool validName(const std::string& name) {
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_' || c == '.';
    }) && name.front() != '.';
}

std::vector<std::string> queriesOf(const std::string& list) {
    std::vector<std::string> queries;
    std::string item;
    for (std::size_t at = 0; at <= list.size(); ++at) {
        if (at == list.size() || list[at] == ',') {
            queries.push_back(trimmed(item));
            item.clear();
        } else {
            item += list[at];
        }
    }
    return queries;
}

// Checks one key line and stores its value; returns the reason it is refused, or empty.
using Setter = std::function<std::string(const std::string& value)>;

class Reader {
public:
    explicit Reader(std::string file) : file_(std::move(file)) {}

    ConfigReading read(const std::string& text) {
        for (const ReadLine& line : platform::ini::readLines(text)) take(line);
        finish();
        std::stable_sort(out_.mistakes.begin(), out_.mistakes.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        ConfigReading reading;
        reading.config = std::move(config_);
        for (auto& [line, text] : out_.mistakes) reading.mistakes.push_back(std::move(text));
        return reading;
    }

private:
    enum class In { Nothing, Monitor, Receiver, Refused };

    void mistake(int line, const std::string& reason) {
        out_.mistakes.emplace_back(line, file_ + ":" + std::to_string(line) + ": " + reason);
    }

    void take(const ReadLine& line) {
        switch (line.kind) {
            case ReadLine::Kind::Blank:
            case ReadLine::Kind::Comment: return;
            case ReadLine::Kind::Unreadable:
                mistake(line.number, "not a [Section] header, a key=value line or a comment");
                return;
            case ReadLine::Kind::Section: section(line); return;
            case ReadLine::Kind::Key: key(line); return;
        }
    }

    void section(const ReadLine& line) {
        endReceiver();
        seenKeys_.clear();
        const std::string title = lowered(line.name);
        if (title == "monitor") {
            if (monitorSeen_) mistake(line.number, "a second [Monitor] section");
            monitorSeen_ = true;
            in_ = In::Monitor;
            return;
        }
        if (title.rfind("receiver", 0) == 0 && (title.size() == 8 || title[8] == ' ' || title[8] == '\t')) {
            const std::string name = trimmed(line.name.substr(8));
            in_ = In::Refused;
            if (name.empty()) return mistake(line.number, "a [Receiver NAME] section needs a name");
            if (!validName(name))
                return mistake(line.number, "receiver name \"" + name +
                                                "\" may hold only letters, digits, '-', '_' and '.' (64 at most)");
            if (!names_.insert(lowered(name)).second)
                return mistake(line.number, "a second receiver named \"" + name + "\"");
            ReceiverConfig receiver;
            receiver.name = name;
            receiver.section = line.number;
            receiver.trend = queriesOf(kDefaultTrend);
            config_.receivers.push_back(std::move(receiver));
            in_ = In::Receiver;
            portSeen_ = false;
            return;
        }
        in_ = In::Refused;
        mistake(line.number, "unknown section [" + line.name + "] (expected [Monitor] or [Receiver NAME])");
    }

    void key(const ReadLine& line) {
        if (in_ == In::Refused) return;  // its section is already refused
        if (in_ == In::Nothing) return mistake(line.number, "key \"" + line.name + "\" before any section");
        const std::string key = lowered(line.name);
        const auto& setters = in_ == In::Monitor ? monitorKeys() : receiverKeys();
        const auto setter = setters.find(key);
        if (setter == setters.end())
            return mistake(line.number, "unknown key \"" + line.name + "\" in [" +
                                            (in_ == In::Monitor ? "Monitor" : "Receiver") + "]");
        if (!seenKeys_.insert(key).second) return mistake(line.number, "key \"" + line.name + "\" given twice");
        const std::string reason = setter->second(line.value);
        if (!reason.empty()) mistake(line.number, line.name + "=" + line.value + ": " + reason);
    }

    void endReceiver() {
        if (in_ == In::Receiver && !portSeen_)
            mistake(receiver().section, "receiver \"" + receiver().name + "\" has no Port=");
    }

    void finish() {
        endReceiver();
        if (config_.receivers.empty() && out_.mistakes.empty())
            mistake(1, "no [Receiver NAME] section: nothing to monitor");
    }

    ReceiverConfig& receiver() { return config_.receivers.back(); }

    const std::map<std::string, Setter>& monitorKeys() {
        if (monitorKeys_.empty()) {
            monitorKeys_["listen"] = [this](const std::string& v) -> std::string {
                if (!parseListen(v, config_.listenHost, config_.listenPort))
                    return "expected HOST:PORT, such as 127.0.0.1:9730, with a port from 1 to 65535";
                return {};
            };
            monitorKeys_["recordfolder"] = [this](const std::string& v) -> std::string {
                config_.recordFolder = v;
                return {};
            };
            monitorKeys_["onalarm"] = [this](const std::string& v) -> std::string {
                config_.onAlarm = v;
                return {};
            };
            monitorKeys_["clearalarms"] = [this](const std::string& v) -> std::string {
                if (v != "0" && v != "1") return "expected 0 or 1";
                config_.clearAlarms = v == "1";
                return {};
            };
        }
        return monitorKeys_;
    }

    const std::map<std::string, Setter>& receiverKeys() {
        if (receiverKeys_.empty()) {
            receiverKeys_["port"] = [this](const std::string& v) -> std::string {
                portSeen_ = true;
                if (v.empty()) return "expected a device path or a network port's address";
                receiver().port = v;
                return {};
            };
            receiverKeys_["speed"] = [this](const std::string& v) -> std::string {
                int baud = 0;
                if (!integerIn(v, 1, 4000000, baud) || !platform::isSupportedBaud(baud))
                    return "not a speed the port supports";
                receiver().line.baud = baud;
                return {};
            };
            receiverKeys_["parity"] = [this](const std::string& v) -> std::string {
                const std::string p = lowered(v);
                static const std::map<std::string, char> kParities{{"n", 'n'}, {"none", 'n'}, {"e", 'e'}, {"even", 'e'},
                                                                   {"o", 'o'}, {"odd", 'o'},  {"m", 'm'}, {"mark", 'm'},
                                                                   {"s", 's'}, {"space", 's'}};
                const auto found = kParities.find(p);
                if (found == kParities.end()) return "expected N, E, O, M or S";
                receiver().line.parity = found->second;
                return {};
            };
            receiverKeys_["databits"] = [this](const std::string& v) -> std::string {
                if (!integerIn(v, 7, 8, receiver().line.dataBits)) return "expected 7 or 8";
                return {};
            };
            receiverKeys_["stopbits"] = [this](const std::string& v) -> std::string {
                if (!integerIn(v, 1, 2, receiver().line.stopBits)) return "expected 1 or 2";
                return {};
            };
            receiverKeys_["trend"] = [this](const std::string& v) -> std::string {
                std::vector<std::string> queries = queriesOf(v);
                for (const std::string& q : queries)
                    if (q.empty()) return "an empty query in the list";
                receiver().trend = std::move(queries);
                return {};
            };
            receiverKeys_["interval"] = [this](const std::string& v) -> std::string {
                if (!numberIn(v, 1, 3600, receiver().intervalSeconds)) return "expected seconds from 1 to 3600";
                return {};
            };
            receiverKeys_["status"] = [this](const std::string& v) -> std::string {
                if (!numberIn(v, 1, 86400, receiver().statusSeconds)) return "expected seconds from 1 to 86400";
                return {};
            };
        }
        return receiverKeys_;
    }

    std::string file_;
    MonitorConfig config_;
    struct {
        std::vector<std::pair<int, std::string>> mistakes;
    } out_;
    In in_ = In::Nothing;
    bool monitorSeen_ = false;
    bool portSeen_ = false;
    std::set<std::string> names_;
    std::set<std::string> seenKeys_;
    std::map<std::string, Setter> monitorKeys_, receiverKeys_;
};

}  // namespace

bool parseListen(const std::string& text, std::string& host, int& port) {
    std::string h;
    std::string p;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos) return false;
        h = text.substr(1, close - 1);
        p = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) return false;
        h = text.substr(0, colon);
        p = text.substr(colon + 1);
    }
    int n = 0;
    if (h.empty() || !integerIn(p, 1, 65535, n)) return false;
    host = h;
    port = n;
    return true;
}

ConfigReading readMonitorConfig(const std::string& text, const std::string& file) { return Reader(file).read(text); }

}  // namespace kestrix::monitor
