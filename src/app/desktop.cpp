#include "app/desktop.h"

#include <QCoreApplication>

#include "config/comm_settings_dialog.h"

namespace kestrix::app {

Desktop::Desktop()
    : profile_(platform::defaultProfilePath()),
      // The device behind COM1 to COM4, as chosen in Communication Settings or, until then, as
      // the settings file names it each time the port opens.
      serial_([this](int port) { return program_.commSettings().devicePath(port); }),
      dialogs_(printer_),
      platform_{serial_, clock_,   profile_,     dialogs_, measurer_, clipboard_,    help_,
                beeper_, printer_, programFile_, files_,   notifier_, serialDevices_},
      program_(platform_),
      renderer_(program_.forms.all()),
      lineWatch_(serial_),
      trendPanel_(std::make_unique<TrendPanel>(
          program_.forms.frmTrend, renderer_.viewOf(program_.forms.frmTrend)->canvas(), renderer_, renderer_.twips())) {
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
