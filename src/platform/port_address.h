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
    // Why a text that names a network port cannot be used ("no port number after the host"); empty
    // when it can.
    std::string problem;

    bool isNetwork() const { return kind != Kind::device; }
};

PortAddress parsePortAddress(const std::string& text);

}  // namespace kestrix::platform
