#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/buffered_serial_port.h"
#include "platform/posix_line_events.h"
#include "platform/serial_settings.h"

namespace kestrix::platform {

// The serial port on a POSIX terminal device (termios, non-blocking, raw). Output is queued and
// written as the line takes it; input is read into a buffer. The application calls service()
// from its event loop when the descriptor is readable, when it has room for queued output, and
// now and then while the port is open: it moves the bytes, and raises onComm for line errors,
// breaks, modem-line changes and for a device that went away (comm::erPortLost).
class PosixSerialPort final : public BufferedSerialPort {
public:
    // devicePathOf maps CommPort (1, 2, ...) to a device such as "/dev/ttyS0".
    explicit PosixSerialPort(std::function<std::string(int port)> devicePathOf);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    void setSettings(const std::string& settings) override;
    void setHandshaking(int handshaking) override;
    bool portOpen() const override { return fd_ >= 0; }

    void setInBufferCount(int count) override;
    int outBufferCount() override;
    void output(const std::string& bytes) override;

    // Moves queued output to the line and waiting input into the buffer, then raises onComm for
    // whatever happened on the line since the previous call. Never blocks.
    void service() override;
    // The open device's descriptor (for watching it in an event loop), -1 when closed.
    int fileDescriptor() const override { return fd_; }
    bool outputWaiting() const override { return portOpen() && !outQueue_.empty(); }
    bool reportsLineEvents() const override { return lineEvents_.reports(); }

private:
    void open() override;
    void close() override;
    void takeWaitingInput() override { readWaiting(Look::mayRepeatEmpty); }
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
    // A call on the device failed with `error` (0: it hung up).
    void noteError(int error);

    std::function<std::string(int)> devicePathOf_;
    int fd_ = -1;
    std::string path_;
    // When the last look found the driver empty; none when it found bytes, or the port was opened.
    std::optional<std::chrono::steady_clock::time_point> driverFoundEmptyAt_;
    LineEventWatch lineEvents_;
};

}  // namespace kestrix::platform
