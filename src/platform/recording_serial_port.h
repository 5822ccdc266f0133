#pragma once

#include <string>

#include "platform/serial_port.h"

namespace kestrix::platform {

// Sees every byte that crosses the line, in the order it crosses.
class TrafficTap {
public:
    virtual ~TrafficTap() = default;
    virtual void sent(const std::string& bytes) = 0;
    virtual void received(const std::string& bytes) = 0;
};

// A serial port that hands what it sends and receives to a tap, and otherwise is the port it
// wraps. The tap is told only of bytes the port took or gave, input thrown away unread included;
// with no tap it changes nothing.
class RecordingSerialPort final : public SerialPort {
public:
    explicit RecordingSerialPort(SerialPort& port);
    ~RecordingSerialPort() override;
    RecordingSerialPort(const RecordingSerialPort&) = delete;
    RecordingSerialPort& operator=(const RecordingSerialPort&) = delete;

    TrafficTap* tap = nullptr;

    int commPort() const override { return port_.commPort(); }
    void setCommPort(int port) override { port_.setCommPort(port); }
    std::string settings() const override { return port_.settings(); }
    void setSettings(const std::string& settings) override { port_.setSettings(settings); }
    int handshaking() const override { return port_.handshaking(); }
    void setHandshaking(int handshaking) override { port_.setHandshaking(handshaking); }
    bool portOpen() const override { return port_.portOpen(); }
    void setPortOpen(bool open) override { port_.setPortOpen(open); }
    int inputLen() const override { return port_.inputLen(); }
    void setInputLen(int length) override { port_.setInputLen(length); }
    int inBufferCount() override { return port_.inBufferCount(); }
    void setInBufferCount(int count) override;
    int outBufferCount() override { return port_.outBufferCount(); }
    std::string input() override;
    void output(const std::string& bytes) override;
    int commEvent() const override { return port_.commEvent(); }
    std::string lostReason() const override { return port_.lostReason(); }
    int fileDescriptor() const override { return port_.fileDescriptor(); }
    bool outputWaiting() const override { return port_.outputWaiting(); }
    bool inputFull() const override { return port_.inputFull(); }
    std::uint64_t bytesReceived() const override { return port_.bytesReceived(); }
    bool reportsLineEvents() const override { return port_.reportsLineEvents(); }
    void service() override { port_.service(); }

private:
    SerialPort& port_;
};

}  // namespace kestrix::platform
