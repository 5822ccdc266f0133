// The transfer of the firmware records, run by the download window's timer: two packets in
// flight, each written with one write and acknowledged by one prompt per line; an error prompt
// sends both unfinished packets again after "*cls", and ten seconds of silence sends them again.

#include <cmath>
#include <cstdio>

#include "common/log.h"
#include "download/firmware_download.h"
#include "platform/platform.h"
#include "state/download_forms.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

// Time-outs in a row, with nothing heard in between, after which the receiver counts as gone.
constexpr int kTimeoutsBeforeGivingUp = 6;
constexpr long kRecordsPerSample = 100;
constexpr long kLinesBeforeEstimate = 500;

constexpr const char* kNormalOperationCommand = ":SYST:LANG \"PRIMARY\"";
constexpr const char* kNormalOperationHint = "Select this command to return to normal product operation";
constexpr const char* kCompletedText =
    "The download has completed. When you're ready, you can return to normal product operation by closing this "
    "form, closing the Firmware Download form, then executing the command now shown in the Control & Query "
    "form.  Note that it is expected that the alarm will come on the first time the unit comes up with the new "
    "firmware.";

void showText(TextBox& box, const std::string& text) {
    if (box.text() != text) box.setText(text);
}

}  // namespace

std::string minutesText(double minutes) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", minutes);
    std::string text = buffer;
    if (text.ends_with(".0")) text.pop_back();
    if (text.starts_with("0.")) text.erase(0, 1);
    else if (text.starts_with("-0.")) text.erase(1, 1);
    return text;
}

float FirmwareDownload::now() const { return static_cast<float>(ctx_.platform.clock.secondsSinceMidnight()); }

float FirmwareDownload::secondsSince(float then) const {
    float current = now();
    if (current < then) current += 86400;
    return current - then;
}

void FirmwareDownload::tick() {
    LinkState& s = ctx_.state;
    // A port that went away ends the download even once it is back: nothing tells what the
    // receiver took meanwhile, so it is never taken up again where it stopped.
    if ((s.downloadPrep || v_.settling) && s.portLosses != v_.portLossesAtStart)
        endAutomatically("The port closed during the download.");
    else if (v_.downloadStartRequest) startDownload();
    else if (v_.settling) settleTick();
    else if (s.downloadPrep && s.readyToDownload) transferTick();
    keepRunningButtons();
}

void FirmwareDownload::startDownload() {
    LinkState& s = ctx_.state;
    FrmDownload& w = ctx_.forms.frmDownload;
    Form1& f = ctx_.forms.form1;
    v_.linesSent = 0;
    v_.linesRetried = 0;
    showText(w.Text3, "0");
    showText(w.Text2, "0");
    v_.downloadStartRequest = false;
    v_.portLossesAtStart = s.portLosses;

    v_.records = checkedRecords_;
    totalRecords_ = static_cast<long>(v_.records.size());
    v_.nextRecord = 0;
    w.Label4.visible = true;
    w.Text4.visible = true;
    showText(w.Text4, "");
    showText(w.Text1, "");
    w.prgRecords.maximum = totalRecords_;
    w.prgRecords.value = 0;
    w.lblOutcome.caption = "Preparing the receiver for the download...";
    f.disableUpdates.checked = true;

    v_.transferStep = 1;
    v_.packets = {};
    v_.fileExhausted = false;
    v_.matcher.reset();
    v_.errorReplySeen = false;
    v_.promptCount = 0;
    v_.linesInFlight = 0;
    v_.silentTimeouts = 0;
    v_.recordsSinceSample = 0;
    v_.minutesPerRecord = 0;
    v_.sampleTime = now();
    v_.lastActivityTime = now();
    v_.flashMayBeErased = false;
    s.readyToDownload = false;
    if (v_.lineMayBeBusy) {
        // Lines of the download that ended early may still be on their way, and their answers
        // must not be taken for the preparation's. The main timer stays off until the line is quiet.
        v_.settling = true;
        v_.quietSince = now();
        f.Timer1.enabled = false;
        w.lblOutcome.caption = "Waiting for the receiver to finish answering the earlier download...";
    } else {
        beginPreparation();
    }
}

