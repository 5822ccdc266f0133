#pragma once

#include <string>

namespace kestrix::platform {

// What the user is told when a serial device cannot be opened: the port's name ("COM1"), the
// device's path and the system's own description of `error` (an errno value), with how to put
// it right where there is something to do.
std::string openFailureText(const std::string& portName, const std::string& path, int error);

// A device another program holds.
std::string portBusyText(const std::string& portName, const std::string& path);

// A device that opened but is not a serial port.
std::string notSerialText(const std::string& portName, const std::string& path, int error);

}  // namespace kestrix::platform
