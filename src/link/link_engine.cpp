#include "link/link_engine.h"

#include "common/log.h"
#include "link/shown_data_age.h"
#include "link/tick_pacing.h"
#include "platform/platform.h"
#include "shared/numbers.h"
#include "shared/query_groups.h"
#include "state/main_window_form.h"

namespace kestrix {

LinkEngine::LinkEngine(Context& context) : ctx_(context) {}

void LinkEngine::wire() {
    Form1& f = ctx_.forms.form1;
    f.Timer1.onTick = [this] {
        noteTickStart();
        tick();
    };
    f.Timer1.demand = [this] { return nextTickDue(); };
    f.reopenTimer.onTick = [this] { reopenTick(); };
    f.reopenTimer.demand = [this] { return nextReopenDue(); };
    ctx_.platform.serial.onComm = [this] { onComm(); };
}

long LinkEngine::now() const { return wholeSeconds(ctx_.platform.clock.secondsSinceMidnight()); }

// Writes to the port; a port that fails here (pulled out between ticks) is reported, not fatal.
bool LinkEngine::write(const std::string& bytes) {
    try {
        ctx_.platform.serial.output(bytes);
        return true;
    } catch (const platform::SerialError& error) {
        ctx_.forms.form1.Label1.caption = error.what();
        return false;
    }
}

void LinkEngine::awaitReply(Exchange exchange) {
    v_.exchange = exchange;
    v_.matcher.reset();
}

void LinkEngine::tick() {
    Form1& f = ctx_.forms.form1;
    LinkState& s = ctx_.state;
    platform::SerialPort& port = ctx_.platform.serial;

    if (f.demoMode.checked && !f.disableUpdates.checked) {
        demoTick();
        return;
    }
    if (!port.portOpen()) {
        if (!v_.portLostReason.empty()) f.Label1.caption = v_.portLostReason;
        else if (v_.connectionStarted) f.Label1.caption = "Port not open";
        return;
    }
    if (f.funcTermEmul.checked && !v_.exchange && !v_.restartPending && !v_.connecting) {
        terminalTick();
        return;
    }
    if (f.funcTermEmul.checked) {
        f.Label1.caption = "Switch to Terminal Emulation Pending...";
        v_.receiveText.clear();
    }
    if (v_.restartPending) {
        abandonExchange();
        v_.restartPending = false;
        v_.connectionStarted = true;
        v_.connecting = true;
        v_.connectStep = 1;
    }
    if (v_.replyReady) handOverReply();
    if (v_.exchange) {
        receiveStep();
        return;
    }

    v_.receiveText.clear();
    port.setInBufferCount(0);
    if (v_.tryingToEstablish) probe();
    else if (v_.readErrorPending) readError();
    else if (v_.connecting) connectionSend();
    else if (s.downloadPrep) prepSend();
    else if (s.sendRequest) sendControlQueryCommand();
    else if (trendSampleDue()) sendTrendSample();
    else if (pollsView) pollCurrentView();
}

void LinkEngine::sendControlQueryCommand() {
    LinkState& s = ctx_.state;
    if (s.queryGroup != 0) {
        s.currentCommand = queryCommand(s.queryGroup, s.queryIndex);
        if (s.queryGroup == kAlarmCauseGroup) {
            if (s.queryIndex == 1) appendToLog(ctx_, "\r\nAlarm Cause(s): ");
        } else {
            appendToLog(ctx_, "\r\nSent: " + s.currentCommand);
        }
    }
    const ExchangeKind kind = s.queryGroup != 0 ? ExchangeKind::GroupQuery : ExchangeKind::Command;
    s.sendRequest = false;
    writeLine(s.currentCommand);
    setEchoSkip(s.currentCommand);
    v_.timeoutSeconds = 13;
    v_.exchangeStart = now();
    ctx_.forms.form1.Label1.caption = "sending: " + s.currentCommand;
    v_.commandOutstanding = true;
    awaitReply({kind});
}

void LinkEngine::pollCurrentView() {
    Form1& f = ctx_.forms.form1;
    if (f.disableUpdates.checked) f.Label1.caption = "Idle";
    else if (!trendLetsViewPoll()) return;
    else if (f.funcStatus.checked) pollWith(":syst:prin?", true, "requesting status", 6);
    else if (f.FuncCustUpdate.checked) pollWith(v_.customUpdateCommand, true, "requesting status", 13);
    else pollWith(":ptim:str?", false, "requesting clock", 3);
}

void LinkEngine::pollWith(const std::string& command, bool status, const char* label, int timeout) {
    ctx_.state.currentCommand = command;
    writeLine(command);
    setEchoSkip(command);
    ctx_.forms.form1.Label1.caption = label;
    v_.timeoutSeconds = timeout;
    v_.exchangeStart = now();
    awaitReply({.kind = ExchangeKind::ViewPoll, .statusView = status});
    if (shownAge) shownAge->polled(polledData(status, command), timeout);
}

void LinkEngine::setEchoSkip(const std::string& command) {
    v_.echoSkipCount = v_.echoState == 1 ? static_cast<int>(command.size()) + 2 : 0;
    v_.echoSkipped = 0;
}

}  // namespace kestrix
