#include "platform/port_address.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace kestrix::platform {

namespace {

struct Scheme {
    std::string_view prefix;
    PortAddress::Kind kind;
};
constexpr Scheme kSchemes[] = {{"rfc2217://", PortAddress::Kind::rfc2217}, {"tcp://", PortAddress::Kind::tcp}};

bool startsWithFolded(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(b)) == a;
           });
}

bool allOf(std::string_view text, bool (*allowed)(unsigned char)) {
    return std::all_of(text.begin(), text.end(), [allowed](char c) { return allowed(static_cast<unsigned char>(c)); });
}

bool nameCharacter(unsigned char c) { return std::isalnum(c) || c == '-' || c == '.' || c == '_'; }
// An IPv6 address, with a zone ("fe80::1%eth0") where it has one.
bool ipv6Character(unsigned char c) { return std::isxdigit(c) || c == ':' || c == '.' || c == '%' || nameCharacter(c); }
bool digit(unsigned char c) { return std::isdigit(c) != 0; }

using Fault = PortAddress::Fault;

// How the port's error says each fault; a quoted one begins with the faulty part in quotes.
struct FaultText {
    Fault fault;
    bool quoted;
    std::string_view text;
};
constexpr FaultText kFaultTexts[] = {
    {Fault::ipv6Unclosed, false, "the IPv6 address has no closing bracket"},
    {Fault::notIpv6, true, "is no IPv6 address"},
    {Fault::noPortAfterIpv6, false, "no port number after the host"},
    {Fault::noPort, false, "no port number after the host"},
    {Fault::noHost, false, "no host before the port number"},
    {Fault::ipv6Unbracketed, false, "an IPv6 address is written in brackets, as [::1]:4001"},
    {Fault::badHost, true, "is no host name or address"},
    {Fault::badPort, true, "is no port number (1 to 65535)"},
};

std::string describe(Fault fault, const std::string& faultyPart) {
    for (const FaultText& f : kFaultTexts)
        if (f.fault == fault) return f.quoted ? "\"" + faultyPart + "\" " + std::string(f.text) : std::string(f.text);
    return {};
}

// The fault of "HOST:PORT" or "[V6]:PORT", with the part it lies in; the host and port when none.
std::pair<Fault, std::string_view> splitHostPort(std::string_view rest, PortAddress& address) {
    std::string_view host;
    std::string_view port;
    if (rest.starts_with('[')) {
        const auto close = rest.find(']');
        if (close == std::string_view::npos) return {Fault::ipv6Unclosed, {}};
        if (close + 1 >= rest.size() || rest[close + 1] != ':') return {Fault::noPortAfterIpv6, {}};
        host = rest.substr(1, close - 1);
        if (host.empty() || !allOf(host, ipv6Character) || host.find(':') == std::string_view::npos)
            return {Fault::notIpv6, host};
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos) return {Fault::noPort, {}};
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (host.empty()) return {Fault::noHost, {}};
        if (host.find(':') != std::string_view::npos) return {Fault::ipv6Unbracketed, host};
        if (!allOf(host, nameCharacter)) return {Fault::badHost, host};
    }
    if (port.empty() || port.size() > 5 || !allOf(port, digit) || std::stoul(std::string(port)) == 0 ||
        std::stoul(std::string(port)) > 65535)
        return {Fault::badPort, port};
    address.host = std::string(host);
    address.port = static_cast<std::uint16_t>(std::stoul(std::string(port)));
    return {Fault::none, {}};
}

}  // namespace

PortAddress parsePortAddress(const std::string& text) {
    PortAddress address;
    address.text = text;
    for (const Scheme& scheme : kSchemes) {
        if (!startsWithFolded(text, scheme.prefix)) continue;
        address.kind = scheme.kind;
        const auto [fault, part] = splitHostPort(std::string_view(text).substr(scheme.prefix.size()), address);
        address.fault = fault;
        address.faultyPart = std::string(part);
        address.problem = describe(fault, address.faultyPart);
        break;
    }
    return address;
}

}  // namespace kestrix::platform
