// The firmware transfer's reply matching under arbitrary receiver bytes: a small valid file is
// sent while the fuzzer's bytes arrive in any splits, between clock steps and ticks of the
// download timer (and of the main timer). The first byte chooses the file's length, the second
// the line's speed (one record or ten per packet) and whether the clock passes midnight.
//
// Invariants checked after every step, beyond "no crash":
//   - never more than two packets in flight: the lines written, less the prompts that came
//     back, never exceed two packets; lines count as lost once the line is silent for the reply
//     time-out (or, after an error prompt, for the short drain time);
//   - "Lines Sent" never exceeds the record count;
//   - "*cls" goes out only after an error prompt, and nothing follows it before a prompt answers
//     it or the reply time-out passes;
//   - memory stays bounded: every write is at most one packet, the window's fields and the log
//     stay small;
//   - after the input, with the receiver silent, the transfer ends (completed or ended early
//     with its message) within two minutes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "download_rig.h"
#include "fuzz_support.h"
#include "shared/prompt_matcher.h"

namespace kestrix {
namespace {

constexpr double kReplyTimeOut = 10.0;
constexpr double kDrainTime = 2.0;
constexpr double kSilentEnd = 120.0;
constexpr std::size_t kFieldBound = 4096;
constexpr std::size_t kLogBound = 1u << 20;

using fuzz::fail;
using fuzz::Input;
using fuzz::require;

std::size_t linesIn(const std::string& write) {
    std::size_t n = 0;
    for (std::size_t i = write.find('\n'); i != std::string::npos; i = write.find('\n', i + 1)) ++n;
    return n;
}

// The files the inputs choose from, each made once rather than for every input.
const std::vector<std::string>& firmwareOf(std::size_t records) {
    static std::map<std::size_t, std::vector<std::string>> files;
    auto [file, isNew] = files.try_emplace(records);
    if (isNew) file->second = testing::firmware(static_cast<int>(records) - 2);
    return file->second;
}

struct Harness {
    testing::DownloadRig rig;
    std::size_t recordCount = 0;
    long burst = 1;
    const bool trace = std::getenv("KESTRIX_FUZZ_TRACE") != nullptr;

    std::size_t writesSeen = 0;
    double elapsed = 0;
    double lastEvent = 0;  // the last byte received or line written
    long unanswered = 0;   // lines written and not yet answered by a prompt
    bool errorSinceWrite = false;
    bool errorSinceClear = false;
    bool clearAwaited = false;  // "*cls" written, no prompt since
    double clearAt = 0;
    PromptMatcher prompts;  // over what was received since the transfer last emptied the port

    Harness(std::size_t records, bool slow, bool nearMidnight) {
        const auto& file = firmwareOf(records);
        recordCount = file.size();
        rig.readyWith(file, slow ? "4800,n,8,1" : "19200,n,8,1");
        burst = rig.state.downloadBurst > 0 ? rig.state.downloadBurst : 1;
        if (nearMidnight) rig.clock.seconds = 86400 - 20;
        writesSeen = rig.port.writes.size();
        require(rig.state.downloadPrep && rig.state.readyToDownload, "the transfer did not get ready");
    }

    void forgetLostLines() {
        const double silence = elapsed - lastEvent;
        if (silence > kReplyTimeOut || (errorSinceWrite && silence > kDrainTime)) unanswered = 0;
        if (clearAwaited && elapsed - clearAt > kReplyTimeOut) clearAwaited = false;
    }

    void receive(const std::string& bytes) {
        if (bytes.empty()) return;
        if (trace) std::fprintf(stderr, "%7.1f < %zu bytes\n", elapsed, bytes.size());
        forgetLostLines();
        rig.port.receive(bytes);
        lastEvent = elapsed;
        for (char c : bytes) {
            const auto result = prompts.feed(c);
            if (result == PromptMatcher::Result::None) continue;
            if (unanswered > 0) --unanswered;
            clearAwaited = false;
            if (result == PromptMatcher::Result::ErrorPrompt) errorSinceWrite = errorSinceClear = true;
        }
    }

