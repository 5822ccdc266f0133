#include "config/port_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/port_address.h"

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

// How Communication Settings says what is wrong with a network address; a fault not listed lies in
// the host.
const std::pair<platform::PortAddress::Fault, const char*> kAddressFaultTexts[] = {
    {platform::PortAddress::Fault::ipv6Unclosed,
     "An IPv6 address is written in brackets, followed by a colon and the port: [::1]:2217"},
    {platform::PortAddress::Fault::noPortAfterIpv6,
     "An IPv6 address is written in brackets, followed by a colon and the port: [::1]:2217"},
    {platform::PortAddress::Fault::noPort, "The address needs a port: HOST:PORT"},
    {platform::PortAddress::Fault::noHost, "The address needs a host: HOST:PORT"},
    {platform::PortAddress::Fault::badPort, "The port is a number from 1 to 65535"},
};

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
    using Fault = platform::PortAddress::Fault;
    const platform::PortAddress parsed = platform::parsePortAddress(address);
    if (!parsed.isNetwork()) return "A network address starts with rfc2217:// or tcp://";
    if (parsed.fault == Fault::none) return {};
    if (const auto said = std::find_if(std::begin(kAddressFaultTexts), std::end(kAddressFaultTexts),
                                       [&](const auto& f) { return f.first == parsed.fault; });
        said != std::end(kAddressFaultTexts))
        return said->second;
    // What is left lies in the host as written.
    if (parsed.faultyPart.empty()) return "The address needs a host: HOST:PORT";
    return "The host name is not valid: " + parsed.faultyPart;
}

}  // namespace kestrix::config
