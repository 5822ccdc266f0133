#include "platform/port_factory.h"

#include "platform/posix_serial_port.h"

namespace kestrix::platform {

std::unique_ptr<SerialPort> makeReceiverPort(const std::string& address, std::string& why) {
    const auto scheme = address.find("://");
    if (scheme != std::string::npos) {
        why = "\"" + address.substr(0, scheme) + "://\" ports are not supported by this build";
        return nullptr;
    }
    if (address.empty() || address.front() != '/') {
        why = "expected an absolute device path such as /dev/ttyUSB0";
        return nullptr;
    }
    return std::make_unique<PosixSerialPort>([address](int) { return address; });
}

}  // namespace kestrix::platform
