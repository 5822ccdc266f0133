#pragma once

// What Communication Settings offers for the device behind a COM slot: the serial devices
// present, in the order a user looks for them, and the network addresses it accepts.

#include <string>
#include <vector>

#include "platform/serial_devices.h"

namespace kestrix::config {

struct DeviceChoice {
    std::string label;  // as listed: "Qerrin QX2 0041 (ttyUSB0)", "/dev/ttyS0"
    std::string path;   // as stored in the "Ports" section
};

// The links under /dev/serial/by-id first, by their readable names (they name the same adapter
// wherever it is plugged in), then ttyUSB*, ttyACM* and the ttyS* that answer, each by number.
std::vector<DeviceChoice> deviceChoices(const std::vector<platform::SerialDeviceEntry>& present);

// A /dev/serial/by-id name as a person reads it: "usb-Qerrin_QX2_0041-if00-port0" gives
// "Qerrin QX2 0041".
std::string readableDeviceName(const std::string& byIdName);

// A COM slot's value names a network port ("rfc2217://HOST:PORT" or "tcp://HOST:PORT").
bool isNetworkAddress(const std::string& value);
// Why a network address cannot be used, or empty when it can: the scheme rfc2217:// or tcp://,
// a host (a name, an IPv4 address or a bracketed IPv6 address) and a port from 1 to 65535.
std::string networkAddressProblem(const std::string& address);

}  // namespace kestrix::config
