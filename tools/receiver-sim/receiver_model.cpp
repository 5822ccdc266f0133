#include "receiver-sim/receiver_model.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "receiver-sim/command_table.h"
#include "receiver-sim/line_noise.h"
#include "receiver-sim/replay_script.h"
#include "receiver-sim/scpi_error.h"

namespace kestrix::sim {

namespace {

constexpr std::size_t kLongestLine = 1024;

bool blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// "syst:err?" in any of its spellings.
bool errorQuery(const std::string& line) {
    std::string text;
    for (char c : line)
        if (c != ' ' && c != '\t' && c != ':') text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text.starts_with("SYST") && text.find("ERR") != std::string::npos;
}

}  // namespace

std::string errorPrompt(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "E-%03d> ", std::abs(code) % 1000);
    return text;
}

// Collects transmissions, joining bytes that go out back to back at the same settings.
class ReceiverModel::Output {
public:
    void send(std::string bytes, const LineSettings& line, std::chrono::milliseconds delay = {}) {
        if (bytes.empty() && delay.count() == 0) return;
        if (!pieces_.empty() && delay.count() == 0 && !pieces_.back().hangUp && pieces_.back().line == line)
            pieces_.back().bytes += bytes;
        else pieces_.push_back({std::move(bytes), delay, line, false});
    }
    void hangUp(const LineSettings& line) { pieces_.push_back({{}, {}, line, true}); }
    std::vector<Transmission> take() { return std::move(pieces_); }

private:
    std::vector<Transmission> pieces_;
};

ReceiverModel::ReceiverModel(const SimOptions& options, Clock clock)
    : options_(options), state_(options, std::move(clock)) {}

std::vector<Transmission> ReceiverModel::receive(std::string_view bytes) {
    Output out;
    for (char c : bytes) {
        if (hungUp_) break;
        if (crPending_) {
            crPending_ = false;
            if (c == '\n') {
                if (!swallowing_ && echoing()) out.send("\n", line());
                actOnLine(out);
                continue;
            }
            actOnLine(out);
            if (hungUp_) break;
        }
        takeByte(c, out);
    }
    return out.take();
}

std::vector<Transmission> ReceiverModel::settle() {
    Output out;
    if (crPending_ && !hungUp_) {
        crPending_ = false;
        actOnLine(out);
    }
    return out.take();
}

std::string ReceiverModel::exchange(std::string_view bytes) {
    std::string sent;
    for (const auto& t : receive(bytes)) sent += t.bytes;
    for (const auto& t : settle()) sent += t.bytes;
    return sent;
}

SimOptions ReceiverModel::options() const {
    SimOptions current = options_;
    current.identity = state_.identity;
    current.serialPort = state_.serialPort;
    current.line = line();
    current.eraseTime = state_.eraseTime;
    current.hardwareFaults = state_.status.condition(StatusRegister::Hardware);
    return current;
}

void ReceiverModel::setOptions(const SimOptions& options) {
    options_ = options;
    errorShare_ = 0.0;
    state_.identity = options.identity;
    state_.serialPort = options.serialPort == 2 ? 2 : 1;
    state_.portInUse().line = options.line;
    state_.eraseTime = options.eraseTime;
    state_.setHardwareFaults(options.hardwareFaults);
}

void ReceiverModel::takeByte(char c, Output& out) {
    if (atLineStart_) {
        atLineStart_ = false;
        swallowing_ = options_.silent || options_.silentLines > 0;
    }
    if (!swallowing_ && echoing()) out.send(std::string(1, c), line());
    if (c == '\r') {
        crPending_ = true;
    } else if (c == '\n') {
        actOnLine(out);
    } else if (lineBuffer_.size() < kLongestLine) {
        lineBuffer_ += c;
    } else {
        lineOverflow_ = true;
    }
}

void ReceiverModel::actOnLine(Output& out) {
    const std::string received = std::move(lineBuffer_);
    const bool overflow = lineOverflow_;
    lineBuffer_.clear();
    lineOverflow_ = false;
    atLineStart_ = true;
    ++linesReceived_;
    if (swallowing_) {
        swallowing_ = false;
        if (options_.silentLines > 0) --options_.silentLines;
        return;
    }
    if (options_.hangUpOnLine > 0 && --options_.hangUpOnLine == 0) {
        hungUp_ = true;
        out.hangUp(line());
        return;
    }
    const LineSettings lineBefore = line();
    std::string reply = lineNoise(static_cast<std::size_t>(std::max(0, options_.garbageBeforeReply)), noiseCount_++);
    std::chrono::milliseconds delay{0};
    if (injectError()) reply += fail(options_.injectedErrorCode);
    else if (overflow) reply += fail(error::kSyntax, "line too long");
    else if (options_.replay) reply += replay(received);
    else if (blank(received)) reply += kPrompt;
    else reply += answer(received, delay);
    if (options_.lateLines > 0) {
        --options_.lateLines;
        delay += options_.lateBy;
    }
    out.send(std::move(reply), lineBefore, delay);
}

bool ReceiverModel::injectError() {
    bool inject = options_.errorOnLine > 0 && --options_.errorOnLine == 0;
    if (options_.errorFraction > 0) {
        errorShare_ += options_.errorFraction;
        if (errorShare_ >= 1.0 - 1e-9) {
            errorShare_ -= 1.0;
            inject = true;
        }
    }
    return inject;
}

std::string ReceiverModel::answer(const std::string& line, std::chrono::milliseconds& delay) {
    const Outcome outcome = executeCommand(state_, line);
    delay = outcome.delay;
    if (outcome.error != 0) return fail(outcome.error, outcome.detail);
    if (outcome.text.empty()) return std::string(kPrompt);
    return outcome.text + "\r\n" + std::string(kPrompt);
}

std::string ReceiverModel::replay(const std::string& line) {
    const std::string echo = options_.replay->echoes() ? line + "\r\n" : std::string();
    // An error this receiver raised itself is read back from its own queue, not from the record.
    if (!state_.status.errors().empty() && errorQuery(line)) {
        std::chrono::milliseconds ignored{0};
        return echo + answer(line, ignored);
    }
    if (const std::string* recorded = options_.replay->answer(line)) return *recorded;
    if (blank(line)) return echo + std::string(kPrompt);
    return echo + fail(error::kUndefinedHeader);
}

std::string ReceiverModel::fail(int code, const std::string& detail) {
    state_.status.pushError(code, detail);
    return errorPrompt(code);
}

}  // namespace kestrix::sim
