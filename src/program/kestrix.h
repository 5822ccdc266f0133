#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"
#include "platform/recording_serial_port.h"
#include "program/forms.h"
#include "shared/startup_values.h"
#include "state/context.h"

namespace kestrix {

class LinkEngine;
class FirmwareDownload;
class TrendWindow;
class CommSettingsDialog;
class ShownDataAge;
class SessionRecorder;

// The whole program without its widgets: every window as state, the shared link state and the
// parts that work on them, wired to the platform. The Qt layer renders `forms` and forwards the
// user's actions to the handlers wired here.
class Kestrix {
    // The given platform, its serial port seen through the session recorder's tap.
    platform::RecordingSerialPort recordedPort_;
    platform::Platform platform_;

public:
    explicit Kestrix(platform::Platform& platform);
    ~Kestrix();

    // The main window's load: start-up, leaving the port closed.
    void start();
    // The main window's close request: saves the settings, lets queued output drain and closes
    // the port; `cancel` keeps the program running (the user aborted the drain).
    void requestClose(bool& cancel);
    // File, Exit: saves the settings and ends at once.
    void exitNow();
    // Set when the program must end (File, Exit, or a completed close).
    bool quitRequested() const { return quitRequested_; }

    Forms forms;
    LinkState state;
    StartupValues startup;
    Context context{forms, state, platform_};
    // Lets pending user-interface events run while the program waits for queued output.
    std::function<void()> processEvents;

    LinkEngine& link() { return *link_; }
    CommSettingsDialog& commSettings() { return *commSettings_; }
    FirmwareDownload& download() { return *download_; }
    TrendWindow& trend() { return *trend_; }
    ShownDataAge& shownAge() { return *shownAge_; }
    SessionRecorder& recorder() { return *recorder_; }

private:
    std::unique_ptr<LinkEngine> link_;
    std::unique_ptr<CommSettingsDialog> commSettings_;
    std::unique_ptr<FirmwareDownload> download_;
    std::unique_ptr<TrendWindow> trend_;
    std::unique_ptr<ShownDataAge> shownAge_;
    std::unique_ptr<SessionRecorder> recorder_;
    void wireMenus();
    void saveSettingsAtExit();
    bool drainOutput();

    bool quitRequested_ = false;
    bool saveFailureReported_ = false;
};

}  // namespace kestrix
