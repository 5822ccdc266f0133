#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/serial_port.h"
#include "platform/services.h"

namespace kestrix::platform {

// The outside world as the core sees it; every member outlives the core.
struct Platform {
    SerialPort& serial;
    Clock& clock;
    Profile& profile;
    Dialogs& dialogs;
    TextMeasurer& measurer;
    Clipboard& clipboard;
    HelpViewer& help;
    Beeper& beeper;
    Printer& printer;
    ProgramFile& programFile;
    Files& files;
    DesktopNotifier& notifier;
};

}  // namespace kestrix::platform
