#pragma once

#include <cstdint>
#include <string>

namespace kestrix::platform {

// What a COM slot of the settings file names: a serial device of this computer ("/dev/ttyUSB0"),
// or a serial port on the network, "rfc2217://HOST:PORT" (Telnet with the COM-PORT-OPTION: the
// far end's line is set from here) or "tcp://HOST:PORT" (a raw byte stream: the line is set at
// the far end). HOST is a name, an IPv4 address or an IPv6 address in brackets.
struct PortAddress {
    enum class Kind { device, rfc2217, tcp };
    Kind kind = Kind::device;
    std::string text;  // as written
    std::string host;  // a network port's host, without brackets
    std::uint16_t port = 0;

    // What keeps a text that names a network port from being used.
    enum class Fault {
        none,
        ipv6Unclosed,     // "[::1:4001"
        notIpv6,          // "[host]:4001"
        noPortAfterIpv6,  // "[::1]" or "[::1]4001"
        noPort,           // "host"
        noHost,           // ":4001"
        ipv6Unbracketed,  // "::1:4001"
        badHost,          // "a b:4001"
        badPort,          // "host:0"
    };
    Fault fault = Fault::none;
    std::string faultyPart;  // the host or the port as written, where the fault lies in one of them
    // The fault as the port's error says it ("no port number after the host"); empty when none.
    std::string problem;

    bool isNetwork() const { return kind != Kind::device; }
};

PortAddress parsePortAddress(const std::string& text);

}  // namespace kestrix::platform