// The main timer runs the preparation; it is off when an earlier download was stopped after the
// erasure, and turned on here.
void FirmwareDownload::beginPreparation() {
    LinkState& s = ctx_.state;
    s.downloadPrep = true;
    s.prepStep = -4;
    ctx_.forms.form1.Timer1.enabled = true;
    ctx_.forms.frmDownload.lblOutcome.caption = "Preparing the receiver for the download...";
}

void FirmwareDownload::settleTick() {
    platform::SerialPort& port = ctx_.platform.serial;
    if (!port.portOpen()) return;
    port.setInputLen(0);
    if (port.inBufferCount() > 0) {
        pacing_.lineBytes += port.input().size();
        v_.quietSince = now();
    }
    if (port.outBufferCount() > 0 || secondsSince(v_.quietSince) < kQuietSeconds) return;
    v_.settling = false;
    v_.lineMayBeBusy = false;
    beginPreparation();
}

void FirmwareDownload::transferTick() {
    LinkState& s = ctx_.state;
    if (!v_.flashMayBeErased) {
        v_.flashMayBeErased = true;
        v_.lineMayBeBusy = true;
        ctx_.forms.frmDownload.lblOutcome.caption = "Sending the firmware...";
    }
    if (!ctx_.platform.serial.portOpen()) {
        endAutomatically("The port closed during the download.");
        return;
    }
    switch (v_.transferStep) {
        case 1:
            if (v_.packets[0].state == Packet::finished && v_.packets[1].state == Packet::finished) {
                complete();
                return;
            }
            // Nothing is in flight here: what waits unread (prompts left over from the
            // preparation, or late ones) answers none of the packets about to go out.
            ctx_.platform.serial.setInBufferCount(0);
            v_.matcher.reset();
            sendPacket(1);
            if (s.downloadPrep) sendPacket(2);
            break;
        case 2:
        case 3: countReplies(v_.transferStep - 1); break;
        case 4:
            readReplies();
            if (v_.transferStep == 4) checkReplyTimeout();
            break;
        case 5: drainTick(); break;
        default: break;
    }
    if (!s.downloadPrep) return;
    sampleRate();
    showProgress();
}

void FirmwareDownload::countReplies(int awaited) {
    const int other = 3 - awaited;
    v_.awaitedPacket = awaited;
    v_.otherPacket = other;
    Packet& a = v_.packets[static_cast<std::size_t>(awaited - 1)];
    Packet& o = v_.packets[static_cast<std::size_t>(other - 1)];
    ctx_.forms.form1.Label1.caption =
        "waiting on buf " + std::to_string(awaited) + " response " + std::to_string(a.records);
    readReplies();
    if (v_.awaitedPacketDone) {
        a.text.clear();
        if (v_.otherPacketDone && o.state != Packet::finished) o.state = Packet::toFill;
        if (o.state == Packet::written) v_.transferStep = other + 1;
        if (v_.errorReplySeen) {
            // The packet was acknowledged whole, but a line of the other one was rejected in the
            // same read: the acknowledged one is refilled after the recovery.
            a.state = v_.fileExhausted ? Packet::finished : Packet::toFill;
            takeErrorPath();
        } else if (v_.fileExhausted) {
            a.state = Packet::finished;
            if (v_.otherPacketDone) o.state = Packet::finished;
            if (o.state == Packet::finished) v_.transferStep = 1;
        } else {
            a.state = Packet::toFill;
            sendPacket(awaited);
            if (v_.otherPacketDone && ctx_.state.downloadPrep) {
                o.state = Packet::toFill;
                sendPacket(other);
            }
        }
    } else if (v_.errorReplySeen) {
        takeErrorPath();
    } else {
        checkReplyTimeout();
    }
}

