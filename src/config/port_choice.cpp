#include "config/port_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <tuple>

namespace kestrix::config {

namespace {

constexpr const char* kByIdFolder = "/serial/by-id/";
constexpr std::array<const char*, 3> kDeviceFamilies{"ttyUSB", "ttyACM", "ttyS"};

std::string baseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Drops "-<tag><digits>" from the end of `name` (such as "-if00" or "-port0").
void dropNumberedSuffix(std::string& name, const std::string& tag) {
    const auto dash = name.rfind("-" + tag);
    if (dash != std::string::npos && allDigits(name.substr(dash + 1 + tag.size()))) name.erase(dash);
}

// Where a plain device sorts: its family, then its number; families not offered give none.
std::optional<std::tuple<std::size_t, unsigned long>> familyOrder(const std::string& name) {
    for (std::size_t family = 0; family < kDeviceFamilies.size(); ++family) {
        const std::string prefix = kDeviceFamilies[family];
        if (!name.starts_with(prefix)) continue;
        const std::string number = name.substr(prefix.size());
        if (!allDigits(number) || number.size() > 9) return std::nullopt;
        return std::tuple{family, std::stoul(number)};
    }
    return std::nullopt;
}

}  // namespace

std::string readableDeviceName(const std::string& byIdName) {
    std::string name = byIdName;
    for (const char* bus : {"usb-", "pci-", "platform-"})
        if (name.starts_with(bus)) name.erase(0, std::string(bus).size());
    dropNumberedSuffix(name, "port");
    dropNumberedSuffix(name, "if");
    std::replace(name.begin(), name.end(), '_', ' ');
    return name.empty() ? byIdName : name;
}

std::vector<DeviceChoice> deviceChoices(const std::vector<platform::SerialDeviceEntry>& present) {
    std::vector<DeviceChoice> byId;
    std::vector<std::pair<std::tuple<std::size_t, unsigned long>, DeviceChoice>> plain;
    for (const auto& device : present) {
        if (!device.answers) continue;
        const std::string name = baseName(device.path);
        if (device.path.find(kByIdFolder) != std::string::npos) {
            std::string label = readableDeviceName(name);
            if (!device.target.empty()) label += " (" + baseName(device.target) + ")";
            byId.push_back({label, device.path});
        } else if (const auto order = familyOrder(name)) {
            plain.push_back({*order, {device.path, device.path}});
        }
    }
    std::sort(byId.begin(), byId.end(), [](const DeviceChoice& a, const DeviceChoice& b) {
        return std::tie(a.label, a.path) < std::tie(b.label, b.path);
    });
    std::sort(plain.begin(), plain.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [order, choice] : plain) byId.push_back(std::move(choice));
    return byId;
}

bool isNetworkAddress(const std::string& value) { return value.find("://") != std::string::npos; }

std::string networkAddressProblem(const std::string& address) {
    const auto schemeEnd = address.find("://");
    const std::string scheme = schemeEnd == std::string::npos ? std::string() : address.substr(0, schemeEnd);
    if (scheme != "rfc2217" && scheme != "tcp") return "A network address starts with rfc2217:// or tcp://";
    const std::string rest = address.substr(schemeEnd + 3);
    std::string host;
    std::string port;
    if (rest.starts_with("[")) {
        const auto close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return "An IPv6 address is written in brackets, followed by a colon and the port: [::1]:2217";
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string::npos) return "The address needs a port: HOST:PORT";
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.find_first_of(":/ ") != std::string::npos) return "The host name is not valid: " + host;
    }
    if (host.empty()) return "The address needs a host: HOST:PORT";
    if (!allDigits(port) || port.size() > 5 || std::stoul(port) < 1 || std::stoul(port) > 65535)
        return "The port is a number from 1 to 65535";
    return {};
}

}  // namespace kestrix::config
