// The program with its serial line watched rather than polled: what the receiver sends wakes the
// ticks, and a link that waits for a reply, or has nothing to do, runs none meanwhile.

#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <chrono>

#include "../integration/support/sim_program.h"
#include "app/line_watch.h"
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

    void serveFor(std::chrono::milliseconds time) { serveEventsUntil([] { return false; }, time); }

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
    p.serveFor(100ms);   // the poll after the last reply has gone out and waits
    const auto ticks = p.form1.Timer1.ticksRun();
    p.serveFor(500ms);
    EXPECT_LE(p.form1.Timer1.ticksRun() - ticks, 1u);
    EXPECT_EQ(p.form1.Label1.caption, "requesting status");
}

}  // namespace
}  // namespace kestrix::gui_test
