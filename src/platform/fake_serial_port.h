#pragma once

#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "platform/serial_settings.h"

namespace kestrix::platform {

// The test double of the serial port: a test feeds what the receiver sends with receive(),
// reads what the program wrote from written, and makes opening fail with failOpen.
class FakeSerialPort final : public SerialPort {
public:
    int commPort() const override { return port_; }
    void setCommPort(int port) override;
    std::string settings() const override { return settings_.text(); }
    void setSettings(const std::string& settings) override { settings_ = parseSerialSettings(settings); }
    int handshaking() const override { return handshaking_; }
    void setHandshaking(int handshaking) override;
    bool portOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    int inputLen() const override { return inputLen_; }
    void setInputLen(int length) override { inputLen_ = length; }
    int inBufferCount() override {
        ++countQueries;
        return static_cast<int>(inBuffer.size());
    }
    void setInBufferCount(int count) override;
    int outBufferCount() override { return static_cast<int>(pendingOutput); }
    std::string input() override;
    void output(const std::string& bytes) override;
    int commEvent() const override { return event_; }
    std::string lostReason() const override { return lostReason_; }

    // Test side.
    void receive(const std::string& bytes) { inBuffer += bytes; }
    void raiseEvent(int code);
    // The device goes away: the port closes itself and reports comm::erPortLost with `reason`.
    void lose(const std::string& reason);
    std::string takeWritten();

    std::string inBuffer;             // waiting to be read by the program
    std::string written;              // everything the program wrote
    std::vector<std::string> writes;  // each Output call
    std::size_t pendingOutput = 0;    // what OutBufferCount reports
    std::string failOpen;             // when not empty, opening throws this description
    int openAttempts = 0;             // setPortOpen(true) calls on a closed port
    int countQueries = 0;

private:
    int port_ = 1;
    SerialSettings settings_;
    int handshaking_ = 0;
    bool open_ = false;
    int inputLen_ = 0;
    int event_ = 0;
    std::string lostReason_;
};

}  // namespace kestrix::platform