void FirmwareDownload::sendPacket(int p) {
    LinkState& s = ctx_.state;
    Packet& packet = v_.packets[static_cast<std::size_t>(p - 1)];
    Label& label = ctx_.forms.form1.Label1;
    // With every line answered, a prompt begun in what was read answers nothing still to be
    // written: it must not swallow the first characters of the next answer.
    if (v_.linesInFlight == 0) v_.matcher.reset();
    if (packet.state == Packet::toResend) {
        if (!write(packet.text)) return;
        label.caption = "re-sending buf" + std::to_string(p);
        v_.lastActivityTime = now();
        v_.linesRetried += 1;
        v_.linesInFlight += packet.records;
        packet.state = Packet::written;
        awaitPacket(p);
        return;
    }
    if (packet.state != Packet::toFill) return;

    packet.text.clear();
    const long burst = s.downloadBurst > 0 ? s.downloadBurst : 1;
    long n = 0;
    while (n < burst && !v_.fileExhausted) {
        if (v_.nextRecord >= v_.records.size()) {
            v_.fileExhausted = true;
            v_.records.clear();
            beepThreeTimes();
            break;
        }
        v_.currentRecord = v_.records[v_.nextRecord++];
        packet.text += "diag:down \"" + v_.currentRecord + "\"\r\n";
        ++n;
    }
    if (v_.fileExhausted) {
        label.caption = "z is " + std::to_string(n);
        if (n == 0) {
            packet.state = Packet::finished;
            return;
        }
    }
    packet.records = n;
    if (!write(packet.text)) return;
    if (!v_.fileExhausted) label.caption = "sending buf" + std::to_string(p);
    v_.linesSent += n;
    v_.recordsSinceSample += n;
    v_.linesInFlight += n;
    v_.lastActivityTime = now();
    packet.state = Packet::written;
    awaitPacket(p);
}

void FirmwareDownload::awaitPacket(int p) {
    if (p == 1 && v_.transferStep != 3) v_.transferStep = 2;
    if (p == 2 && v_.transferStep != 2) v_.transferStep = 3;
}

void FirmwareDownload::readReplies() {
    platform::SerialPort& port = ctx_.platform.serial;
    v_.awaitedPacketDone = false;
    v_.otherPacketDone = false;
    v_.errorReplySeen = false;
    bool firstPacketCounted = false;
    bool draining = v_.transferStep == 5;
    port.setInputLen(0);
    if (port.inBufferCount() == 0) return;
    const std::string chunk = port.input();
    if (chunk.empty()) return;
    pacing_.lineBytes += chunk.size();
    v_.lastActivityTime = now();
    v_.silentTimeouts = 0;
    for (char c : chunk) {
        const auto result = v_.matcher.feed(c);
        if (result != PromptMatcher::Result::None) onPrompt(result, draining, firstPacketCounted);
    }
}

// One prompt: it answers one line in flight. After an error prompt the prompts that follow only
// answer the lines still in flight, which are all written again.
void FirmwareDownload::onPrompt(PromptMatcher::Result result, bool& draining, bool& firstPacketCounted) {
    Label& label = ctx_.forms.form1.Label1;
    const bool error = result == PromptMatcher::Result::ErrorPrompt;
    if (v_.linesInFlight > 0) --v_.linesInFlight;
    if (v_.transferStep == 4) {
        // The answer to "*cls": the unfinished packets go out again.
        label.caption = error ? "got an error in response" : "got scpi > from *cls";
        v_.promptCount = 0;
        v_.linesInFlight = 0;
        v_.transferStep = 1;
        draining = true;  // anything after it answers nothing of ours
        return;
    }
    if (draining) return;
    if (error) {
        label.caption = "got an error in response";
        v_.errorReplySeen = true;
        v_.promptCount = 0;
        draining = true;
        return;
    }
    const int counted = firstPacketCounted ? v_.otherPacket : v_.awaitedPacket;
    const Packet& packet = v_.packets[static_cast<std::size_t>(counted - 1)];
    if (packet.state != Packet::written) return;  // answers nothing in flight
    v_.promptCount += 1;
    if (v_.promptCount != packet.records) return;
    v_.promptCount = 0;
    if (!firstPacketCounted) {
        v_.awaitedPacketDone = true;
        firstPacketCounted = true;
    } else {
        v_.otherPacketDone = true;
    }
}

// A line was rejected. The packets in flight go out again unchanged once the lines still on their
// way have been answered and "*cls" has cleared the receiver's error.
void FirmwareDownload::takeErrorPath() {
    for (Packet& packet : v_.packets)
        if (packet.state == Packet::written) packet.state = Packet::toResend;
    v_.transferStep = 5;
    sendClearWhenDrained();
}

