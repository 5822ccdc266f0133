#include "link/session_recorder.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

#include "platform/platform.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr const char* kTitle = "Record Session";
constexpr const char* kRecordFilter = "Session Records (*.txt)|*.txt|All Files (*.*)|*.*";

// "kestrix-session-20261208-094246.txt", from the UTC time.
std::string suggestedName(double utcSeconds) {
    const auto whole = static_cast<std::time_t>(std::floor(utcSeconds));
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char name[48];
    std::strftime(name, sizeof name, "kestrix-session-%Y%m%d-%H%M%S.txt", &utc);
    return name;
}

// "2026-12-08T09:42:46.123Z", as the record's lines give it.
std::string utcStamp(double utcSeconds) { return recordLine({utcSeconds, TrafficDirection::Sent, {}}).substr(0, 24); }

}  // namespace

SessionRecorder::SessionRecorder(Context& ctx, platform::RecordingSerialPort& port) : ctx_(ctx), port_(port) {}

SessionRecorder::~SessionRecorder() { stop(); }

void SessionRecorder::wire() {
    Form1& form = ctx_.forms.form1;
    form.MFileRecord.onClick = [this] {
        if (recording()) stop();
        else chooseAndStart();
    };
    form.recordNoticeTimer.onTick = [this] { showFailure(); };
}

void SessionRecorder::chooseAndStart() {
    const auto path =
        ctx_.platform.dialogs.saveFile(kTitle, kRecordFilter, suggestedName(ctx_.platform.clock.utcSeconds()));
    if (path) start(*path);
}

bool SessionRecorder::start(const std::string& path) {
    stop();
    try {
        file_ = ctx_.platform.files.create(path);
        const platform::SerialPort& serial = port_;
        writeText(std::string(kSessionRecordHeading) + "# started " + utcStamp(ctx_.platform.clock.utcSeconds()) +
                  " on COM" + std::to_string(serial.commPort()) + " at " + serial.settings() + "\n");
    } catch (const platform::FileError& error) {
        file_.reset();
        ctx_.platform.dialogs.msgBox(std::string("The session record cannot be written: ") + error.what(), kTitle,
                                     platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
        return false;
    }
    if (!file_) return false;  // the heading failed; the user is told at the next tick
    port_.tap = this;
    ctx_.forms.form1.MFileRecord.checked = true;
    return true;
}

void SessionRecorder::stop() {
    if (!file_) return;
    writeText("# stopped " + utcStamp(ctx_.platform.clock.utcSeconds()) + "\n");
    port_.tap = nullptr;
    file_.reset();
    ctx_.forms.form1.MFileRecord.checked = false;
}

void SessionRecorder::write(TrafficDirection direction, const std::string& bytes) {
    writeText(recordLine({ctx_.platform.clock.utcSeconds(), direction, bytes}));
}

// A failed write ends the recording, never the exchange that is under way: the user hears of it
// once that tick is over.
void SessionRecorder::writeText(const std::string& text) {
    if (!file_) return;
    try {
        file_->write(text);
    } catch (const platform::FileError& error) {
        port_.tap = nullptr;
        file_.reset();
        Form1& form = ctx_.forms.form1;
        form.MFileRecord.checked = false;
        failure_ = std::string("Recording stopped: the session record cannot be written: ") + error.what();
        form.recordNoticeTimer.enabled = true;
    }
}

void SessionRecorder::showFailure() {
    ctx_.forms.form1.recordNoticeTimer.enabled = false;
    if (failure_.empty()) return;
    const std::string text = std::exchange(failure_, {});
    ctx_.platform.dialogs.msgBox(text, kTitle, platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

}  // namespace kestrix
