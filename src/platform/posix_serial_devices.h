#pragma once

#include <string>

#include "platform/serial_devices.h"

namespace kestrix::platform {

// The links under <dev>/serial/by-id, and the <dev>/ttyUSB*, ttyACM* and ttyS* devices. A ttyS*
// answers when the kernel found a UART behind it (<sys>/ttySn/type other than 0; without that
// file, when the device opens and takes terminal settings); the kernel makes every ttyS* name
// whether or not a port is fitted.
class PosixSerialDevices final : public SerialDevices {
public:
    explicit PosixSerialDevices(std::string dev = "/dev", std::string sys = "/sys/class/tty")
        : dev_(std::move(dev)), sys_(std::move(sys)) {}
    std::vector<SerialDeviceEntry> scan() override;

private:
    bool uartAnswers(const std::string& name) const;

    std::string dev_;
    std::string sys_;
};

}  // namespace kestrix::platform
