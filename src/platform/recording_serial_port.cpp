#include "platform/recording_serial_port.h"

namespace kestrix::platform {

RecordingSerialPort::RecordingSerialPort(SerialPort& port) : port_(port) {
    // The wrapped port raises its events on whoever listens to this one.
    port_.onComm = [this] {
        if (onComm) onComm();
    };
}

RecordingSerialPort::~RecordingSerialPort() { port_.onComm = nullptr; }

std::string RecordingSerialPort::input() {
    std::string bytes = port_.input();
    if (tap && !bytes.empty()) tap->received(bytes);
    return bytes;
}

void RecordingSerialPort::setInBufferCount(int count) {
    // Input thrown away crossed the line all the same: it is taken first, so the tap sees it.
    while (tap && count == 0 && port_.inBufferCount() > 0) {
        const std::string bytes = port_.input();
        if (bytes.empty()) break;
        tap->received(bytes);
    }
    port_.setInBufferCount(count);
}

void RecordingSerialPort::output(const std::string& bytes) {
    port_.output(bytes);  // a refused write throws before it is recorded as sent
    if (tap && !bytes.empty()) tap->sent(bytes);
}

}  // namespace kestrix::platform
