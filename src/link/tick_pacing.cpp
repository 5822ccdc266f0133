// When Timer1's next tick is needed: at once after a tick that did something, so that sequences
// go on at full speed; after one that did nothing, not before the first moment a tick could act
// without input (a time-out falling due, demo mode's interval, the terminal's idle-tick flush),
// or only when input or the user gives it something to do.

#include "link/tick_pacing.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/platform.h"
#include "shared/numbers.h"
#include "state/display_forms.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr std::size_t kUnknownLength = std::numeric_limits<std::size_t>::max();
constexpr const char* kTerminalIdleCaption = "In Kestrix Terminal Mode";
// Seconds of quiet after which the terminal view's caption returns to kTerminalIdleCaption.
constexpr long kTerminalQuietSeconds = 2;

// Milliseconds from `now` to `due`, both seconds since midnight, the shorter way round midnight.
double millisecondsUntil(double due, double now) {
    double seconds = due - now;
    if (seconds < -43200) seconds += 86400;
    if (seconds > 43200) seconds -= 86400;
    return seconds * 1000.0;
}

// The first moment the link's rounded clock reads more than `seconds` after `start`, as
// milliseconds from now, never sooner than the timer's interval.
double untilElapsedExceeds(long start, long seconds, double now, double intervalMs) {
    const double due = static_cast<double>(start + seconds) + kNextRoundedSecond;
    return std::max(intervalMs, millisecondsUntil(due, now) + 1.0);
}

bool isViewPoll(const LinkVariables& v) { return v.exchange && v.exchange->kind == ExchangeKind::ViewPoll; }

bool terminalActive(const Form1& f, const LinkVariables& v) {
    return f.funcTermEmul.checked && !v.exchange && !v.restartPending && !v.connecting;
}

// Waiting for a reply, with nothing received to look at and nothing else to do first: a tick
// now would only check the time-out.
bool awaitingReplyQuietly(const Form1& f, const LinkVariables& v, platform::SerialPort& port) {
    return v.exchange && !v.restartPending && !v.replyReady && !f.funcTermEmul.checked && v.receiveText.empty() &&
           v.matcher.state() != PromptMatcher::complete && port.portOpen() && port.inBufferCount() == 0;
}

bool changedSince(const TickStart& t, const LinkVariables& v, Context& ctx) {
    const FormRefs& forms = ctx.forms;
    LinkState before = t.state;
    before.termIdleTicks = ctx.state.termIdleTicks;  // counting idle ticks is not work
    if (!(t.vars == v) || !(before == ctx.state)) return true;
    if (t.label != forms.form1.Label1.caption || t.clockCaption != forms.frmClock.lblClock.caption) return true;
    if (t.termRevision != forms.form1.Term.revision() ||
        t.terminalRevision != forms.frmTerminal.txtTerminal.revision() ||
        t.logRevision != forms.frmShowLog.txtShowLog.revision())
        return true;
    if (t.timerEnabled != forms.form1.Timer1.enabled || t.intervalMs != forms.form1.Timer1.intervalMs) return true;
    platform::SerialPort& port = ctx.platform.serial;
    return t.bytesWaiting > 0 && (!port.portOpen() || port.inBufferCount() < t.bytesWaiting);  // input discarded
}

// The reply that ended in this tick, if it was a poll's or a command's, sets the length its
// next one is expected to have.
void rememberReplyLength(TickPacing& p, const LinkVariables& v) {
    const TickStart& t = p.start;
    if (!t.vars.exchange || v.exchange) return;
    if (!isViewPoll(t.vars) && !t.vars.commandOutstanding) return;
    if (v.timeoutCount != t.vars.timeoutCount || v.readErrorPending) return;  // failed, or an error prompt
    const std::string& command = t.state.currentCommand;
    if (p.replyLengths.size() >= kRememberedReplies && !p.replyLengths.count(command)) p.replyLengths.clear();
    p.replyLengths[command] =
        t.vars.replyBuffer.size() + static_cast<std::size_t>(t.vars.echoSkipped + std::max(0, t.bytesWaiting));
}

