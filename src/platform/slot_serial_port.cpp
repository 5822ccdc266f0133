#include "platform/slot_serial_port.h"

#include <utility>

#include "platform/port_address.h"

namespace kestrix::platform {

SlotSerialPort::SlotSerialPort(std::function<std::string(int port)> slotOf)
    : slotOf_(std::move(slotOf)), device_(slotOf_), network_(slotOf_) {
    for (SerialPort* port : {static_cast<SerialPort*>(&device_), static_cast<SerialPort*>(&network_)})
        port->onComm = [this] {
            if (onComm) onComm();
        };
}

SerialPort& SlotSerialPort::other() {
    return active_ == &device_ ? static_cast<SerialPort&>(network_) : static_cast<SerialPort&>(device_);
}

// The port in use applies a value first (it may refuse it); the other only keeps it.
void SlotSerialPort::setCommPort(int port) {
    active_->setCommPort(port);
    other().setCommPort(port);
}

void SlotSerialPort::setSettings(const std::string& settings) {
    active_->setSettings(settings);
    other().setSettings(settings);
}

void SlotSerialPort::setHandshaking(int handshaking) {
    active_->setHandshaking(handshaking);
    other().setHandshaking(handshaking);
}

void SlotSerialPort::setInputLen(int length) {
    active_->setInputLen(length);
    other().setInputLen(length);
}

void SlotSerialPort::setPortOpen(bool open) {
    if (open && !active_->portOpen()) {
        const bool network = parsePortAddress(slotOf_ ? slotOf_(active_->commPort()) : std::string()).isNetwork();
        active_ = network ? static_cast<SerialPort*>(&network_) : &device_;
    }
    active_->setPortOpen(open);
}

}  // namespace kestrix::platform
