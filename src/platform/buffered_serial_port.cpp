#include "platform/buffered_serial_port.h"

#include <utility>

#include "platform/posix_line_settings.h"

namespace kestrix::platform {

namespace {

// Written bytes are dropped from the front of the queue once this many have gone.
constexpr std::size_t kCompactAfter = std::size_t{1} << 16;

}  // namespace

void OutputQueue::prepend(std::string_view bytes) {
    bytes_.replace(0, head_, bytes);
    head_ = 0;
}

void OutputQueue::clear() {
    bytes_.clear();
    head_ = 0;
}

void OutputQueue::sent(std::size_t count) {
    head_ += count;
    if (head_ == bytes_.size()) {
        clear();
    } else if (head_ >= kCompactAfter && head_ * 2 >= bytes_.size()) {
        bytes_.erase(0, head_);
        head_ = 0;
    }
}

void BufferedSerialPort::setCommPort(int port) {
    if (portOpen()) throw SerialError("Port already open");
    if (port < 1 || port > 16) throw SerialError("Invalid port number");
    port_ = port;
}

void BufferedSerialPort::checkHandshaking(int handshaking) {
    if (handshaking < handshake::none || handshaking > handshake::both) throw SerialError("Invalid handshaking value");
}

void BufferedSerialPort::setPortOpen(bool open) {
    if (open) {
        this->open();
    } else {
        close();
        inBuffer_.clear();
    }
}

void BufferedSerialPort::setInputLen(int length) {
    if (length < 0) throw SerialError("Invalid property value");
    inputLen_ = length;
}

int BufferedSerialPort::inBufferCount() {
    takeWaitingInput();
    return clampedCount(inBuffer_.size());
}

std::string BufferedSerialPort::input() {
    takeWaitingInput();
    std::string taken;
    if (inputLen_ == 0 || static_cast<std::size_t>(inputLen_) >= inBuffer_.size()) {
        taken.swap(inBuffer_);
    } else {
        taken = inBuffer_.substr(0, static_cast<std::size_t>(inputLen_));
        inBuffer_.erase(0, static_cast<std::size_t>(inputLen_));
    }
    return taken;
}

void BufferedSerialPort::noteFailure(std::string reason) {
    if (failure_.empty()) failure_ = std::move(reason);
}

void BufferedSerialPort::raise(std::vector<int> codes) {
    pendingEvents_.insert(pendingEvents_.end(), codes.begin(), codes.end());
    if (raising_) return;  // the handler called service() again; the outer loop raises them
    raising_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{raising_};
    while (!pendingEvents_.empty()) {
        event_ = pendingEvents_.front();
        pendingEvents_.erase(pendingEvents_.begin());
        if (onComm) onComm();
    }
}

}  // namespace kestrix::platform
