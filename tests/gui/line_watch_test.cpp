// The program with its serial line watched rather than polled: what the receiver sends wakes the
// ticks, and a link that waits for a reply, or has nothing to do, runs none meanwhile.

#include "app/line_watch.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "../integration/support/sim_program.h"
#include "download/firmware_download.h"
#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

using namespace std::chrono_literals;

// The program as the desktop assembles it, on the simulator's line.
struct WatchedProgram : private WithApplication {
    WatchedProgram() {
        program.app.start();
        watch.inputWanted = [this] { return renderer.inputWanted(); };
        watch.wakeTicks = [this] { renderer.wakeTimers(); };
        program.port.onComm = [this, onComm = program.port.onComm] {
            if (onComm) renderer.forward(onComm);
        };
        renderer.afterEvent = [this] { watch.follow(); };
        renderer.render();
    }

    void serveFor(std::chrono::milliseconds time) {
        serveEventsUntil([] { return false; }, time);
    }

    // Opens the port and lets the link's clock run while it probes, until the receiver is known.
    bool connect() {
        renderer.forward([&] { form1.MOpen.onClick(); });
        return serveEventsUntil(
            [&] {
                if (!program.connected()) {
                    program.clock.advance(0.05);
                    renderer.wakeTimers();
                }
                return program.connected();
            },
            std::chrono::seconds{10});
    }

    // Connects, lets the receiver's characters flow at the line's rate and chooses the clock view,
    // until it has polled a few times; clockPolls counts the polls the receiver took in.
    bool pollTheClockAtLineSpeed() {
        program.receiver.setTrace([this](char direction, std::string_view bytes) {
            if (direction == '<' && bytes.find("ptim:str?") != std::string_view::npos) ++clockPolls;
        });
        if (!connect()) return false;
        sim::SimOptions options = program.receiver.options();
        options.emulateLineSpeed = true;
        program.receiver.setOptions(options);
        renderer.forward([&] { form1.funcClock.onClick(); });
        return serveEventsUntil([&] { return clockPolls > 5; }, std::chrono::seconds{10});
    }

    std::atomic<int> clockPolls{0};  // before the program, whose receiver counts into it to its end
    testing::SimProgram program;
    app::Renderer renderer{program.app.forms.all()};
    app::LineWatch watch{program.port};
    Form1& form1 = program.form1;
};

TEST(LineWatch, NoTicksRunWhileThePortIsClosed) {
    WatchedProgram p;
    p.serveFor(50ms);
    const auto ticks = p.form1.Timer1.ticksRun();
    p.serveFor(300ms);
    EXPECT_EQ(p.form1.Timer1.ticksRun(), ticks);
}

TEST(LineWatch, TheReceiversRepliesWakeTheTicksAndASilentOneLetsThemRest) {
    WatchedProgram p;
    p.renderer.viewOf(p.form1)->menus().actionOf(p.form1.MOpen)->trigger();
    ASSERT_TRUE(p.program.port.portOpen()) << p.form1.Label1.caption;

    // The link's clock is the test's: while the link probes, let its seconds pass (and wake the
    // ticks, whose due times were worked out on that clock).
    auto* screen = widgetOf<QPlainTextEdit>(p.renderer, p.form1, p.form1.Term);
    auto lastSecond = std::chrono::steady_clock::now();
    const bool shown = serveEventsUntil(
        [&] {
            if (std::chrono::steady_clock::now() - lastSecond > 25ms) {
                if (!p.program.connected()) {
                    p.program.clock.advance(1);
                    p.renderer.wakeTimers();
                }
                lastSecond = std::chrono::steady_clock::now();
            }
            return screen->toPlainText().contains("Receiver Status");
        },
        10s);
    ASSERT_TRUE(shown) << p.form1.Label1.caption;

    sim::SimOptions options = p.program.receiver.options();
    options.silent = true;
    p.program.receiver.setOptions(options);
    ASSERT_TRUE(serveEventsUntil([&] { return p.form1.Label1.caption == "requesting status"; }, 3s));
    p.serveFor(100ms);  // the poll after the last reply has gone out and waits
    const auto ticks = p.form1.Timer1.ticksRun();
    p.serveFor(500ms);
    EXPECT_LE(p.form1.Timer1.ticksRun() - ticks, 1u);
    EXPECT_EQ(p.form1.Label1.caption, "requesting status");
}

