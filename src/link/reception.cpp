#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>

#include "link/link_engine.h"
#include "link/serial_events.h"
#include "link/shown_data_age.h"
#include "platform/platform.h"
#include "shared/numbers.h"
#include "state/display_forms.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

std::string twoDigits(int n) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

// "hh:mm:ss mm-dd-yyyy"
std::string timeAndDate(const platform::DateTime& t) {
    return twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second) + " " + twoDigits(t.month) + "-" +
           twoDigits(t.day) + "-" + std::to_string(t.year);
}

constexpr std::size_t kPromptLength = 7;
// Where the first character at or after `from` that can begin a prompt ("scpi > ", "E-nnn> ")
// stands, or the text's size. The library's search for one character goes through a long reply
// far faster than matching it a character at a time.
std::size_t firstPromptStart(std::string_view text, std::size_t from) {
    const std::size_t s = std::min(text.find('s', from), text.size());
    return std::min(text.substr(0, s).find('E', from), s);
}

}  // namespace

void LinkEngine::restartPromptMatch() { v_.matcher.restart(v_.lastChar); }

std::string LinkEngine::replyWithoutPrompt() const {
    const std::string& buffer = v_.replyBuffer;
    return buffer.substr(0, buffer.size() > kPromptLength ? buffer.size() - kPromptLength : 0);
}

void LinkEngine::resetCaptions() {
    ctx_.forms.form1.caption = "Morvandelle Kestrix";
    ctx_.forms.frmShowLog.caption = "Control & Query";
}

void LinkEngine::receiveStep() {
    platform::SerialPort& port = ctx_.platform.serial;
    port.setInputLen(0);
    if (port.inBufferCount() > 0) {
        v_.exchangeStart = now();
        v_.receiveText = port.input();
    }
    const bool withinBound = matchReceivedText();
    // What follows a completed prompt in the same read is dropped, except in the terminal view
    // (switched to while this exchange was under way): there it is the answer to a line typed in
    // the terminal, which the terminal tick shows.
    const bool promptDone = v_.matcher.state() == PromptMatcher::complete;
    if (!promptDone || !ctx_.forms.form1.funcTermEmul.checked) v_.receiveText.clear();

    if (promptDone) actOnPrompt();
    else if (!withinBound) failExchange(now());
    if (v_.exchange) checkTimeout();
}

// Matches the characters read against the prompts, dropping the receiver's echo of the command.
// Returns false when the reply outgrew kMaxReplyLength before its prompt; the characters past
// that point are not kept.
// The characters taken are removed from receiveText: what stays is what followed the prompt.
bool LinkEngine::matchReceivedText() {
    std::size_t taken = 0;
    for (; taken < v_.receiveText.size(); ++taken) {
        if (v_.matcher.state() == PromptMatcher::complete) break;
        if (v_.matcher.state() == PromptMatcher::idle) {
            if (!takeUnmatchedRun(taken)) return false;
            if (taken == v_.receiveText.size()) break;
        }
        const char c = v_.receiveText[taken];
        v_.lastChar = c;
        if (v_.matcher.state() == PromptMatcher::idle && v_.echoSkipped < v_.echoSkipCount) {
            ++v_.echoSkipped;  // the receiver's echo of the command
            continue;
        }
        if (v_.replyBuffer.size() >= kMaxReplyLength + kPromptLength) return false;
        v_.replyBuffer += c;
        const auto result = v_.matcher.feed(c);
        if (result != PromptMatcher::Result::None) v_.errorPromptSeen = result == PromptMatcher::Result::ErrorPrompt;
    }
    v_.receiveText.erase(0, taken);
    return true;
}

// While no prompt is begun, the echo still to drop and then every character that cannot begin a
// prompt are taken in one piece, as the loop above would take them one by one: a long reply or a
// flood costs a search and a copy rather than a match per character. Advances `taken` past them;
// returns false, as the loop does, when the reply outgrows its bound among them.
bool LinkEngine::takeUnmatchedRun(std::size_t& taken) {
    const std::string& text = v_.receiveText;
    if (v_.echoSkipped < v_.echoSkipCount) {
        const auto echo =
            std::min<std::size_t>(static_cast<std::size_t>(v_.echoSkipCount - v_.echoSkipped), text.size() - taken);
        v_.echoSkipped += static_cast<int>(echo);
        taken += echo;
        if (echo > 0) v_.lastChar = text[taken - 1];
        if (v_.echoSkipped < v_.echoSkipCount) return true;
    }
    const std::size_t end = firstPromptStart(text, taken);
    const std::size_t room =
        kMaxReplyLength + kPromptLength - std::min(v_.replyBuffer.size(), kMaxReplyLength + kPromptLength);
    if (end - taken > room) {
        v_.replyBuffer.append(text, taken, room);
        v_.lastChar = text[taken + room];
        return false;
    }
    v_.replyBuffer.append(text, taken, end - taken);
    if (end > taken) v_.lastChar = text[end - 1];
    taken = end;
    return true;
}

