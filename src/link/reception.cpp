#include <cstdio>

#include "link/link_engine.h"
#include "link/serial_events.h"
#include "shared/numbers.h"

namespace kestrix {

namespace {

std::string twoDigits(int n) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

// "hh:mm:ss mm-dd-yyyy"
std::string timeAndDate(const platform::DateTime& t) {
    return twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second) + " " + twoDigits(t.month) +
           "-" + twoDigits(t.day) + "-" + std::to_string(t.year);
}

constexpr std::size_t kPromptLength = 7;

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
    matchReceivedText();
    v_.receiveText.clear();   // what follows a completed prompt in the same read is dropped

    if (v_.matcher.state() == PromptMatcher::complete) actOnPrompt();
    else if (v_.replyBuffer.size() > kMaxReplyLength) failExchange(now());
    if (v_.waitingForReply) checkTimeout();
}

void LinkEngine::matchReceivedText() {
    for (char c : v_.receiveText) {
        if (v_.matcher.state() == PromptMatcher::complete) break;
        v_.lastChar = c;
        if (v_.matcher.state() == PromptMatcher::idle && v_.echoSkipped < v_.echoSkipCount) {
            ++v_.echoSkipped;   // the receiver's echo of the command
            continue;
        }
        v_.replyBuffer += c;
        const auto result = v_.matcher.feed(c);
        if (result != PromptMatcher::Result::None) v_.errorPromptSeen = result == PromptMatcher::Result::ErrorPrompt;
    }
}

void LinkEngine::actOnPrompt() {
    LinkState& s = ctx_.state;
    Form1& f = ctx_.forms.form1;
    v_.echoSkipped = 0;
    v_.echoSkipCount = 0;
    ctx_.platform.serial.setInBufferCount(0);
    v_.matcher.reset();

    if (s.tryingToEstablish) {
        f.Label1.caption = "Communication re-established...";
        s.reestablished = true;
    } else if (v_.errorPromptSeen) {
        ++v_.consecutiveErrors;
        f.Label1.caption = "Error received:";
        v_.readErrorPending = true;
        v_.replyBuffer.clear();
        v_.receiveText.clear();
        if (v_.consecutiveErrors > 15) {
            v_.consecutiveErrors = 0;
            f.disableUpdates.checked = true;
            showConsecutiveErrorWarning();
        }
    } else if (takeTrendReply()) {
        // a trend sample's reply goes to the trend alone
    } else if (v_.errorReadOutstanding) {
        f.Label1.caption = "Received error reply";
        if (s.queryGroup != 0) s.groupError = true;
        s.replyText = replyWithoutPrompt();
        s.replyReady = true;
        v_.errorReadOutstanding = false;
        if (s.downloadPrep && s.prepStep < 1) s.prepStep = 1;
    } else if (v_.connecting) {
        connectionReply();
    } else if (v_.pollOutstanding) {
        pollReply();
    } else if (s.downloadPrep) {
        prepReply();
    } else if (v_.commandOutstanding) {
        v_.consecutiveErrors = 0;
        f.Label1.caption = "Received response";
        s.replyText = replyWithoutPrompt();
        s.replyReady = true;
    }
    v_.waitingForReply = false;
    v_.commandOutstanding = false;
    v_.pollOutstanding = false;
    v_.replyBuffer.clear();
}

void LinkEngine::showConsecutiveErrorWarning() {
    ctx_.platform.dialogs.msgBox(
        "Numerous consecutive errors have occurred,\nso 'Disable Updates' has been selected.\n\n"
        "Errors can be seen on Control & Query form",
        "Press Ok to continue", platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

void LinkEngine::pollReply() {
    Form1& f = ctx_.forms.form1;
    v_.consecutiveErrors = 0;
    if (v_.statusRequested) {
        f.Label1.caption = "received status";
        f.Term.setText(replyWithoutPrompt());
    } else {
        // The clock string comes quoted: drop the opening quote, and the closing quote, line end
        // and prompt at the end.
        f.Label1.caption = "received clock";
        const std::string& buffer = v_.replyBuffer;
        ctx_.forms.frmClock.lblClock.caption = buffer.size() > 11 ? buffer.substr(1, buffer.size() - 11) : "";
    }
}

void LinkEngine::checkTimeout() {
    const long current = now();
    if (elapsedSince(v_.exchangeStart, current) > ctx_.state.timeoutSeconds) failExchange(current);
}

// A silent (or endless) exchange: report it, hand a pending command its "No response from unit",
// and go back to probing the link, or, after the quiet wait that follows an answered probe,
// start the connection sequence.
void LinkEngine::failExchange(long current) {
    LinkState& s = ctx_.state;
    ++v_.timeoutCount;
    writeTimeoutLine();
    v_.echoSkipCount = 0;
    v_.echoSkipped = 0;
    v_.waitingForReply = false;
    v_.matcher.reset();
    if (v_.commandOutstanding) {
        v_.commandOutstanding = false;
        s.replyText = "No response from unit";
        s.replyReady = true;
        s.queryGroup = 0;
    }
    v_.pollOutstanding = false;
    v_.exchangeStart = current;
    s.tryingToEstablish = true;
    resetCaptions();
    if (s.reestablished) {
        s.tryingToEstablish = false;
        s.reestablished = false;
        s.timeoutSeconds = 7;
        v_.restartPending = true;
    } else {
        ctx_.forms.form1.Label1.caption = "No response from unit";
        ctx_.platform.serial.setInBufferCount(0);
    }
    v_.replyBuffer.clear();
}

void LinkEngine::writeTimeoutLine() {
    TextBox& terminal = ctx_.forms.frmTerminal.txtTerminal;
    const std::string line = "Time Out" + signedText(v_.timeoutCount) + " at delay " + signedText(0) + " attempt " +
                             signedText(0) + " " + timeAndDate(ctx_.platform.clock.now()) + "\r\n";
    terminal.replaceSelection(terminal.selectedText() + line);
    terminal.moveCaretToEnd();
}

void LinkEngine::probe() {
    LinkState& s = ctx_.state;
    Form1& f = ctx_.forms.form1;
    if (!s.reestablished) {
        write("\r\n");
        f.Label1.caption = "Trying to establish communication...";
        s.timeoutSeconds = 2;
    } else {
        f.Label1.caption = "Communication established, please wait...";
        s.timeoutSeconds = 4;
    }
    awaitReply();
}

void LinkEngine::readError() {
    v_.readErrorPending = false;
    writeLine("syst:err?");
    v_.exchangeStart = now();
    ctx_.forms.form1.Label1.caption = "Reading error";
    v_.errorReadOutstanding = true;
    awaitReply();
    if (v_.connecting && v_.connectStep == 2) v_.connectStep = 3;
}

void LinkEngine::onComm() {
    platform::SerialPort& port = ctx_.platform.serial;
    const SerialEventText event = describeSerialEvent(port.commEvent());
    if (!event.text.empty()) (event.isError ? v_.errorMessage : v_.eventMessage) = event.text;

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