// At the line's own rate the clock view polls as fast as the receiver answers. Once the watch
// knows how soon the answer comes, an exchange wakes the program about once, for the reply
// already whole, and only the clock's window is drawn, when its caption changes.
TEST(LineWatch, PollingTheClockAtLineSpeedWakesAboutOnceAnExchange) {
    WatchedProgram p;
    ASSERT_TRUE(p.pollTheClockAtLineSpeed()) << p.form1.Label1.caption;

    const int polls0 = p.clockPolls;
    const auto wakeUps0 = p.watch.wakeUps();
    const auto drawn0 = p.renderer.windowsDrawn();
    p.serveFor(1500ms);
    const int exchanges = p.clockPolls - polls0;
    ASSERT_GT(exchanges, 10);
    EXPECT_LT(static_cast<double>(p.watch.wakeUps() - wakeUps0), 2.0 * exchanges);
    EXPECT_LE(p.renderer.windowsDrawn() - drawn0, 4u);
}

// One answer that comes late (the receiver busy for a moment) leaves the next ones looked at
// about as soon as before, not each waited for as long as it.
TEST(LineWatch, OneLateAnswerDoesNotSlowThePollsAfterIt) {
    WatchedProgram p;
    ASSERT_TRUE(p.pollTheClockAtLineSpeed()) << p.form1.Label1.caption;
    const auto pollsIn = [&](std::chrono::milliseconds time) {
        const int polls0 = p.clockPolls;
        p.serveFor(time);
        return p.clockPolls - polls0;
    };
    p.serveFor(300ms);  // the watch has learnt how soon the answers come
    const int before = pollsIn(1000ms);

    sim::SimOptions options = p.program.receiver.options();
    options.lateLines = 1;
    options.lateBy = 80ms;
    p.program.receiver.setOptions(options);
    p.serveFor(300ms);
    const int after = pollsIn(1000ms);
    ASSERT_GT(before, 10);
    EXPECT_GE(after * 4, before * 3) << before << " polls a second before the late answer, " << after << " after";
}

// A pseudo-terminal reports neither error counters nor modem lines: with the link idle, the
// watch looks at it about once a second rather than four times.
TEST(LineWatch, AnIdleLineThatReportsNoLineEventsIsLookedAtAboutOnceASecond) {
    WatchedProgram p;
    ASSERT_TRUE(p.connect()) << p.form1.Label1.caption;
    EXPECT_FALSE(p.program.port.reportsLineEvents());
    p.renderer.forward([&] { p.form1.disableUpdates.onClick(); });
    ASSERT_TRUE(serveEventsUntil([&] { return p.form1.Label1.caption == "Idle"; }, 5s)) << p.form1.Label1.caption;
    p.serveFor(200ms);
    const auto wakeUps0 = p.watch.wakeUps();
    p.serveFor(2100ms);
    EXPECT_LE(p.watch.wakeUps() - wakeUps0, 3u);
}

// Demo mode leaves the line alone, so what the receiver sends meanwhile piles up until the
// port's input buffer is full: the watch then stops listening rather than waking for input no
// tick takes, and the link takes the line back once demo mode ends.
TEST(LineWatch, AFullInputBufferNoTickTakesFromWakesNothingUntilDemoModeEnds) {
    WatchedProgram p;
    ASSERT_TRUE(p.connect()) << p.form1.Label1.caption;
    p.renderer.forward([&] { p.form1.demoMode.onClick(); });
    p.program.receiver.sendRaw(std::string(std::size_t{1} << 21, 'x'));
    ASSERT_TRUE(serveEventsUntil([&] { return p.program.port.inputFull(); }, 5s));
    p.serveFor(200ms);
    const auto wakeUps0 = p.watch.wakeUps();
    const auto ticks0 = p.form1.Timer1.ticksRun();
    p.serveFor(1000ms);
    EXPECT_LE(p.watch.wakeUps() - wakeUps0, 3u);
    EXPECT_GE(p.form1.Timer1.ticksRun() - ticks0, 5u);  // demo mode's own ticks go on

    p.renderer.forward([&] { p.form1.demoMode.onClick(); });
    const auto statusShown = [&] { return p.form1.Term.text().find("Receiver Status") != std::string::npos; };
    EXPECT_TRUE(serveEventsUntil(statusShown, 10s)) << p.form1.Label1.caption;
}

