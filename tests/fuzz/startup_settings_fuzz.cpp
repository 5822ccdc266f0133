// Start-up on any "Receiver.INI".
//
// Invariants beyond "no crash":
//   - every value start-up applies is usable: a port 1 to 4, settings the port accepts, a flow
//     control it knows, fonts with a face and a size in range, one view checked;
//   - the settings saved at exit, read by the next start, give back the same port, fonts and
//     view, and saving again writes the same file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/settings.h"
#include "fuzz_support.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"

namespace {

using namespace kestrix;

using kestrix::fuzz::fail;
using kestrix::fuzz::require;

// What start-up applied, as the program shows and uses it.
struct Applied {
    int commPort = 0;
    std::string settings;
    int handshaking = 0;
    FontSpec status, clock, terminal;
    int views = 0;
    std::string view;

    friend bool operator==(const Applied&, const Applied&) = default;
};

void checkFont(const FontSpec& font) {
    require(!font.name.empty(), "a font without a face");
    require(std::isfinite(font.size) && font.size >= config::kSmallestFontSize && font.size <= config::kLargestFontSize,
            "a font size out of range");
}

struct Run {
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix app{platform};

    explicit Run(const std::string& text) {
        fakes.profile.text = text;
        app.start();
    }

    Applied applied() {
        Applied a;
        a.commPort = port.commPort();
        a.settings = port.settings();
        a.handshaking = port.handshaking();
        a.status = app.forms.form1.Term.font;
        a.clock = app.forms.frmClock.lblClock.font;
        a.terminal = app.forms.frmTerminal.txtTerminal.font;
        Form1& f = app.forms.form1;
        for (MenuItem* view : {&f.funcStatus, &f.funcClock, &f.funcTermEmul, &f.FuncCustUpdate})
            if (view->checked) {
                ++a.views;
                a.view = view->name;
            }
        require(a.commPort >= 1 && a.commPort <= 4, "a port outside 1 to 4");
        require(platform::isSupportedBaud(platform::parseSerialSettings(a.settings).baud), "a speed the port refuses");
        require(a.handshaking >= 0 && a.handshaking <= 3, "an unknown flow control");
        checkFont(a.status);
        checkFont(a.clock);
        checkFont(a.terminal);
        require(a.views == 1, "not exactly one view checked");
        return a;
    }

    std::string saved() {
        app.exitNow();
        require(fakes.dialogs.messages.empty(), "saving the settings failed");
        return fakes.profile.text;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string savedText;
    Applied first;
    {
        Run run(text);
        first = run.applied();
        savedText = run.saved();
    }
    Run again(savedText);
    require(again.applied() == first, "a saved setting does not come back at the next start");
    require(again.saved() == savedText, "saving the same settings again changed the file");
    return 0;
}
