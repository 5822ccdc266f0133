// Ending the program: File, Exit, and the main window's close request.

#include "config/comm_settings_dialog.h"
#include "config/settings.h"
#include "program/kestrix.h"
#include "shared/numbers.h"

namespace kestrix {

namespace {
constexpr double kDrainWait = 10;  // seconds of waiting for queued output before asking
}

// Saves the settings; a file that could not be written is reported once, with the system's
// reason, and the program still ends.
void Kestrix::saveSettingsAtExit() {
    auto failure = config::saveSettings(context);
    const auto portsFailure = commSettings_->saveChosenPaths();
    if (!failure) failure = portsFailure;
    if (failure && !saveFailureReported_) {
        saveFailureReported_ = true;
        platform_.dialogs.msgBox("The settings could not be saved.\n" + *failure, forms.form1.caption,
                                 platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
    }
}

void Kestrix::exitNow() {
    saveSettingsAtExit();
    quitRequested_ = true;
}

void Kestrix::requestClose(bool& cancel) {
    cancel = false;
    saveSettingsAtExit();
    platform::SerialPort& port = platform_.serial;
    if (port.portOpen()) {
        if (!drainOutput()) {
            cancel = true;
            return;
        }
        try {
            port.setPortOpen(false);
        } catch (const platform::SerialError&) {}
    }
    quitRequested_ = true;
}

// Waits for queued output to leave, asking every ten seconds; false when the user aborts.
bool Kestrix::drainOutput() {
    platform::SerialPort& port = platform_.serial;
    const platform::Clock& clock = platform_.clock;
    double waitStart = clock.secondsSinceMidnight();
    while (port.portOpen() && port.outBufferCount() != 0) {
        if (processEvents) processEvents();
        if (elapsedSince(waitStart, clock.secondsSinceMidnight()) <= kDrainWait) continue;
        const auto answer =
            platform_.dialogs.msgBox("Data cannot be sent", forms.form1.caption, platform::MsgIcon::Question,
                                     platform::MsgButtons::AbortRetryIgnore);
        if (answer == platform::MsgResult::Abort) return false;
        if (answer == platform::MsgResult::Ignore) break;
        waitStart = clock.secondsSinceMidnight();
    }
    return true;
}

}  // namespace kestrix
