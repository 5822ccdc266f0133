// The whole program rendered offscreen, on the real serial port against the receiver simulator:
// what the user clicks reaches the link, and what the receiver sends reaches the widgets.

#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

#include "../integration/support/sim_program.h"
#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

TEST(ProgramOnTheLine, PortOpenFromTheMenuBringsTheStatusScreenIntoTheWindow) {
    application();
    testing::SimProgram program;
    program.app.start();
    app::Renderer renderer(program.app.forms.all());
    renderer.render();
    QTimer lineService;
    QObject::connect(&lineService, &QTimer::timeout, [&] { renderer.forward([&] { program.port.service(); }); });
    lineService.start(5);

    Form1& form1 = program.form1;
    EXPECT_TRUE(renderer.viewOf(form1)->widget().isVisible());
    renderer.viewOf(form1)->menus().actionOf(form1.MOpen)->trigger();
    ASSERT_TRUE(program.port.portOpen()) << form1.Label1.caption;

    // The link's clock is the test's: while the link probes, let its seconds pass.
    auto* screen = widgetOf<QPlainTextEdit>(renderer, form1, form1.Term);
    auto lastSecond = std::chrono::steady_clock::now();
    const bool shown = serveEventsUntil(
        [&] {
            if (std::chrono::steady_clock::now() - lastSecond > std::chrono::milliseconds(25)) {
                if (!program.connected()) program.clock.advance(1);
                lastSecond = std::chrono::steady_clock::now();
            }
            return screen->toPlainText().contains("Receiver Status");
        },
        std::chrono::seconds(10));
    EXPECT_TRUE(shown) << form1.Label1.caption;
    EXPECT_EQ(renderer.viewOf(program.app.forms.frmShowLog)->widget().windowTitle(),
              latin1(program.app.forms.frmShowLog.caption));
    EXPECT_EQ(latin1(form1.Term.text()).replace("\r\n", "\n").replace('\r', '\n'), screen->toPlainText());
}

}  // namespace
}  // namespace kestrix::gui_test
