#include "platform/rfc2217_protocol.h"

#include <utility>

#include "platform/serial_port.h"
#include "platform/serial_settings.h"

namespace kestrix::platform {

namespace {

// Telnet (RFC 854) commands and the options the client uses.
constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr std::uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;

// COM-PORT-OPTION commands from client to server; the server answers each with 100 added.
constexpr std::uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
                       kNotifyLineState = 6, kNotifyModemState = 7, kFlowSuspend = 8, kFlowResume = 9,
                       kSetLineStateMask = 10, kSetModemStateMask = 11, kPurgeData = 12;
constexpr std::uint8_t kServer = 100;
// SET-CONTROL values.
constexpr std::uint8_t kFlowNone = 1, kFlowXonXoff = 2, kFlowHardware = 3, kBreakOn = 5, kBreakOff = 6, kDtrOn = 8,
                       kRtsOn = 11;
constexpr std::uint8_t kPurgeReceiveBuffer = 1;

// The line-state bits that are errors, and the event each one raises.
constexpr std::pair<std::uint8_t, int> kLineErrors[] = {
    {0x02, comm::erOverrun}, {0x04, comm::erRxParity}, {0x08, comm::erFrame}, {0x10, comm::erBreak}};
// Modem lines: the bit that says the line changed, the bit of its state, and its event.
struct ModemLine {
    std::uint8_t delta;
    std::uint8_t state;
    int event;
};
constexpr ModemLine kModemLines[] = {{0x01, 0x10, comm::evCTS}, {0x02, 0x20, comm::evDSR}, {0x08, 0x80, comm::evCD}};
constexpr std::uint8_t kRingEnded = 0x04, kRing = 0x40;

std::uint8_t parityCode(char parity) {
    switch (parity) {
        case 'o': return 2;
        case 'e': return 3;
        case 'm': return 4;
        case 's': return 5;
        default: return 1;
    }
}

std::uint8_t flowCode(int handshaking) {
    constexpr std::uint8_t codes[] = {kFlowNone, kFlowXonXoff, kFlowHardware, kFlowHardware};
    return handshaking >= 0 && handshaking <= 3 ? codes[handshaking] : kFlowNone;
}

// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
void comPortCommand(std::uint8_t command, std::string_view value, std::string& wire) {
    wire += {static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(kComPort), static_cast<char>(command)};
    wire += Rfc2217Protocol::escaped(value);
    wire += {static_cast<char>(kIac), static_cast<char>(kSe)};
}

void comPortCommand(std::uint8_t command, std::uint8_t value, std::string& wire) {
    comPortCommand(command, std::string_view(reinterpret_cast<const char*>(&value), 1), wire);
}

bool isWanted(std::uint8_t option) { return option == kBinary || option == kSuppressGoAhead; }

}  // namespace

Rfc2217Protocol::Rfc2217Protocol(Clock::time_point now) : greetedAt_(now) {
    for (std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) ours_[option] = Side::asked;
    for (std::uint8_t option : {kBinary, kSuppressGoAhead}) theirs_[option] = Side::asked;
}

std::string Rfc2217Protocol::greeting() {
    std::string wire;
    for (std::uint8_t option : {kComPort, kBinary, kSuppressGoAhead}) answer(kWill, option, wire);
    for (std::uint8_t option : {kBinary, kSuppressGoAhead}) answer(kDo, option, wire);
    return wire;
}

std::string Rfc2217Protocol::escaped(std::string_view data) {
    std::string wire;
    wire.reserve(data.size());
    for (char c : data) {
        wire += c;
        if (static_cast<std::uint8_t>(c) == kIac) wire += c;
    }
    return wire;
}

void Rfc2217Protocol::answer(std::uint8_t verb, std::uint8_t option, std::string& wire) {
    wire += {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

void Rfc2217Protocol::setLine(const SerialSettings& settings, int handshaking, Clock::time_point now,
                              std::string& wire) {
    line_ = settings;
    handshaking_ = handshaking;
    lineUnsent_ = true;
    lineSentAt_ = now;
    if (comPortAgreed_) sendLine(wire);
}

void Rfc2217Protocol::sendLine(std::string& wire) {
    if (!line_) return;
    const std::uint32_t baud = static_cast<std::uint32_t>(line_->baud);
    const char speed[] = {static_cast<char>(baud >> 24), static_cast<char>(baud >> 16), static_cast<char>(baud >> 8),
                          static_cast<char>(baud)};
    comPortCommand(kSetBaudRate, std::string_view(speed, 4), wire);
    comPortCommand(kSetDataSize, static_cast<std::uint8_t>(line_->dataBits), wire);
    comPortCommand(kSetParity, parityCode(line_->parity), wire);
    comPortCommand(kSetStopSize, static_cast<std::uint8_t>(line_->stopBits), wire);
    comPortCommand(kSetControl, flowCode(handshaking_), wire);
    comPortCommand(kSetControl, kDtrOn, wire);
    if (flowCode(handshaking_) != kFlowHardware) comPortCommand(kSetControl, kRtsOn, wire);
    comPortCommand(kSetLineStateMask, std::uint8_t{0x1E}, wire);
    comPortCommand(kSetModemStateMask, std::uint8_t{0xFF}, wire);
    // Speed and framing are confirmed by servers that cannot set the modem lines, too.
    confirmationsAwaited_ = 4;
    lineUnsent_ = false;
}

void Rfc2217Protocol::purgeReceived(std::string& wire) const {
    if (comPortAgreed_) comPortCommand(kPurgeData, kPurgeReceiveBuffer, wire);
}

void Rfc2217Protocol::setBreak(bool on, std::string& wire) const {
    if (comPortAgreed_) comPortCommand(kSetControl, on ? kBreakOn : kBreakOff, wire);
}

bool Rfc2217Protocol::holdsData(Clock::time_point now) const {
    if (suspended_) return true;
    if (const auto ends = holdEnds()) return now < *ends;
    return false;
}

std::optional<Rfc2217Protocol::Clock::time_point> Rfc2217Protocol::holdEnds() const {
    if (!comPortAgreed_ && !comPortRefused_) return greetedAt_ + kAgreementWait;
    if (comPortAgreed_ && confirmationsAwaited_ > 0) return lineSentAt_ + kConfirmationWait;
    return std::nullopt;
}

void Rfc2217Protocol::receive(std::string_view bytes, Clock::time_point now, std::string& data, std::string& wire,
                              std::vector<int>& events) {
    for (char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        switch (state_) {
            case State::data:
                if (byte == kIac) state_ = State::command;
                else data += c;
                break;
            case State::command:
                if (byte == kIac) {
                    data += c;
                    state_ = State::data;
                } else if (byte == kSb) {
                    suboption_.clear();
                    state_ = State::suboption;
                } else if (byte >= kWill) {
                    verb_ = byte;
                    state_ = State::option;
                } else {
                    state_ = State::data;  // NOP, DM, GA and the like carry nothing for a serial line
                }
                break;
            case State::option:
                command(verb_, byte, wire);
                state_ = State::data;
                break;
            case State::suboption:
                if (suboption_.size() >= kLongestSuboption) {
                    // Far longer than any command: not a suboption at all (the data of a device on a
                    // port that is no Telnet server, say). What follows is the line's data again.
                    suboption_.clear();
                    state_ = byte == kIac ? State::command : State::data;
                    if (byte != kIac) data += c;
                } else if (byte == kIac) {
                    state_ = State::suboptionCommand;
                } else {
                    suboption_ += c;
                }
                break;
            case State::suboptionCommand:
                if (byte == kIac) {
                    suboption_ += c;
                    state_ = State::suboption;
                } else {
                    // IAC SE ends it; any other command inside a suboption ends it as well.
                    if (byte == kSe) suboption(events);
                    state_ = State::data;
                }
                break;
        }
    }
    if (lineUnsent_ && comPortAgreed_) {
        lineSentAt_ = now;
        sendLine(wire);
    }
}

// RFC 1143 in short: agree to what the client wants once, refuse anything else once, and never
// answer an answer.
void Rfc2217Protocol::command(std::uint8_t verb, std::uint8_t option, std::string& wire) {
    const bool forUs = verb == kDo || verb == kDont;
    const bool enable = verb == kDo || verb == kWill;
    Side& side = forUs ? ours_[option] : theirs_[option];
    const bool offered = forUs ? (option == kComPort || isWanted(option)) : isWanted(option);
    if (enable && offered) {
        if (side == Side::no) answer(forUs ? kWill : kDo, option, wire);
        side = Side::yes;
        if (forUs && option == kComPort) comPortAgreed_ = true;
    } else if (enable) {
        bool& refused = forUs ? refusedOurs_[option] : refusedTheirs_[option];
        if (!std::exchange(refused, true)) answer(forUs ? kWont : kDont, option, wire);
    } else {
        if (side == Side::yes) answer(forUs ? kWont : kDont, option, wire);
        side = Side::no;
        if (forUs && option == kComPort) {
            comPortAgreed_ = false;
            comPortRefused_ = true;
            confirmationsAwaited_ = 0;
        }
    }
}

void Rfc2217Protocol::suboption(std::vector<int>& events) {
    if (suboption_.size() < 2 || static_cast<std::uint8_t>(suboption_[0]) != kComPort) return;
    const auto command = static_cast<std::uint8_t>(suboption_[1]);
    const std::string_view value = std::string_view(suboption_).substr(2);
    const auto first = value.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(value[0]);
    switch (command) {
        case kServer + kSetBaudRate:
            if (value.size() == 4) {
                confirmedSpeed_ = 0;
                for (char c : value) confirmedSpeed_ = confirmedSpeed_ << 8 | static_cast<std::uint8_t>(c);
            }
            [[fallthrough]];
        case kServer + kSetDataSize:
        case kServer + kSetParity:
        case kServer + kSetStopSize:
            if (confirmationsAwaited_ > 0) --confirmationsAwaited_;
            break;
        case kServer + kNotifyLineState:
            for (auto [bit, event] : kLineErrors)
                if (first & bit) events.push_back(event);
            break;
        case kServer + kNotifyModemState:
            if (!value.empty()) modemState(first, events);
            break;
        case kServer + kFlowSuspend: suspended_ = true; break;
        case kServer + kFlowResume: suspended_ = false; break;
        default: break;
    }
}

// A line that the server marks as changed, or whose state differs from the last report, raises
// its event once; a ring raises one when it ends.
void Rfc2217Protocol::modemState(std::uint8_t state, std::vector<int>& events) {
    const std::uint8_t before = modemState_.value_or(state);
    for (const ModemLine& line : kModemLines)
        if ((state & line.delta) || ((before ^ state) & line.state)) events.push_back(line.event);
    if ((state & kRingEnded) || ((before & kRing) && !(state & kRing))) events.push_back(comm::evRing);
    modemState_ = state;
}

}  // namespace kestrix::platform
