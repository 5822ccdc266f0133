#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"
#include "platform/serial_settings.h"

namespace kestrix::platform {

// Bytes waiting to be written, in order, taken from the front as the line accepts them.
class OutputQueue {
public:
    void append(std::string_view bytes) { bytes_ += bytes; }
    // Goes before everything queued so far.
    void prepend(std::string_view bytes);
    std::size_t size() const { return bytes_.size() - head_; }
    bool empty() const { return size() == 0; }
    void clear();

    // Hands the queued bytes to `write` (write(2) or send(2) on a non-blocking descriptor) for as
    // long as it takes them. Returns the errno of a failure, 0 when none (the descriptor full).
    template <typename Write>
    int writeWith(Write write);

private:
    void sent(std::size_t count);

    std::string bytes_;  // those from head_ on are still to be written
    std::size_t head_ = 0;
};

// What a serial port of this computer and one on the network share: the port's number and line
// properties, the buffer its input is read into and taken from as InputLen says, the queue its
// output waits in, the failure that closes it, and the events it raises through onComm in order,
// also when a handler calls the port again. A port fills in opening, closing and reading.
class BufferedSerialPort : public SerialPort {
public:
    // Counts are 16-bit properties; larger amounts are reported as this and kept in full.
    static constexpr std::size_t kLargestCount = 32767;
    // Input beyond this stays where it is (the driver or the connection, whose flow control then
    // holds the sender back).
    static constexpr std::size_t kInputLimit = std::size_t{1} << 20;

    int commPort() const override { return port_; }
    void setCommPort(int port) override;
    std::string settings() const override { return settings_.text(); }
    int handshaking() const override { return handshaking_; }
    void setPortOpen(bool open) override;

    int inputLen() const override { return inputLen_; }
    void setInputLen(int length) override;
    int inBufferCount() override;
    std::string input() override;
    int commEvent() const override { return event_; }
    bool inputFull() const override { return portOpen() && inBuffer_.size() >= kInputLimit; }
    std::uint64_t bytesReceived() const override { return received_; }
    // Why the port was last closed by itself (empty until that happens; cleared on opening).
    std::string lostReason() const override { return lostReason_; }

protected:
    static int clampedCount(std::size_t count) {
        return static_cast<int>(count > kLargestCount ? kLargestCount : count);
    }
    static bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }
    static void checkHandshaking(int handshaking);
    std::string portName() const { return "COM" + std::to_string(port_); }

    virtual void open() = 0;
    // Lets the line go and drops unsent output; what came in stays until the port is closed by
    // the program.
    virtual void close() = 0;
    // Takes into inBuffer_ what has arrived, as a look from a property (which may be one of many
    // in a row) does.
    virtual void takeWaitingInput() = 0;

    // The first failure stands; service() closes the port for it.
    void noteFailure(std::string reason);
    // Raises `codes` in order through onComm, after those still being raised.
    void raise(std::vector<int> codes);

    int port_ = 1;
    SerialSettings settings_;
    int handshaking_ = 0;
    std::string inBuffer_;
    std::uint64_t received_ = 0;  // bytes taken in since the port was made
    OutputQueue outQueue_;
    std::string failure_;
    std::string lostReason_;

private:
    int inputLen_ = 0;
    int event_ = 0;
    std::vector<int> pendingEvents_;
    bool raising_ = false;
};

template <typename Write>
int OutputQueue::writeWith(Write write) {
    while (!empty()) {
        const auto written = write(bytes_.data() + head_, size());
        if (written > 0) {
            sent(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
        break;
    }
    return 0;
}

}  // namespace kestrix::platform
