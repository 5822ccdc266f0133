#include "platform/port_factory.h"

#include "platform/network_serial_port.h"
#include "platform/port_address.h"
#include "platform/posix_serial_port.h"

namespace kestrix::platform {

std::unique_ptr<SerialPort> makeReceiverPort(const std::string& address, std::string& why) {
    const PortAddress parsed = parsePortAddress(address);
    if (parsed.isNetwork()) {
        if (!parsed.problem.empty()) {
            why = parsed.problem;
            return nullptr;
        }
        return std::make_unique<NetworkSerialPort>([address](int) { return address; });
    }
    if (address.find("://") != std::string::npos) {
        why = "expected a device path, rfc2217://HOST:PORT or tcp://HOST:PORT";
        return nullptr;
    }
    if (address.empty() || address.front() != '/') {
        why = "expected an absolute device path such as /dev/ttyUSB0";
        return nullptr;
    }
    return std::make_unique<PosixSerialPort>([address](int) { return address; });
}

}  // namespace kestrix::platform
