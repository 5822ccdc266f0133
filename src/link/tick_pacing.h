#pragma once

// What Timer1's ticks need from the platform: whether a tick did anything, and when the next one
// can do something. The link's rules decide; this only reads the state they leave.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "link/link_engine.h"

namespace kestrix {

// The state a tick began with, to tell afterwards whether it changed anything.
struct TickStart {
    bool taken = false;
    LinkVariables vars;
    LinkState state;
    std::string label;
    std::uint64_t termRevision = 0;
    std::uint64_t terminalRevision = 0;
    std::uint64_t logRevision = 0;
    std::string clockCaption;
    bool timerEnabled = false;
    int intervalMs = 0;
    int bytesWaiting = 0;
};

struct TickPacing {
    TickStart start;
    std::uint64_t idleTicks = 0;
    // Bytes the last complete reply to each poll or command took on the line (echo and prompt
    // included), so that the rest of a reply can arrive before it is looked at.
    std::map<std::string, std::size_t> replyLengths;
};

// Whole seconds plus this is the first moment the link's rounded clock shows the next second.
inline constexpr double kNextRoundedSecond = 0.5;
// Beyond the expected length, so many bytes more are still taken one by one before the length
// counts as unknown.
inline constexpr std::size_t kReplyOvershoot = 16;
// So many reply lengths are remembered at most.
inline constexpr std::size_t kRememberedReplies = 64;

}  // namespace kestrix
