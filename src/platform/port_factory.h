#pragma once

#include <memory>
#include <string>

#include "platform/serial_port.h"

namespace kestrix::platform {

// The serial port a receiver's address names: a device path ("/dev/ttyUSB0"), or a network port
// ("rfc2217://HOST:PORT", "tcp://HOST:PORT"). Null, with `why` said, for an address no port can take.
std::unique_ptr<SerialPort> makeReceiverPort(const std::string& address, std::string& why);

}  // namespace kestrix::platform
