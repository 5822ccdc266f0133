// The fault soak: the whole program on the real serial port against the simulator, polling the
// status screen, while the receiver misbehaves in one way at a time (silence, error storms, split
// output, garbage, hanging up, a mismatched speed) in bursts with clean spells between them.
// KESTRIX_SOAK_SECONDS (default 30) bounds each fault's run. Throughout: the link always comes
// back after a burst, the program's memory stays flat, and at the end no exchange is left
// outstanding and the settings file keeps what it held.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "link/link_engine.h"
#include "platform/fake_platform.h"
#include "platform/posix_serial_port.h"
#include "program/kestrix.h"
#include "receiver-sim/pty_receiver.h"

namespace kestrix {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSettings =
    "; the user's own notes\r\n[Ports]\r\nCom1=/dev/ttyUSB0\r\n[Communications]\r\nPort=1\r\nBaud=9600\r\n"
    "Parity=0\r\nDataBits=8\r\nStopBits=1\r\nPacing=0\r\n";

std::chrono::seconds soakTime() {
    const char* text = std::getenv("KESTRIX_SOAK_SECONDS");
    const int seconds = text ? std::atoi(text) : 30;
    return std::chrono::seconds(seconds > 0 ? seconds : 30);
}

// Resident memory in KiB.
long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4;
}

// The whole program on the real serial port against the simulator, as in the integration tests,
// with a receiver that can be replaced by a new one (on a new line) after it hung up.
struct SoakProgram {
    std::unique_ptr<sim::PtyReceiver> receiver = std::make_unique<sim::PtyReceiver>();
    platform::PosixSerialPort port{[this](int) { return receiver->devicePath(); }};
    platform::FakeServices fakes;
    platform::FakeClock& clock = fakes.clock;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix app{platform};
    Form1& form1 = app.forms.form1;

    SoakProgram() {
        clock.seconds = 12 * 3600;
        fakes.profile.text = kSettings;
        receiver->start();
    }
    ~SoakProgram() {
        if (port.portOpen()) port.setPortOpen(false);
    }
    std::string label() const { return form1.Label1.caption; }
    bool connected() const { return app.forms.frmShowLog.caption.starts_with("Control & Query (connected to "); }

    // The receiver is switched off and on: a new one on a new line, with the same options.
    void replaceReceiver(const sim::SimOptions& options) {
        receiver = std::make_unique<sim::PtyReceiver>(options);
        receiver->start();
    }
};

struct Soak {
    SoakProgram program;
    std::chrono::steady_clock::time_point lastSecond = std::chrono::steady_clock::now();

    // One turn of the event loop; the link's clock runs ten times faster than real time, so its
    // time-outs come often.
    void step() {
        program.port.service();
        program.form1.Timer1.fire();
        std::this_thread::sleep_for(1ms);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastSecond > 100ms) {
            program.clock.advance(1);
            lastSecond = now;
        }
    }
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            step();
        }
        return true;
    }
    void runFor(std::chrono::milliseconds time) {
        runUntil([] { return false; }, time);
    }
    // The status screen has arrived afresh.
    bool statusArrives(std::chrono::milliseconds limit = 30s) {
        runUntil([&] { return program.label() != "received status"; }, limit);
        return runUntil([&] { return program.label() == "received status"; }, limit);
    }
};

void soak(const std::function<void(sim::SimOptions&)>& fault,
          const std::function<void(Soak&, const sim::SimOptions&)>& afterBurst = {}) {
    Soak s;
    SoakProgram& p = s.program;
    p.form1.MOpen.onClick();
    ASSERT_TRUE(p.port.portOpen());
    ASSERT_TRUE(s.runUntil([&] { return p.connected(); }, 30s)) << p.label();
    ASSERT_TRUE(s.statusArrives()) << p.label();

    const sim::SimOptions clean = p.receiver->options();
    const auto end = std::chrono::steady_clock::now() + soakTime();
    long firstRss = 0;
    int bursts = 0;
    while (std::chrono::steady_clock::now() < end) {
        sim::SimOptions faulty = clean;
        fault(faulty);
        p.receiver->setOptions(faulty);
        s.runFor(3s);
        p.receiver->setOptions(clean);
        if (afterBurst) afterBurst(s, clean);
        // After many errors in a row the program stops the polls and says so; the user starts
        // them again.
        p.form1.disableUpdates.checked = false;
        ASSERT_TRUE(s.statusArrives()) << "the link did not come back after burst " << bursts << ": " << p.label();
        if (++bursts == 2) firstRss = residentKiB();
    }
    // Memory: what the program holds after two bursts is what it holds at the end, within
    // allocator noise.
    if (firstRss > 0) {
        EXPECT_LT(residentKiB() - firstRss, 4096) << "after " << bursts << " bursts";
    }

    // No exchange outstanding: the polls stop, and a command gets its reply.
    p.form1.disableUpdates.checked = true;
    FrmShowLog& window = p.app.forms.frmShowLog;
    ASSERT_TRUE(s.runUntil([&] { return window.cmdSendSCPI.enabled; }, 30s)) << "\"Send Cmd\" stays disabled";
    window.txtShowLog.setText({});
    window.cmbSendSCPI.text = "*opc?";
    window.cmdSendSCPI.onClick();
    ASSERT_TRUE(s.runUntil([&] { return window.cmdSendSCPI.enabled; }, 30s)) << window.txtShowLog.text();
    EXPECT_NE(window.txtShowLog.text().find("reply: 1"), std::string::npos) << window.txtShowLog.text();

    // The settings file: saved at exit, the user's lines are still there and the values the same.
    p.app.exitNow();
    const std::string saved = p.fakes.profile.text;
    EXPECT_EQ(saved.rfind("; the user's own notes\r\n[Ports]\r\nCom1=/dev/ttyUSB0\r\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("Baud=9600"), std::string::npos) << saved;
}

TEST(FaultSoak, Silence) {
    soak([](sim::SimOptions& o) { o.silent = true; });
}

TEST(FaultSoak, ErrorStorms) {
    soak([](sim::SimOptions& o) { o.errorFraction = 0.5; });
}

TEST(FaultSoak, SplitOutput) {
    soak([](sim::SimOptions& o) {
        o.chunkSize = 3;
        o.chunkPause = 2ms;
    });
}

TEST(FaultSoak, Garbage) {
    soak([](sim::SimOptions& o) { o.garbageBeforeReply = 40; });
}

TEST(FaultSoak, MismatchedSpeed) {
    soak([](sim::SimOptions& o) { o.line.baud = 19200; });
}

// The receiver hangs up; the user closes the port (or, while the program waits to reopen it,
// ends the wait), the receiver is switched off and on (a new line), and the user opens the port
// again.
TEST(FaultSoak, HangUp) {
    int hangUps = 0;
    soak([](sim::SimOptions& o) { o.hangUpOnLine = 3; },
         [&hangUps](Soak& s, const sim::SimOptions& clean) {
             SoakProgram& p = s.program;
             if (!p.receiver->hungUp()) return;
             ++hangUps;
             if (p.port.portOpen() || p.app.link().waitingToReopen()) p.form1.MOpen.onClick();
             ASSERT_FALSE(p.port.portOpen());
             ASSERT_FALSE(p.app.link().waitingToReopen());
             p.replaceReceiver(clean);
             p.form1.MOpen.onClick();
             ASSERT_TRUE(p.port.portOpen()) << p.label();
         });
    EXPECT_GT(hangUps, 0);
}

}  // namespace
}  // namespace kestrix