void FirmwareDownload::drainTick() {
    readReplies();
    sendClearWhenDrained();
}

void FirmwareDownload::sendClearWhenDrained() {
    if (v_.linesInFlight > 0 && secondsSince(v_.lastActivityTime) <= kDrainSilenceSeconds) return;
    ctx_.platform.serial.setInBufferCount(0);
    v_.matcher.reset();
    v_.promptCount = 0;
    v_.linesInFlight = 1;
    if (!write("*cls\r\n")) return;
    v_.lastActivityTime = now();
    v_.transferStep = 4;
}

void FirmwareDownload::checkReplyTimeout() {
    if (secondsSince(v_.lastActivityTime) <= kReplyTimeoutSeconds) return;
    ctx_.forms.form1.Label1.caption = "timed out";
    if (++v_.silentTimeouts >= kTimeoutsBeforeGivingUp) {
        endAutomatically("The receiver stopped answering.");
        return;
    }
    for (Packet& packet : v_.packets)
        if (packet.state == Packet::written) packet.state = Packet::toResend;
    // What comes late belongs to lines written before; the count starts afresh.
    ctx_.platform.serial.setInBufferCount(0);
    v_.matcher.reset();
    v_.promptCount = 0;
    v_.linesInFlight = 0;
    v_.transferStep = 1;
}

void FirmwareDownload::sampleRate() {
    if (v_.recordsSinceSample <= kRecordsPerSample) return;
    const float current = now();
    v_.minutesPerRecord = secondsSince(v_.sampleTime) / (60.0 * static_cast<double>(v_.recordsSinceSample));
    v_.sampleTime = current;
    v_.recordsSinceSample = 0;
    if (v_.linesSent > kLinesBeforeEstimate)
        showText(ctx_.forms.frmDownload.Text4,
                 minutesText(static_cast<double>(totalRecords_ - v_.linesSent) * v_.minutesPerRecord));
}

void FirmwareDownload::showProgress() {
    FrmDownload& w = ctx_.forms.frmDownload;
    showText(w.Text1, v_.currentRecord);
    showText(w.Text2, std::to_string(v_.linesSent));
    showText(w.Text3, std::to_string(v_.linesRetried));
    w.prgRecords.value = v_.linesSent;
}

void FirmwareDownload::complete() {
    LinkState& s = ctx_.state;
    FrmDownload& w = ctx_.forms.frmDownload;
    FrmShowLog& console = ctx_.forms.frmShowLog;
    s.downloadPrep = false;
    showText(w.Text4, "DONE");
    showProgress();
    beepThreeTimes();
    showIdleButtons();
    console.cmbSendSCPI.text = kNormalOperationCommand;
    console.cmbSendSCPI.caretPosition = console.cmbSendSCPI.text.size();
    console.lblSend.caption = kNormalOperationHint;
    w.Timer1.enabled = false;
    ctx_.forms.form1.Timer1.enabled = true;
    v_.lineMayBeBusy = false;
    v_.flashMayBeErased = false;
    w.lblOutcome.caption = "The download has completed: " + std::to_string(totalRecords_) +
                           " records sent. The command that returns the receiver to normal operation is waiting "
                           "in Control & Query.";
    ctx_.platform.dialogs.msgBox(kCompletedText, "Download has Completed", platform::MsgIcon::Exclamation,
                                 platform::MsgButtons::Ok);
}

void FirmwareDownload::keepRunningButtons() {
    if (ctx_.state.downloadPrep && !ctx_.forms.frmDownload.cmdStopDownload.visible) showRunningButtons();
}

bool FirmwareDownload::write(const std::string& bytes) {
    try {
        ctx_.platform.serial.output(bytes);
        pacing_.lineBytes += bytes.size();
        return true;
    } catch (const platform::SerialError& error) {
        endAutomatically(std::string("Writing to the port failed: ") + error.what() + ".");
        return false;
    }
}

void FirmwareDownload::beepThreeTimes() {
    for (int i = 0; i < 3; ++i) ctx_.platform.beeper.beep();
}

}  // namespace kestrix
