#pragma once

#include <memory>

#include "app/caret_rest.h"
#include "app/line_watch.h"
#include "app/renderer.h"
#include "app/trend_panel.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini_profile.h"
#include "platform/qt/dbus_notifier.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_program_file.h"
#include "platform/qt/qt_text_measurer.h"
#include "platform/slot_serial_port.h"
#include "program/kestrix.h"

namespace kestrix::app {

// The program on the desktop: the core wired to the real serial port, the user's settings file,
// the Qt services and the renderer, with the line watched rather than polled. main() starts it;
// the measuring bench drives the same assembly.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Shows the windows and runs the program's start-up; false when the program already ended.
    bool start();

    Kestrix& program() { return program_; }
    Renderer& renderer() { return renderer_; }
    LineWatch& lineWatch() { return lineWatch_; }
    platform::SlotSerialPort& serial() { return serial_; }

private:
    platform::IniFileProfile profile_;
    platform::SlotSerialPort serial_;
    platform::SystemClock clock_;
    platform::qt::QtPrinter printer_;
    platform::qt::QtDialogs dialogs_;
    platform::qt::QtTextMeasurer measurer_;
    platform::qt::QtClipboard clipboard_;
    platform::qt::QtHelpViewer help_;
    platform::qt::QtBeeper beeper_;
    platform::qt::QtProgramFile programFile_;
    platform::PosixFiles files_;
    platform::qt::DBusNotifier notifier_;
    platform::Platform platform_;
    Kestrix program_;
    Renderer renderer_;
    LineWatch lineWatch_;
    std::unique_ptr<TrendPanel> trendPanel_;
    CaretRest caretRest_;
};

}  // namespace kestrix::app
