#pragma once

#include <functional>
#include <string>

#include "platform/network_serial_port.h"
#include "platform/posix_serial_port.h"
#include "platform/serial_port.h"

namespace kestrix::platform {

// The serial port of the selected COM slot, whatever the slot names: a device of this computer or
// a serial port on the network. Each opening looks at the slot afresh and uses the port that fits;
// the properties are kept by both, so the program sees one port whatever is behind it.
class SlotSerialPort final : public SerialPort {
public:
    // slotOf maps CommPort (1, 2, ...) to the slot's text: a device path or a network address.
    explicit SlotSerialPort(std::function<std::string(int port)> slotOf);

    int commPort() const override { return active_->commPort(); }
    void setCommPort(int port) override;
    std::string settings() const override { return active_->settings(); }
    void setSettings(const std::string& settings) override;
    int handshaking() const override { return active_->handshaking(); }
    void setHandshaking(int handshaking) override;
    bool portOpen() const override { return active_->portOpen(); }
    void setPortOpen(bool open) override;

    int inputLen() const override { return active_->inputLen(); }
    void setInputLen(int length) override;
    int inBufferCount() override { return active_->inBufferCount(); }
    void setInBufferCount(int count) override { active_->setInBufferCount(count); }
    int outBufferCount() override { return active_->outBufferCount(); }
    std::string input() override { return active_->input(); }
    void output(const std::string& bytes) override { active_->output(bytes); }
    int commEvent() const override { return active_->commEvent(); }
    std::string lostReason() const override { return active_->lostReason(); }

    int fileDescriptor() const override { return active_->fileDescriptor(); }
    bool outputWaiting() const override { return active_->outputWaiting(); }
    bool inputFull() const override { return active_->inputFull(); }
    std::uint64_t bytesReceived() const override { return active_->bytesReceived(); }
    bool reportsLineEvents() const override { return active_->reportsLineEvents(); }
    void service() override { active_->service(); }

    // The port in use since the last opening (the device port until a network slot is opened).
    bool onNetwork() const { return active_ == &network_; }

private:
    SerialPort& other();

    std::function<std::string(int)> slotOf_;
    PosixSerialPort device_;
    NetworkSerialPort network_;
    SerialPort* active_ = &device_;
};

}  // namespace kestrix::platform
