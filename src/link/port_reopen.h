#pragma once

// When the link tries again to open a port that went away by itself (an adapter pulled out, a
// network connection lost): at once, then after pauses that double from kFirstReopenPause up to
// kLongestReopenPause, so that a port that comes back is in use again within seconds and one
// that stays away costs a try every ten seconds at most.

#include <optional>
#include <string>

namespace kestrix {

inline constexpr double kFirstReopenPause = 0.5;     // seconds after the first failed try
inline constexpr double kLongestReopenPause = 10.0;  // seconds between tries at most

class ReopenSchedule {
public:
    // The port went away at `now` (seconds since midnight): the first try is due at once. A port
    // that goes away again within kLongestReopenPause of being reopened (a server that accepts a
    // connection and drops it at once) goes on from the pause reached instead, so that it is
    // never tried in a tight loop.
    void begin(double now);
    // A try opened the port at `now`; `whyItWentAway` is the reason it was lost.
    void opened(double now, std::string whyItWentAway);
    // The user took over: the next loss starts afresh.
    void end();
    bool waiting() const { return waiting_; }
    // The port goes away again at `now` soon after a try opened it: the try did not get through
    // (a network port whose connection is refused a moment after it was begun).
    bool lostAgainSoon(double now) const;
    // Why the port is away when it is lost at `now` for `reason`: a try that did not get through
    // leaves the reason it first went away standing, rather than the try's own failure.
    std::string reasonItIsAway(std::string reason, double now) const;
    bool due(double now) const;
    // A try at `now` failed: the next waits longer than the last did.
    void failed(double now);
    // Milliseconds until the next try is due (0 when it is due now); empty when not waiting.
    std::optional<double> msUntilDue(double now) const;
    double pause() const { return pause_; }

private:
    bool waiting_ = false;
    double lastTry_ = 0;
    double pause_ = 0;
    std::optional<double> reopenedAt_;
    std::string firstReason_;  // why the port went away, kept while a reopened port proves itself
};

}  // namespace kestrix
