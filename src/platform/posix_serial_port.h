#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix_line_events.h"
#include "platform/serial_port.h"
#include "platform/serial_settings.h"

namespace kestrix::platform {

// The serial port on a POSIX terminal device (termios, non-blocking, raw). Output is queued and
// written as the line takes it; input is read into a buffer. The application calls service()
// from its event loop when the descriptor is readable, when it has room for queued output, and
// now and then while the port is open: it moves the bytes, and raises onComm for line errors,
// breaks, modem-line changes and for a device that went away (comm::erPortLost).
class PosixSerialPort final : public SerialPort {
public:
    // devicePathOf maps CommPort (1, 2, ...) to a device such as "/dev/ttyS0".
    explicit PosixSerialPort(std::function<std::string(int port)> devicePathOf);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    int commPort() const override { return port_; }
    void setCommPort(int port) override;
    std::string settings() const override { return settings_.text(); }
    void setSettings(const std::string& settings) override;
    int handshaking() const override { return handshaking_; }
    void setHandshaking(int handshaking) override;
    bool portOpen() const override { return fd_ >= 0; }
    void setPortOpen(bool open) override;

    int inputLen() const override { return inputLen_; }
    void setInputLen(int length) override;
    int inBufferCount() override;
    void setInBufferCount(int count) override;
    int outBufferCount() override;
    std::string input() override;
    void output(const std::string& bytes) override;
    int commEvent() const override { return event_; }

    // Moves queued output to the line and waiting input into the buffer, then raises onComm for
    // whatever happened on the line since the previous call. Never blocks.
    void service() override;
    // The open device's descriptor (for watching it in an event loop), -1 when closed.
    int fileDescriptor() const override { return fd_; }
    bool outputWaiting() const override { return portOpen() && queuedOutput() > 0; }
    bool inputFull() const override;
    std::uint64_t bytesReceived() const override { return received_; }
    bool reportsLineEvents() const override { return lineEvents_.reports(); }
    // Why the port was last closed by itself (empty until that happens; cleared on opening).
    std::string lostReason() const override { return lostReason_; }

private:
    std::string portName() const;
    void open();
    void close();
    void applyLine(const SerialSettings& settings, int handshaking);
    void writeQueued();
    // Takes in what the driver holds. A tick asks how much is waiting several times over: an
    // answer that the driver held nothing stands for a moment (the event loop's own look always
    // asks the driver).
    enum class Look { fresh, mayRepeatEmpty };
    void readWaiting(Look look);
    bool driverStillEmpty() const;
    void noteDriverEmpty();
    void checkHangUp();
    void noteFailure(int error);
    std::size_t queuedOutput() const { return outQueue_.size() - outHead_; }
    void raise(const std::vector<int>& codes);

    std::function<std::string(int)> devicePathOf_;
    int port_ = 1;
    SerialSettings settings_;
    int handshaking_ = 0;
    int inputLen_ = 0;
    int event_ = 0;

    int fd_ = -1;
    std::string path_;
    std::string inBuffer_;
    std::uint64_t received_ = 0;  // bytes taken in from the device since the port was made
    // When the last look found the driver empty; none when it found bytes, or the port was opened.
    std::optional<std::chrono::steady_clock::time_point> driverFoundEmptyAt_;
    std::string outQueue_;  // bytes from outHead_ on are still to be written
    std::size_t outHead_ = 0;
    LineEventWatch lineEvents_;
    std::string failure_;  // set when the device failed; service() closes the port
    std::string lostReason_;
    std::vector<int> pendingEvents_;
    bool raising_ = false;
};

}  // namespace kestrix::platform
