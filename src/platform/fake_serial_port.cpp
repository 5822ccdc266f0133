#include "platform/fake_serial_port.h"

namespace kestrix::platform {

void FakeSerialPort::setCommPort(int port) {
    if (open_) throw SerialError("Port already open");
    if (port < 1 || port > 16) throw SerialError("Invalid port number");
    port_ = port;
}

void FakeSerialPort::setHandshaking(int handshaking) {
    if (handshaking < 0 || handshaking > 3) throw SerialError("Invalid handshaking value");
    handshaking_ = handshaking;
}

void FakeSerialPort::setPortOpen(bool open) {
    if (open && !open_) ++openAttempts;
    if (open && !open_ && !failOpen.empty()) throw SerialError(failOpen);
    if (open && !open_) lostReason_.clear();
    open_ = open;
}

void FakeSerialPort::setInBufferCount(int count) {
    if (count == 0) inBuffer.clear();
}

std::string FakeSerialPort::input() {
    std::string out;
    if (inputLen_ <= 0 || static_cast<std::size_t>(inputLen_) >= inBuffer.size()) {
        out.swap(inBuffer);
    } else {
        out = inBuffer.substr(0, inputLen_);
        inBuffer.erase(0, inputLen_);
    }
    return out;
}

void FakeSerialPort::output(const std::string& bytes) {
    if (!open_) throw SerialError("Port is not open");
    written += bytes;
    writes.push_back(bytes);
}

void FakeSerialPort::raiseEvent(int code) {
    event_ = code;
    if (onComm) onComm();
}

void FakeSerialPort::lose(const std::string& reason) {
    open_ = false;
    lostReason_ = reason;
    raiseEvent(comm::erPortLost);
}

std::string FakeSerialPort::takeWritten() {
    std::string out;
    out.swap(written);
    writes.clear();
    return out;
}

}  // namespace kestrix::platform
