#pragma once

// The whole program on the real serial port (the device port, or a network port in front of it), wired to the receiver
// simulator on a pseudo-terminal. The link engine's clock is a test clock: exchanges never time out on their own, and a
// test lets seconds pass when it wants a time-out, so no test waits for real ones.

#include <chrono>
#include <string>
#include <thread>

#include "platform/fake_platform.h"
#include "platform/slot_serial_port.h"
#include "program/kestrix.h"
#include "receiver-sim/pty_receiver.h"

namespace kestrix::testing {

struct SimProgram {
    sim::PtyReceiver receiver;
    // What COM1 names: the simulator's pseudo-terminal, unless a test puts a network port there.
    std::string slot;
    platform::SlotSerialPort port{[this](int) { return slot.empty() ? receiver.devicePath() : slot; }};
    platform::FakeServices fakes;
    platform::FakeClock& clock = fakes.clock;
    platform::FakeDialogs& dialogs = fakes.dialogs;
    platform::Platform platform;
    Kestrix app{platform};
    Form1& form1 = app.forms.form1;
    LinkState& state() { return app.state; }

    // `files` in place of the fake files, for records that must be on the disk.
    explicit SimProgram(platform::Files* files = nullptr)
        : platform(files ? withFiles(fakes.platformWith(port), *files) : fakes.platformWith(port)) {
        clock.seconds = 12 * 3600;
        receiver.start();
    }
    ~SimProgram() {
        if (port.portOpen()) port.setPortOpen(false);
    }

    static platform::Platform withFiles(const platform::Platform& p, platform::Files& files) {
        return {p.serial, p.clock,   p.profile,     p.dialogs, p.measurer, p.clipboard,    p.help,
                p.beeper, p.printer, p.programFile, files,     p.notifier, p.serialDevices};
    }

    std::string label() const { return form1.Label1.caption; }

    // One turn of the event loop: the port moves its bytes, then the main timer ticks, and the
    // reopen timer when it asked for its tick by now.
    void step() {
        port.service();
        form1.Timer1.fire();
        if (form1.reopenTimer.enabled) {
            const auto due = form1.reopenTimer.demand().dueInMs;
            if (due && *due <= 0) form1.reopenTimer.fire();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    template <typename Condition>
    bool runUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            step();
        }
        return true;
    }

    bool connected() const { return app.forms.frmShowLog.caption.starts_with("Control & Query (connected to "); }

    // Runs until the receiver has been identified. While the link probes or waits for quiet,
    // seconds pass on the link's clock a little faster than real ones, as they would for a user.
    bool bringLinkUp() {
        auto lastSecond = std::chrono::steady_clock::now();
        return runUntil(
            [&] {
                const std::string status = label();
                const bool probing = status == "Trying to establish communication..." ||
                                     status == "Communication established, please wait...";
                const auto now = std::chrono::steady_clock::now();
                if (probing && now - lastSecond > std::chrono::milliseconds(25)) {
                    clock.advance(1);
                    lastSecond = now;
                }
                return connected();
            },
            std::chrono::seconds(10));
    }

    // Opens the port with the view polls stopped, so that every exchange is Control & Query's.
    bool connect() {
        form1.disableUpdates.checked = true;
        form1.MOpen.onClick();
        return port.portOpen() && bringLinkUp();
    }
};

}  // namespace kestrix::testing