// Acts on the prompt that ended the exchange outstanding, by what the exchange was for. An error
// prompt ends any of them but a probe the same way: the error text is read next, and a command
// outstanding stays so, its outcome being that text.
void LinkEngine::actOnPrompt() {
    Form1& f = ctx_.forms.form1;
    const Exchange exchange = *v_.exchange;
    // Nothing else is awaited: anything more is stale, unless the terminal view waits to show it.
    if (!f.funcTermEmul.checked) ctx_.platform.serial.setInBufferCount(0);

    if (exchange.kind == ExchangeKind::Probe) {
        f.Label1.caption = "Communication re-established...";
        v_.reestablished = true;
    } else if (v_.errorPromptSeen) {
        takeErrorPrompt();
    } else {
        switch (exchange.kind) {
            case ExchangeKind::Probe: break;
            case ExchangeKind::TrendSample: takeTrendReply(); break;
            case ExchangeKind::ErrorRead: takeErrorText(); break;
            case ExchangeKind::ConnectionStep: connectionReply(); break;
            case ExchangeKind::ViewPoll: pollReply(exchange.statusView); break;
            case ExchangeKind::PreparationStep:
                // A preparation stopped in the download window ignores the replies still on their way.
                if (ctx_.state.downloadPrep) prepReply(exchange.prepStep);
                break;
            case ExchangeKind::Command:
            case ExchangeKind::GroupQuery: takeCommandReply(); break;
        }
    }
    endExchange(ExchangeEnd::Answered);
}

void LinkEngine::takeErrorPrompt() {
    Form1& f = ctx_.forms.form1;
    ++v_.consecutiveErrors;
    f.Label1.caption = "Error received:";
    v_.readErrorPending = true;
    if (v_.consecutiveErrors > 15) {
        v_.consecutiveErrors = 0;
        f.disableUpdates.checked = true;
        showConsecutiveErrorWarning();
    }
}

// The error text read after an error prompt: the outcome of the command it answered (if one was
// outstanding), and in a download preparation before the boot language, a step skipped to it.
void LinkEngine::takeErrorText() {
    LinkState& s = ctx_.state;
    ctx_.forms.form1.Label1.caption = "Received error reply";
    if (s.queryGroup != 0) s.groupError = true;
    giveReply(replyWithoutPrompt());
    v_.commandOutstanding = false;
    if (s.downloadPrep && s.prepStep < kPrepBootLanguage) s.prepStep = kPrepBootLanguage;
}

void LinkEngine::takeCommandReply() {
    v_.consecutiveErrors = 0;
    ctx_.forms.form1.Label1.caption = "Received response";
    giveReply(replyWithoutPrompt());
    v_.commandOutstanding = false;
}

// The one end of every exchange: whatever the exchange was for is cleared, a trend sample left
// without its reply becomes a gap, and a Control & Query command left without an outcome gets
// "No response from unit" (and a running query group is given up), so that its window's Send
// button always comes back. Only an error prompt keeps the command outstanding, for the error
// text read next.
void LinkEngine::endExchange(ExchangeEnd how) {
    if (onExchangeEnd && how != ExchangeEnd::Abandoned)
        onExchangeEnd(how, how == ExchangeEnd::Answered && v_.errorPromptSeen);
    const std::optional<Exchange> ended = std::exchange(v_.exchange, std::nullopt);
    v_.matcher.reset();
    v_.echoSkipCount = 0;
    v_.echoSkipped = 0;
    v_.replyBuffer.clear();
    if (ended && ended->kind == ExchangeKind::TrendSample) endTrendSample();
    if (how == ExchangeEnd::Abandoned) v_.readErrorPending = false;
    if (v_.commandOutstanding && !v_.readErrorPending) {
        v_.commandOutstanding = false;
        answerWithoutReply();
    }
}

// The port closed or the link restarted while an exchange was under way (or its error text was
// still to be read). The exchange ends unanswered; since its reply may still arrive, the link is
// probed again before anything else is sent.
void LinkEngine::abandonExchange() {
    if (!v_.exchange && !v_.readErrorPending && !v_.commandOutstanding) return;
    endExchange(ExchangeEnd::Abandoned);
    v_.tryingToEstablish = true;
    v_.reestablished = false;
    v_.exchangeStart = now();
}

