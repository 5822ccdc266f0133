#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_settings.h"

namespace kestrix::platform {

// The Telnet side of a serial port reached over the network with the COM-PORT-OPTION (RFC 2217):
// what comes from the connection is split into the line's data, answers owed to the server and
// line events; what the program sends is escaped; the line's settings, a purge and a break become
// COM-PORT-OPTION commands. No sockets and no clock of its own (the time comes in), so that every
// byte a server may send can be tried on it.
//
//   Rfc2217Protocol telnet(now);
//   wire += telnet.greeting();
//   telnet.setLine(settings, handshaking, now, wire);   // sent once the server agrees
//   telnet.receive(bytesRead, now, data, wire, events);
//   if (!telnet.holdsData(now)) wire += Rfc2217Protocol::escaped(output);
class Rfc2217Protocol {
public:
    using Clock = std::chrono::steady_clock;
    // How long data waits for the server to take up the COM-PORT-OPTION, and then for it to
    // confirm the line's settings, before it goes on regardless: a server that never answers is
    // a fact of life, not a failure.
    static constexpr auto kAgreementWait = std::chrono::milliseconds(1000);
    static constexpr auto kConfirmationWait = std::chrono::milliseconds(500);
    // The longest suboption kept; the rest of a longer one is dropped and the data goes on.
    static constexpr std::size_t kLongestSuboption = 256;

    explicit Rfc2217Protocol(Clock::time_point now);

    // What the client says first: it will do the COM-PORT-OPTION, and both sides binary and
    // without go-ahead.
    static std::string greeting();
    // Data for the wire: every IAC doubled.
    static std::string escaped(std::string_view data);

    // Sets the far end's line: speed, framing and flow control, DTR and RTS on, and the line and
    // modem events it should report. Written to `wire` now, or once the server agrees.
    void setLine(const SerialSettings& settings, int handshaking, Clock::time_point now, std::string& wire);
    // Discards what the far end has received from the device and not yet sent on.
    void purgeReceived(std::string& wire) const;
    // A break on the far end's line, started or ended.
    void setBreak(bool on, std::string& wire) const;

    // Takes bytes read from the connection: the line's data is appended to `data`, answers owed to
    // the server to `wire`, and the serial-port event codes of what the server reported to `events`.
    void receive(std::string_view bytes, Clock::time_point now, std::string& data, std::string& wire,
                 std::vector<int>& events);

    // Data should wait: the server has not yet answered the COM-PORT-OPTION or confirmed the
    // settings last sent (for a short while only), or it asked the client to suspend sending.
    bool holdsData(Clock::time_point now) const;
    // The moment holdsData() ends by itself, if it is waiting on the clock.
    std::optional<Clock::time_point> holdEnds() const;
    // The server took up the COM-PORT-OPTION.
    bool controlsLine() const { return comPortAgreed_; }
    // The speed the server last confirmed, 0 before it did.
    std::uint32_t confirmedSpeed() const { return confirmedSpeed_; }

private:
    enum class State { data, command, option, suboption, suboptionCommand };
    enum class Side { no, asked, yes };
    void command(std::uint8_t verb, std::uint8_t option, std::string& wire);
    void suboption(std::vector<int>& events);
    void modemState(std::uint8_t state, std::vector<int>& events);
    void sendLine(std::string& wire);
    static void answer(std::uint8_t verb, std::uint8_t option, std::string& wire);

    State state_ = State::data;
    std::uint8_t verb_ = 0;
    std::string suboption_;
    // What each side does of each option: the client's options and the server's.
    std::array<Side, 256> ours_{};
    std::array<Side, 256> theirs_{};
    // Options the server was already told the client will not do, or does not want of it.
    std::array<bool, 256> refusedOurs_{};
    std::array<bool, 256> refusedTheirs_{};
    Clock::time_point greetedAt_;
    bool comPortAgreed_ = false;
    bool comPortRefused_ = false;
    std::optional<SerialSettings> line_;
    int handshaking_ = 0;
    bool lineUnsent_ = false;
    int confirmationsAwaited_ = 0;
    Clock::time_point lineSentAt_{};
    bool suspended_ = false;
    std::uint32_t confirmedSpeed_ = 0;
    std::optional<std::uint8_t> modemState_;
};

}  // namespace kestrix::platform
