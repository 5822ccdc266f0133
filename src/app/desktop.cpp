#include "app/desktop.h"

#include <QCoreApplication>

#include "config/ports.h"

namespace kestrix::app {

namespace {

// The device or network port behind COM1 to COM4, looked up in the settings file each time the port opens.
std::function<std::string(int)> devicePaths(platform::Profile& profile) {
    return [&profile](int port) -> std::string {
        const auto paths = config::comPortPaths(profile);
        if (port < 1 || port > static_cast<int>(paths.size())) return {};
        return paths[static_cast<std::size_t>(port - 1)];
    };
}

}  // namespace

Desktop::Desktop()
    : profile_(platform::defaultProfilePath()),
      serial_(devicePaths(profile_)),
      dialogs_(printer_),
      platform_{serial_, clock_,  profile_, dialogs_,     measurer_, clipboard_,
                help_,   beeper_, printer_, programFile_, files_,    notifier_},
      program_(platform_),
      renderer_(program_.forms.all()),
      lineWatch_(serial_),
      trendPanel_(std::make_unique<TrendPanel>(program_.trend(), program_.forms.frmTrend,
                                               renderer_.viewOf(program_.forms.frmTrend)->canvas(), renderer_,
                                               renderer_.twips())) {
    // While the program waits (for queued output to leave), the line and the windows go on.
    program_.processEvents = [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); };
    dialogs_.setModalHost(&renderer_);
    // The line wakes the program only when it has something for it: input the ticks want, room
    // for queued output, a hang-up, a line event.
    lineWatch_.inputWanted = [this] { return renderer_.inputWanted(); };
    lineWatch_.wakeTicks = [this] { renderer_.wakeTimers(); };
    serial_.onComm = [this, onComm = serial_.onComm] {
        if (onComm) renderer_.forward(onComm);
    };
    renderer_.afterEvent = [this] {
        lineWatch_.follow();
        trendPanel_->refresh();
        if (program_.quitRequested()) QCoreApplication::quit();
    };
}

Desktop::~Desktop() { dialogs_.setModalHost(nullptr); }

bool Desktop::start() {
    renderer_.render();  // start-up sizes the windows by their frames, which the first render reports
    renderer_.forward([this] { program_.start(); });
    return !program_.quitRequested();
}

}  // namespace kestrix::app
