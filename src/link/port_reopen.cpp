// Reopening a port that went away by itself, run by the main window's reopen timer: a try when
// one is due, the link taking the port up again as after Port Open once it opens.

#include "link/port_reopen.h"

#include <algorithm>
#include <utility>

#include "link/link_engine.h"
#include "platform/platform.h"
#include "shared/numbers.h"
#include "state/main_window_form.h"

namespace kestrix {

bool ReopenSchedule::lostAgainSoon(double now) const {
    return reopenedAt_ && elapsedSince(*reopenedAt_, now) < kLongestReopenPause;
}

void ReopenSchedule::begin(double now) {
    const bool again = lostAgainSoon(now);
    waiting_ = true;
    lastTry_ = now;
    pause_ = again ? std::clamp(pause_ * 2, kFirstReopenPause, kLongestReopenPause) : 0;
    reopenedAt_.reset();
}

void ReopenSchedule::opened(double now, std::string whyItWentAway) {
    waiting_ = false;
    reopenedAt_ = now;
    firstReason_ = std::move(whyItWentAway);
}

void ReopenSchedule::end() {
    waiting_ = false;
    reopenedAt_.reset();
    firstReason_.clear();
}

std::string ReopenSchedule::reasonItIsAway(std::string reason, double now) const {
    if (!firstReason_.empty() && lostAgainSoon(now)) return firstReason_;
    return reason;
}

bool ReopenSchedule::due(double now) const { return waiting_ && elapsedSince(lastTry_, now) >= pause_; }

void ReopenSchedule::failed(double now) {
    lastTry_ = now;
    pause_ = std::clamp(pause_ * 2, kFirstReopenPause, kLongestReopenPause);
}

std::optional<double> ReopenSchedule::msUntilDue(double now) const {
    if (!waiting_) return std::nullopt;
    return std::max(0.0, (pause_ - elapsedSince(lastTry_, now)) * 1000.0);
}

bool LinkEngine::waitingToReopen() const { return reopen_.waiting(); }

void LinkEngine::beginReopening() {
    reopen_.begin(ctx_.platform.clock.secondsSinceMidnight());
    ctx_.forms.form1.reopenTimer.enabled = true;
}

void LinkEngine::stopReopening() {
    reopen_.end();
    ctx_.forms.form1.reopenTimer.enabled = false;
}

// A download under way is never taken up again on a port that came back: its window ends it
// (the flash may need a complete download) and the tries go on once it has.
void LinkEngine::reopenTick() {
    platform::SerialPort& port = ctx_.platform.serial;
    const LinkState& s = ctx_.state;
    reopenOpened_ = false;
    if (!reopen_.waiting() || port.portOpen()) {
        stopReopening();
        return;
    }
    if (s.downloadPrep || downloadStartPending()) return;
    const double now = ctx_.platform.clock.secondsSinceMidnight();
    if (!reopen_.due(now)) return;
    try {
        port.setPortOpen(true);
    } catch (const platform::SerialError&) {
        // Still away: the reason it went away stays in the status line.
    }
    if (!port.portOpen()) {
        reopen_.failed(now);
        return;
    }
    reopen_.opened(now, std::exchange(v_.portLostReason, {}));
    ctx_.forms.form1.reopenTimer.enabled = false;
    reopenOpened_ = true;
    portStateChanged();
    ctx_.forms.form1.Label1.caption = "COM" + std::to_string(port.commPort()) + " is back: reopened";
}

bool LinkEngine::downloadStartPending() const { return downloadStarting && downloadStarting(); }

// The reopen timer sleeps until the next try is due; while a download ends, the download
// window's ticks wake it.
TickDemand LinkEngine::nextReopenDue() {
    TickDemand demand;
    demand.didWork = std::exchange(reopenOpened_, false);
    demand.dueInMs.reset();
    const LinkState& s = ctx_.state;
    if (!s.downloadPrep && !downloadStartPending())
        demand.dueInMs = reopen_.msUntilDue(ctx_.platform.clock.secondsSinceMidnight());
    return demand;
}

}  // namespace kestrix