void LinkEngine::showConsecutiveErrorWarning() {
    ctx_.platform.dialogs.msgBox(
        "Numerous consecutive errors have occurred,\nso 'Disable Updates' has been selected.\n\n"
        "Errors can be seen on Control & Query form",
        "Press Ok to continue", platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

void LinkEngine::pollReply(bool statusView) {
    Form1& f = ctx_.forms.form1;
    v_.consecutiveErrors = 0;
    if (statusView) {
        f.Label1.caption = "received status";
        f.Term.setText(replyWithoutPrompt());
        if (shownAge) shownAge->refreshed(polledData(true, ctx_.state.currentCommand));
    } else {
        // The clock string comes quoted: drop the opening quote, and the closing quote, line end
        // and prompt at the end.
        f.Label1.caption = "received clock";
        const std::string& buffer = v_.replyBuffer;
        ctx_.forms.frmClock.lblClock.caption = buffer.size() > 11 ? buffer.substr(1, buffer.size() - 11) : "";
        if (shownAge) shownAge->refreshed(ShownData::Clock);
    }
}

void LinkEngine::checkTimeout() {
    const long current = now();
    if (elapsedSince(v_.exchangeStart, current) > v_.timeoutSeconds) failExchange(current);
}

// A silent (or endless) exchange: report it, end it, and go back to probing the link, or,
// after the quiet wait that follows an answered probe, start the connection sequence.
void LinkEngine::failExchange(long current) {
    ++v_.timeoutCount;
    writeTimeoutLine();
    endExchange(ExchangeEnd::Failed);
    v_.exchangeStart = current;
    v_.tryingToEstablish = true;
    resetCaptions();
    if (v_.reestablished) {
        v_.tryingToEstablish = false;
        v_.reestablished = false;
        v_.timeoutSeconds = 7;
        v_.restartPending = true;
    } else {
        ctx_.forms.form1.Label1.caption = "No response from unit";
        ctx_.platform.serial.setInBufferCount(0);
    }
}

void LinkEngine::writeTimeoutLine() {
    const std::string line = "Time Out" + signedText(v_.timeoutCount) + " at delay " + signedText(0) + " attempt " +
                             signedText(0) + " " + timeAndDate(ctx_.platform.clock.now()) + "\r\n";
    ctx_.forms.frmTerminal.appendText(line, TerminalPlace::AfterSelection);
}

void LinkEngine::probe() {
    Form1& f = ctx_.forms.form1;
    if (!v_.reestablished) {
        write("\r\n");
        f.Label1.caption = "Trying to establish communication...";
        v_.timeoutSeconds = 2;
    } else {
        f.Label1.caption = "Communication established, please wait...";
        v_.timeoutSeconds = 4;
    }
    awaitReply({ExchangeKind::Probe});
}

void LinkEngine::readError() {
    v_.readErrorPending = false;
    writeLine("syst:err?");
    v_.exchangeStart = now();
    ctx_.forms.form1.Label1.caption = "Reading error";
    awaitReply({ExchangeKind::ErrorRead});
    if (v_.connecting && v_.connectStep == 2) v_.connectStep = 3;
}

void LinkEngine::onComm() {
    platform::SerialPort& port = ctx_.platform.serial;
    const int code = port.commEvent();
    if (code == platform::comm::erPortLost) {
        // The port has closed itself; its reason stays in the status line until the user acts or
        // the port is back.
        std::string reason = port.lostReason();
        if (reason.empty()) reason = "COM" + std::to_string(port.commPort()) + " was disconnected";
        v_.portLostReason = reopen_.reasonItIsAway(std::move(reason), ctx_.platform.clock.secondsSinceMidnight());
        v_.errorMessage = v_.portLostReason;
        ++ctx_.state.portLosses;
        if (trendSampler) trendSampler->interrupted(ctx_.platform.clock.utcSeconds());
        if (reopenLostPort) beginReopening();
    } else {
        const SerialEventText event = describeSerialEvent(code);
        if (!event.text.empty()) (event.isError ? v_.errorMessage : v_.eventMessage) = event.text;
    }

    Label& label = ctx_.forms.form1.Label1;
    if (!v_.eventMessage.empty()) {
        label.caption = v_.eventMessage;
        v_.eventMessage.clear();
    } else if (!v_.errorMessage.empty()) {
        ctx_.platform.beeper.beep();
        label.caption = v_.errorMessage;
        v_.errorMessage.clear();
    }
    // A port that went away (an adapter pulled out) is closed: the menu and captions follow it.
    if (ctx_.state.portIsOpen && !port.portOpen()) portStateChanged();
}

}  // namespace kestrix
