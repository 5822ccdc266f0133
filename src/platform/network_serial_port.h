#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/buffered_serial_port.h"
#include "platform/port_address.h"
#include "platform/rfc2217_protocol.h"

namespace kestrix::platform {

// A serial port reached over the network: a terminal server or ser2net, at "rfc2217://HOST:PORT"
// (Telnet with the COM-PORT-OPTION: speed, framing and flow control are set at the far end, which
// reports line errors and modem lines) or "tcp://HOST:PORT" (the bytes as they are; the line is
// set at the far end). The same contract as the device port: non-blocking, output queued and
// written as the connection takes it, service() called from the event loop on the descriptor.
//
// Opening starts to look up the host (on a thread of its own unless it is an address) and to
// connect. A refusal the system reports at once fails the opening; otherwise the port is open
// while the connection is made, output waits for it, and a name that does not resolve, a
// connection not made within kConnectWait, refused later, or lost once made closes the port by
// itself with the reason (comm::erPortLost), as a device that went away does.
class NetworkSerialPort final : public BufferedSerialPort {
public:
    static constexpr auto kConnectWait = std::chrono::seconds(5);

    // addressOf maps CommPort (1, 2, ...) to the slot's text, such as "rfc2217://10.0.0.7:4001".
    explicit NetworkSerialPort(std::function<std::string(int port)> addressOf);
    ~NetworkSerialPort() override;
    NetworkSerialPort(const NetworkSerialPort&) = delete;
    NetworkSerialPort& operator=(const NetworkSerialPort&) = delete;

    void setSettings(const std::string& settings) override;
    void setHandshaking(int handshaking) override;
    bool portOpen() const override { return fd_ >= 0 || lookup_ != nullptr; }

    void setInBufferCount(int count) override;
    int outBufferCount() override;
    void output(const std::string& bytes) override;

    void service() override;
    int fileDescriptor() const override;
    // While connecting the descriptor turns writable once the connection is made (or refused).
    bool outputWaiting() const override;
    bool reportsLineEvents() const override { return address_.kind == PortAddress::Kind::rfc2217; }

    // A break on the far end's line (RFC 2217 only): started, and ended by the next call with false.
    void setBreak(bool on);
    // The connection is made (and not only being made).
    bool connected() const { return fd_ >= 0 && !connecting_; }

private:
    struct HostLookup;
    struct Candidate {
        sockaddr_storage address{};
        socklen_t length = 0;
    };
    static std::vector<Candidate> addressesOf(const PortAddress& address, int flags, std::string& failure);
    std::string described() const;
    void open() override;
    void close() override;
    void takeWaitingInput() override { readWaiting(); }
    int connectNext(int lastError);
    void connectionMade();
    void checkLookup();
    void checkConnecting();
    void readWaiting();
    void take(const char* bytes, std::size_t count);
    void writeQueued();
    void releaseHeldData();
    void queueControl(const std::string& wire);

    std::function<std::string(int)> addressOf_;
    PortAddress address_;
    int fd_ = -1;
    bool connecting_ = false;
    std::shared_ptr<HostLookup> lookup_;  // a host name being looked up
    std::vector<Candidate> candidates_;   // addresses of the host not yet tried
    std::chrono::steady_clock::time_point connectBy_{};
    std::unique_ptr<Rfc2217Protocol> telnet_;  // for rfc2217:// only
    // outQueue_ holds the bytes for the connection, in order, IACs already doubled.
    std::string heldData_;           // the program's data waiting for the server to confirm the line
    std::vector<int> farEndEvents_;  // line and modem events the server reported
    bool failedConnecting_ = false;
};

}  // namespace kestrix::platform
