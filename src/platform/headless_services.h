#pragma once

// The platform services of a program without a display: nothing is measured, copied, printed,
// shown or sounded. A message the core would show in a box goes to the program's log instead and
// is answered as its first button.

#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/memory_profile.h"
#include "platform/serial_devices.h"
#include "platform/services.h"

namespace kestrix::platform {

class LoggedDialogs final : public Dialogs {
public:
    std::function<void(const std::string& text)> log;
    MsgResult msgBox(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) override {
        if (log) log(text);
        switch (buttons) {
            case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
            case MsgButtons::YesNoCancel:
            case MsgButtons::YesNo: return MsgResult::Yes;
            case MsgButtons::RetryCancel: return MsgResult::Retry;
            default: return MsgResult::Ok;
        }
    }
    void showModal(Window&) override {}
    std::optional<std::string> openFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<FontSpec> chooseFont(const FontSpec&) override { return std::nullopt; }
    std::optional<int> choosePrintCopies() override { return std::nullopt; }
};

class NoMeasurer final : public TextMeasurer {
public:
    int textWidth(const std::string&, const FontSpec&) override { return 0; }
    int textHeight(const std::string&, const FontSpec&) override { return 0; }
};

class NoClipboard final : public Clipboard {
public:
    void setText(const std::string&) override {}
    std::string text() override { return {}; }
};

class NoHelpViewer final : public HelpViewer {
public:
    std::string showKeyword(const std::string&, const std::string&) override { return "no display"; }
};

class NoBeeper final : public Beeper {
public:
    void beep() override {}
};

class NoPrinter final : public Printer {
public:
    void setFont(const FontSpec&) override {}
    int textHeight(const std::string&) override { return 0; }
    int scaleHeight() override { return 0; }
    void print(const std::string&) override {}
    void newPage() override {}
    void endDoc() override {}
    void abortDoc() override {}
};

class NoNotifier final : public DesktopNotifier {
public:
    void notify(const std::string&, const std::string&) override {}
};

// A service watches the ports its configuration names; it offers no choice of device.
class NoSerialDevices final : public SerialDevices {
public:
    std::vector<SerialDeviceEntry> scan() override { return {}; }
};

class NoProgramFile final : public ProgramFile {
public:
    std::optional<std::string> lastModified() override { return std::nullopt; }
};

// One set serves every receiver of the program.
struct HeadlessServices {
    SystemClock systemClock;
    Clock* clock = &systemClock;  // a test puts its own
    MemoryProfile profile;
    LoggedDialogs dialogs;
    NoMeasurer measurer;
    NoClipboard clipboard;
    NoHelpViewer help;
    NoBeeper beeper;
    NoPrinter printer;
    NoProgramFile programFile;
    PosixFiles files;
    NoNotifier notifier;
    NoSerialDevices serialDevices;
};

}  // namespace kestrix::platform
