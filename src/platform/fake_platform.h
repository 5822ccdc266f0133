#pragma once

// The test doubles of every platform service but the serial port, and the platform they make
// with a serial port of the test's choice (the fake one, or the real one on a pseudo-terminal).

#include "platform/fake_files.h"
#include "platform/fake_services.h"
#include "platform/memory_profile.h"
#include "platform/platform.h"

namespace kestrix::platform {

struct FakeServices {
    FakeClock clock;
    MemoryProfile profile;
    FakeDialogs dialogs;
    FakeMeasurer measurer;
    FakeClipboard clipboard;
    FakeHelpViewer help;
    FakeBeeper beeper;
    FakePrinter printer;
    FakeProgramFile programFile;
    FakeFiles files;
    FakeNotifier notifier;

    // A platform on these services; `textMeasurer` replaces the fake measurer when given.
    Platform platformWith(SerialPort& serial, TextMeasurer* textMeasurer = nullptr) {
        return {serial,    clock,   profile, dialogs, textMeasurer ? *textMeasurer : measurer,
                clipboard, help,    beeper,  printer, programFile,
                files,     notifier};
    }
};

}  // namespace kestrix::platform
