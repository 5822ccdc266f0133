// When the download timer's next tick is needed: at once after a tick that wrote, took input or
// changed any state, so that packets follow their prompts at full speed; after one that did
// nothing, not before its silence check or quiet wait can end, or only when input comes (any
// byte may be the prompt that frees a slot).

#include "download/transfer_pacing.h"

#include <algorithm>
#include <utility>

#include "download/firmware_download.h"
#include "platform/platform.h"
#include "state/download_forms.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

TransferTickStart snapshot(const TransferVariables& v, const TransferPacing& p, const Context& ctx) {
    const LinkState& s = ctx.state;
    TransferTickStart t;
    t.taken = true;
    t.transferStep = v.transferStep;
    t.packetStates = {v.packets[0].state, v.packets[1].state};
    t.nextRecord = v.nextRecord;
    t.promptCount = v.promptCount;
    t.linesInFlight = v.linesInFlight;
    t.silentTimeouts = v.silentTimeouts;
    t.fileExhausted = v.fileExhausted;
    t.settling = v.settling;
    t.lineMayBeBusy = v.lineMayBeBusy;
    t.flashMayBeErased = v.flashMayBeErased;
    t.lastActivityTime = v.lastActivityTime;
    t.quietSince = v.quietSince;
    t.downloadStartRequest = v.downloadStartRequest;
    t.downloadPrep = s.downloadPrep;
    t.readyToDownload = s.readyToDownload;
    t.linesSent = v.linesSent;
    t.linesRetried = v.linesRetried;
    t.downloadTimerEnabled = ctx.forms.frmDownload.Timer1.enabled;
    t.mainTimerEnabled = ctx.forms.form1.Timer1.enabled;
    t.lineBytes = p.lineBytes;
    t.label = ctx.forms.form1.Label1.caption;
    t.outcome = ctx.forms.frmDownload.lblOutcome.caption;
    return t;
}

}  // namespace

void FirmwareDownload::noteTickStart() { pacing_.start = snapshot(v_, pacing_, ctx_); }

// Milliseconds until more than `limit` seconds have passed since `then` on the link's clock,
// never sooner than the timer's interval.
double FirmwareDownload::untilSilenceExceeds(float then, float limit) const {
    const double interval = std::max(1, ctx_.forms.frmDownload.Timer1.intervalMs);
    const double left = (static_cast<double>(limit) - static_cast<double>(secondsSince(then))) * 1000.0;
    return std::max(interval, left + kClockGrainMs);
}

TickDemand FirmwareDownload::nextTickDue() {
    const LinkState& s = ctx_.state;
    const bool ticked = std::exchange(pacing_.start.taken, false);
    TickDemand demand;
    demand.inputWanted = 1;
    TransferTickStart end = snapshot(v_, pacing_, ctx_);
    end.taken = false;
    demand.didWork = ticked && !(end == pacing_.start);
    if (demand.didWork) return demand;  // at once
    if (ticked) ++pacing_.idleTicks;

    const double interval = std::max(1, ctx_.forms.frmDownload.Timer1.intervalMs);
    platform::SerialPort& port = ctx_.platform.serial;
    demand.dueInMs.reset();
    if (v_.downloadStartRequest) {
        demand.dueInMs = 0.0;
    } else if (v_.settling) {
        // No event tells when the device's own queue has emptied: it is looked at again soon.
        if (port.portOpen())
            demand.dueInMs = port.outBufferCount() > 0 ? interval : untilSilenceExceeds(v_.quietSince, kQuietSeconds);
    } else if (s.downloadPrep && s.readyToDownload) {
        // A closed port is seen by the next tick, which ends the download; otherwise the wait
        // for prompts (or for the answers still in flight after an error) has its silence check.
        const bool awaitingPrompts = v_.transferStep >= 2 && v_.transferStep <= 4;
        const bool drainingAfterError = v_.transferStep == 5 && v_.linesInFlight > 0;
        if (port.portOpen() && awaitingPrompts)
            demand.dueInMs = untilSilenceExceeds(v_.lastActivityTime, kReplyTimeoutSeconds);
        else if (port.portOpen() && drainingAfterError)
            demand.dueInMs = untilSilenceExceeds(v_.lastActivityTime, kDrainSilenceSeconds);
        else demand.dueInMs = interval;
    }
    // Otherwise the main timer prepares the receiver (a tick of it that does something wakes
    // this one), or nothing runs: only the user can start something.
    return demand;
}

}  // namespace kestrix