    void watchWrites() {
        for (; writesSeen < rig.port.writes.size(); ++writesSeen) {
            const std::string& line = rig.port.writes[writesSeen];
            if (trace)
                std::fprintf(stderr, "%7.1f > %zu lines %.20s  [%s]\n", elapsed, linesIn(line), line.c_str(),
                             rig.label().c_str());
            forgetLostLines();
            // With nothing in flight the transfer starts afresh and empties the port first: what
            // came before cannot answer what it writes now.
            if (unanswered == 0 && !clearAwaited) prompts.reset();
            require(!clearAwaited, "written while \"*cls\" awaits its answer");
            if (line == "*cls\r\n") {
                require(errorSinceClear, "\"*cls\" written without an error prompt");
                clearAwaited = true;
                clearAt = elapsed;
                errorSinceClear = false;
                // The transfer empties the port before "*cls": what came before cannot be part of
                // its answer.
                prompts.reset();
            }
            require(line.size() <= static_cast<std::size_t>(burst) * 160, "a write longer than a packet");
            unanswered += static_cast<long>(linesIn(line));
            require(unanswered <= 2 * burst, "more than two packets in flight");
            errorSinceWrite = false;
            lastEvent = elapsed;
        }
    }

    void checkBounds() {
        const TransferVariables& s = rig.download.vars();
        require(s.linesSent >= 0 && static_cast<std::size_t>(s.linesSent) <= recordCount,
                "more lines sent than records");
        require(rig.window.Text2.text().size() <= 8 &&
                    std::stoul(rig.window.Text2.text().empty() ? "0" : rig.window.Text2.text()) <= recordCount,
                "\"Lines Sent\" shows more than the records");
        require(rig.window.Text1.text().size() <= kFieldBound && rig.window.Text3.text().size() <= kFieldBound &&
                    rig.label().size() <= kFieldBound,
                "a field beyond its bound");
        require(rig.log().size() <= kLogBound, "the log grows without bound");
    }

    void tick() {
        rig.downloadTick();
        watchWrites();
        rig.tick();
        watchWrites();
        checkBounds();
    }

    void advance(double seconds) {
        rig.clock.advance(seconds);
        elapsed += seconds;
    }

    bool ended() const { return !rig.state.downloadPrep; }

    void run(Input& in) {
        while (!in.empty() && !ended()) {
            const std::uint8_t op = in.byte();
            switch (op % 8) {
                case 0: receive(testing::prompts(in.byte() % 12 + 1)); break;
                case 1: receive("E-" + in.bytes(3) + "> "); break;
                case 2: receive(in.bytes(in.byte() % 40)); break;
                case 3: advance((in.byte() % 16) * 0.5); break;
                case 4: advance(10 + in.byte() % 25); break;
                default: tick(); break;
            }
        }
        // The receiver falls silent: the transfer must end.
        const std::size_t writesBefore = rig.port.writes.size();
        for (double silent = 0; silent < kSilentEnd && !ended(); silent += 1) {
            advance(1);
            tick();
        }
        require(ended(), "the transfer does not end when the receiver falls silent");
        require(rig.port.writes.size() - writesBefore <= 16, "too many writes to a silent receiver");
        require(rig.dialogs.messages.size() >= 1, "the transfer ended without a message");
        const std::string& title = rig.dialogs.messages.back().title;
        require(title == "Download has Completed" || title == "Download Ended Early",
                "the transfer ended without saying how");
    }
};

}  // namespace
}  // namespace kestrix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrix::Input in{data, size};
    const std::uint8_t shape = in.byte();
    const std::uint8_t line = in.byte();
    kestrix::Harness harness(shape % 23 + 3, (line & 1) != 0, (line & 2) != 0);
    harness.run(in);
    return 0;
}