std::size_t inputWanted(const TickPacing& p, const LinkVariables& v, const LinkState& s) {
    if (!v.exchange) return 1;
    if (!isViewPoll(v) && !v.commandOutstanding) return kUnknownLength;
    const auto known = p.replyLengths.find(s.currentCommand);
    if (known == p.replyLengths.end()) return kUnknownLength;
    const std::size_t received = v.replyBuffer.size() + static_cast<std::size_t>(std::max(0, v.echoSkipped));
    if (received < known->second) return known->second - received;
    if (received < known->second + kReplyOvershoot) return 1;
    return kUnknownLength;
}

}  // namespace

LinkEngine::~LinkEngine() = default;

void LinkEngine::noteTickStart() {
    if (!pacing_) pacing_ = std::make_unique<TickPacing>();
    TickStart& t = pacing_->start;
    const FormRefs& forms = ctx_.forms;
    platform::SerialPort& port = ctx_.platform.serial;
    t.taken = true;
    t.vars = v_;
    t.state = ctx_.state;
    t.label = forms.form1.Label1.caption;
    t.clockCaption = forms.frmClock.lblClock.caption;
    t.termRevision = forms.form1.Term.revision();
    t.terminalRevision = forms.frmTerminal.txtTerminal.revision();
    t.logRevision = forms.frmShowLog.txtShowLog.revision();
    t.timerEnabled = forms.form1.Timer1.enabled;
    t.intervalMs = forms.form1.Timer1.intervalMs;
    t.bytesWaiting = port.portOpen() ? port.inBufferCount() : 0;
}

std::uint64_t LinkEngine::idleTicks() const { return pacing_ ? pacing_->idleTicks : 0; }

TickDemand LinkEngine::nextTickDue() {
    if (!pacing_) pacing_ = std::make_unique<TickPacing>();
    TickPacing& p = *pacing_;
    const Form1& f = ctx_.forms.form1;
    const LinkState& s = ctx_.state;
    const bool ticked = std::exchange(p.start.taken, false);

    TickDemand demand;
    demand.didWork = ticked && changedSince(p.start, v_, ctx_);
    if (ticked) rememberReplyLength(p, v_);
    demand.inputWanted = inputWanted(p, v_, s);
    const double interval = std::max(1, f.Timer1.intervalMs);
    if (f.demoMode.checked && !f.disableUpdates.checked) {
        demand.dueInMs = interval;  // every demo tick shows something; its pace is the interval
        return demand;
    }
    // A tick that did work asks for the next at once, unless all it left is a reply to wait for:
    // then only input or the time-out can give a tick something to do.
    if (demand.didWork && !awaitingReplyQuietly(f, v_, ctx_.platform.serial)) return demand;
    if (ticked && !demand.didWork) ++p.idleTicks;

    demand.dueInMs.reset();
    if (!ctx_.platform.serial.portOpen()) return demand;  // opening it is the user's action
    const double now = ctx_.platform.clock.secondsSinceMidnight();
    if (terminalActive(f, v_)) {
        // Held input is shown on the second tick without more of it; the caption returns after
        // a quiet spell.
        if (!v_.receiveText.empty() || s.termResponsePending || !s.termReady) demand.dueInMs = interval;
        else if (f.Label1.caption != kTerminalIdleCaption)
            demand.dueInMs = untilElapsedExceeds(v_.exchangeStart, kTerminalQuietSeconds, now, interval);
        return demand;
    }
    if (v_.exchange) {
        demand.dueInMs = untilElapsedExceeds(v_.exchangeStart, v_.timeoutSeconds, now, interval);
        return demand;
    }
    const bool actionPending = v_.replyReady || v_.restartPending || v_.tryingToEstablish || v_.readErrorPending ||
                               v_.connecting || s.downloadPrep || s.sendRequest ||
                               (pollsView && !f.disableUpdates.checked);
    if (actionPending) demand.dueInMs = interval;
    return demand;
}

}  // namespace kestrix
