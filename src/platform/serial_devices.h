#pragma once

#include <string>
#include <vector>

namespace kestrix::platform {

// A serial device the system shows under /dev.
struct SerialDeviceEntry {
    std::string path;     // "/dev/serial/by-id/usb-...", "/dev/ttyUSB0", "/dev/ttyS0"
    std::string target;   // for a link under /dev/serial/by-id: the device it names; else empty
    bool answers = true;  // something is behind the name (a ttyS* with a UART behind it)
};

// The serial devices present on this computer, looked at when asked.
class SerialDevices {
public:
    virtual ~SerialDevices() = default;
    virtual std::vector<SerialDeviceEntry> scan() = 0;
};

// The test double: the devices a test lays out.
class FakeSerialDevices final : public SerialDevices {
public:
    std::vector<SerialDeviceEntry> entries;
    int scans = 0;
    std::vector<SerialDeviceEntry> scan() override {
        ++scans;
        return entries;
    }
};

}  // namespace kestrix::platform
