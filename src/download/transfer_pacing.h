#pragma once

// What the download timer's ticks need from the platform: whether a tick did anything, and when
// the next one can do something without input (a silence check, the quiet wait before a
// download that follows one ended early).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrix {

// The transfer's waits, in seconds of the link's clock.
// Silence after which the packets in flight are written again.
inline constexpr float kReplyTimeoutSeconds = 10;
// How long the line must stay quiet before a download that follows one ended early begins.
inline constexpr float kQuietSeconds = 2;
// After an error prompt, how long to wait for the answers of the lines still in flight when
// some of them never come.
inline constexpr float kDrainSilenceSeconds = 2;

// The state a tick of the download timer began with, to tell afterwards whether it changed
// anything. The records themselves are not copied: the next record's index tells.
struct TransferTickStart {
    bool taken = false;
    int transferStep = 0;
    std::array<int, 2> packetStates{};
    std::size_t nextRecord = 0;
    long promptCount = 0;
    long linesInFlight = 0;
    int silentTimeouts = 0;
    bool fileExhausted = false;
    bool settling = false;
    bool lineMayBeBusy = false;
    bool flashMayBeErased = false;
    float lastActivityTime = 0;
    float quietSince = 0;
    bool downloadStartRequest = false;
    bool downloadPrep = false;
    bool readyToDownload = false;
    long linesSent = 0;
    long linesRetried = 0;
    bool downloadTimerEnabled = false;
    bool mainTimerEnabled = false;
    std::uint64_t lineBytes = 0;
    std::string label;
    std::string outcome;

    bool operator==(const TransferTickStart&) const = default;
};

struct TransferPacing {
    TransferTickStart start;
    // Bytes written to or taken from the line by the transfer since the start.
    std::uint64_t lineBytes = 0;
    // Ticks that found nothing to do.
    std::uint64_t idleTicks = 0;
};

// The link's clock counts seconds since midnight in single precision: near the end of a day it
// moves in steps of about 8 ms. A timed tick comes so much after the moment it waits for.
inline constexpr double kClockGrainMs = 8;

}  // namespace kestrix
