#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "receiver-sim/line_settings.h"
#include "receiver-sim/receiver_state.h"
#include "receiver-sim/sim_options.h"

namespace kestrix::sim {

// A piece of what the receiver sends, in the order it goes out.
struct Transmission {
    std::string bytes;
    std::chrono::milliseconds delay{0};  // the receiver works this long before these bytes go out
    LineSettings line;                   // the speed and framing they go out at
    bool hangUp = false;                 // the receiver drops the line here instead
};

// The receiver as a pure machine: bytes from the line go in, what it sends back comes out. It
// holds all of the receiver's state and does no input or output, so it can be driven directly.
//
// Lines end with CR LF, a bare CR or a bare LF. With echo on, every byte received is sent back
// as it arrives. A line ended by CR is acted on when the LF arrives, when any other byte
// arrives, or when the line goes quiet (settle), so the echo of CR LF always precedes the reply.
class ReceiverModel {
public:
    using Clock = ReceiverState::Clock;
    static TimePoint systemNow() { return std::chrono::system_clock::now(); }

    explicit ReceiverModel(const SimOptions& options = {}, Clock clock = systemNow);

    std::vector<Transmission> receive(std::string_view bytes);
    // A CR has arrived and the receiver waits to see whether an LF follows.
    bool lineEndPending() const { return crPending_; }
    // The line has gone quiet: a line ended by a bare CR is acted on.
    std::vector<Transmission> settle();
    // All the bytes sent in answer to these bytes, the line then settled. For tests.
    std::string exchange(std::string_view bytes);

    // The options as they stand: fault counters as far as they have counted down, and the
    // identity, port and line the receiver has now.
    SimOptions options() const;
    // New options; fault counters start counting from here. The line, port, identity and
    // hardware faults given become the receiver's own.
    void setOptions(const SimOptions& options);

    // The receiver's speed and framing now, on the port it talks on.
    LineSettings line() const { return state_.portInUse().line; }
    bool echoing() const { return state_.portInUse().echo; }
    bool hungUp() const { return hungUp_; }
    std::size_t linesReceived() const { return linesReceived_; }

    ReceiverState& state() { return state_; }
    const ReceiverState& state() const { return state_; }
    StatusSystem& status() { return state_.status; }
    const FlashMemory& flash() const { return state_.flash; }

private:
    class Output;
    void takeByte(char c, Output& out);
    void actOnLine(Output& out);
    bool injectError();
    std::string answer(const std::string& line, std::chrono::milliseconds& delay);
    std::string replay(const std::string& line);
    std::string fail(int code, const std::string& detail = {});

    SimOptions options_;
    ReceiverState state_;
    std::string lineBuffer_;
    bool lineOverflow_ = false;
    bool atLineStart_ = true;
    bool swallowing_ = false;
    bool crPending_ = false;
    bool hungUp_ = false;
    double errorShare_ = 0.0;
    std::uint32_t noiseCount_ = 0;
    std::size_t linesReceived_ = 0;
};

// "E-113> "
std::string errorPrompt(int code);
inline constexpr std::string_view kPrompt = "scpi > ";

}  // namespace kestrix::sim