// A USB adapter pulled out: the far end of the line closes and the device's path goes with it,
// while the watch is listening (the link idle, nothing left unread) or gathering a status screen.
// The program lives on, and the status line keeps the reason.
TEST(LineWatch, ALinePulledOutWhileWatchedLeavesTheReasonOnTheStatusLine) {
    for (const bool idle : {true, false}) {
        SCOPED_TRACE(idle ? "idle" : "polling the status");
        WatchedProgram p;
        QTemporaryDir dir;
        const std::string device = dir.filePath(QStringLiteral("ttyKX0")).toStdString();
        p.program.receiver.stop();
        p.program.receiver.start(device);
        ASSERT_TRUE(p.connect()) << p.form1.Label1.caption;
        if (idle) {
            p.renderer.forward([&] { p.form1.disableUpdates.onClick(); });
            ASSERT_TRUE(serveEventsUntil([&] { return p.form1.Label1.caption == "Idle"; }, 5s));
            p.serveFor(100ms);
        } else {
            const auto shown = [&] { return p.form1.Term.text().find("Receiver Status") != std::string::npos; };
            ASSERT_TRUE(serveEventsUntil(shown, 10s)) << p.form1.Label1.caption;
        }

        p.program.receiver.stop();  // both ends of the pseudo-terminal closed, the link removed
        ASSERT_TRUE(serveEventsUntil([&] { return !p.program.port.portOpen(); }, 5s));
        p.serveFor(1200ms);
        const std::string reason = "COM1 (" + device + ") was disconnected";
        EXPECT_NE(p.form1.Label1.caption.find(reason), std::string::npos) << p.form1.Label1.caption;
        EXPECT_TRUE(widgetOf<QLabel>(p.renderer, p.form1, p.form1.Label1)->text().contains(latin1(reason)));
        EXPECT_FALSE(p.form1.MOpen.checked);
    }
}

// The user closes the port while the watch is inside a look at the line (from a dialog a tick
// opened there): the look ends on the closed port, and nothing wakes for the old descriptor.
TEST(LineWatch, ThePortClosedFromTheMenuDuringALookAtTheLineLeavesNothingWatched) {
    WatchedProgram p;
    ASSERT_TRUE(p.connect()) << p.form1.Label1.caption;
    bool closeNow = true;
    p.watch.wakeTicks = [&] {
        if (std::exchange(closeNow, false)) p.renderer.forward([&] { p.form1.MOpen.onClick(); });
        p.renderer.wakeTimers();
    };
    ASSERT_TRUE(serveEventsUntil([&] { return !p.program.port.portOpen(); }, 5s));
    p.program.receiver.sendRaw("late bytes\r\n");
    p.serveFor(300ms);
    const auto wakeUps0 = p.watch.wakeUps();
    p.serveFor(500ms);
    EXPECT_EQ(p.watch.wakeUps(), wakeUps0);
    EXPECT_FALSE(p.form1.MOpen.checked);
}

// The firmware download's timer is paced too: the main timer's preparation wakes it when the
// flash is erased, and from then on the receiver's prompts drive it to the end. Here the watch
// looks only once the receiver has had time to answer what the ticks wrote (a quick receiver, a
// busy machine): an answer already in, as long as the last one or shorter, still wakes the next
// tick at once.
TEST(LineWatch, AFirmwareDownloadRunsToTheEndOnTicksWokenByItsPrompts) {
    WatchedProgram p;
    sim::SimOptions options = p.program.receiver.options();
    options.eraseTime = std::chrono::milliseconds{20};
    options.line.baud = 19200;
    p.program.receiver.setOptions(options);
    p.program.port.setSettings("19200,n,8,1");
    p.form1.disableUpdates.checked = true;
    ASSERT_TRUE(p.connect()) << p.form1.Label1.caption;

    FrmDownload& window = p.program.app.forms.frmDownload;
    p.renderer.afterEvent = [&p] {
        std::this_thread::sleep_for(5ms);
        p.watch.follow();
    };
    p.program.dialogs.modalActions["frmEraseWarn"] = [](Window& w) {
        static_cast<FrmEraseWarn&>(w).cmdReallyDownload.onClick();
    };
    // A header, 25 data records of 16 bytes, a start record.
    auto record = [](const char* type, std::vector<unsigned> bytes) {
        bytes.insert(bytes.begin(), static_cast<unsigned>(bytes.size() + 1));
        unsigned sum = 0;
        std::string text = std::string("S") + type;
        char hex[3];
        for (unsigned b : bytes) {
            sum += b;
            std::snprintf(hex, sizeof hex, "%02X", b & 0xFFu);
            text += hex;
        }
        std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFFu);
        return text + hex + "\r\n";
    };
    std::string file = record("0", {0, 0, 'K', '7', '3'});
    for (unsigned r = 0; r < 25; ++r) {
        std::vector<unsigned> bytes{(r * 16) >> 8, (r * 16) & 0xFF};
        for (unsigned i = 0; i < 16; ++i) bytes.push_back((r * 31 + i * 7) & 0xFF);
        file += record("1", bytes);
    }
    file += record("9", {0, 0});
    p.program.fakes.files.contents["/fw.s"] = file;
    window.txtDownFile.setText("/fw.s");
    p.renderer.forward([&] { window.cmdDoDownload.onClick(); });
    EXPECT_TRUE(serveEventsUntil([&] { return window.Text4.text() == "DONE"; }, 3s))
        << window.lblOutcome.caption << " / " << p.form1.Label1.caption;
    EXPECT_EQ(p.program.app.download().vars().linesSent, 27);
    EXPECT_EQ(p.program.app.download().vars().linesRetried, 0);
}

}  // namespace
}  // namespace kestrix::gui_test
