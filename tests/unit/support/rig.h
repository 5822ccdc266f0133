#pragma once

// A whole program on test doubles: the windows as state, the link state, the fake serial port,
// the fake clock, scripted dialogs and the small services.

#include <memory>

#include "link/link_engine.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"

namespace kestrix::testing {

struct Rig {
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    platform::FakeClock& clock = fakes.clock;
    platform::MemoryProfile& profile = fakes.profile;
    platform::FakeDialogs& dialogs = fakes.dialogs;
    platform::FakeMeasurer& measurer = fakes.measurer;
    platform::FakeClipboard& clipboard = fakes.clipboard;
    platform::FakeHelpViewer& help = fakes.help;
    platform::FakeBeeper& beeper = fakes.beeper;
    std::unique_ptr<Kestrix> app = std::make_unique<Kestrix>(platform);

    Forms& forms = app->forms;
    LinkState& state = app->state;
    LinkEngine& link = app->link();
    LinkVariables& vars = link.vars();
    Form1& form1 = forms.form1;

    Rig() { clock.seconds = 12 * 3600; }

    void tick() { form1.Timer1.fire(); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) tick();
    }
    std::string label() const { return form1.Label1.caption; }
    void openPort() { form1.MOpen.onClick(); }

    // Opens the port and brings the link up as a receiver without echo identified as `model`:
    // probe answered, quiet wait over, echo check and identification done.
    void connect(const std::string& model = "73408K") {
        connectAnswering("0\r\nscpi > ", "Morvandelle," + model + ",MDL-26-00417,R7.c\r\nscpi > ");
    }

    // Opens the port and brings the link up, the receiver answering the echo check and the
    // identification with the replies given.
    void connectAnswering(const std::string& echoReply, const std::string& identityReply) {
        openPort();
        tick();  // first probe
        port.receive("scpi > ");
        tick();  // probe answered
        tick();  // quiet wait begins
        clock.advance(5);
        tick();  // quiet wait over: the connection sequence is due
        tick();  // echo check sent
        port.receive(echoReply);
        tick();
        tick();  // identification sent
        port.receive(identityReply);
        tick();
        port.takeWritten();
    }

    // Types a command into Control & Query's command line and clicks Send.
    void sendCommand(const std::string& command) {
        forms.frmShowLog.cmbSendSCPI.text = command;
        forms.frmShowLog.cmdSendSCPI.onClick();
    }
    std::string log() const { return forms.frmShowLog.txtShowLog.text(); }
};

}  // namespace kestrix::testing
