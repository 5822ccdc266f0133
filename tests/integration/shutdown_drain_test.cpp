// Closing the main window while output cannot leave: a pseudo-terminal whose other end stops
// reading holds the queued bytes, so the program asks what to do every ten seconds.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include "platform/fake_platform.h"
#include "platform/posix_serial_port.h"
#include "program/kestrix.h"

namespace kestrix {
namespace {

struct StalledLine : ::testing::Test {
    int master = -1, slave = -1;
    std::string slavePath;
    platform::PosixSerialPort port{[this](int) { return slavePath; }};
    platform::FakeServices fakes;
    platform::FakeClock& clock = fakes.clock;
    platform::FakeDialogs& dialogs = fakes.dialogs;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix app{platform};

    void SetUp() override {
        char name[256];
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        slavePath = name;
        app.processEvents = [this] {
            port.service();
            clock.advance(0.5);
        };
        app.forms.form1.MOpen.onClick();
        ASSERT_TRUE(port.portOpen());
        port.output(std::string(256 * 1024, 'x'));  // far more than the line will take
        port.service();
        ASSERT_GT(port.outBufferCount(), 0);
    }
    void TearDown() override {
        if (port.portOpen()) port.setPortOpen(false);
        ::close(slave);
        ::close(master);
    }
    bool closeMainWindow() {
        bool cancel = false;
        app.forms.form1.onCloseRequest(cancel);
        return !cancel;
    }
};

TEST_F(StalledLine, AbortKeepsTheProgramWithThePortOpen) {
    dialogs.msgAnswers = {platform::MsgResult::Abort};
    const double start = clock.seconds;
    EXPECT_FALSE(closeMainWindow());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Data cannot be sent");
    EXPECT_GT(clock.seconds - start, 10.0);
    EXPECT_TRUE(port.portOpen());
    EXPECT_FALSE(app.quitRequested());
}

TEST_F(StalledLine, RetryWaitsAnotherTenSecondsAndIgnoreCloses) {
    dialogs.msgAnswers = {platform::MsgResult::Retry, platform::MsgResult::Ignore};
    EXPECT_TRUE(closeMainWindow());
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(port.portOpen());
    EXPECT_TRUE(app.quitRequested());
}

TEST_F(StalledLine, OutputThatLeavesAfterAllNeedsNoQuestion) {
    app.processEvents = [this] {
        char buffer[65536];
        while (read(master, buffer, sizeof buffer) > 0) {}
        port.service();
        clock.advance(0.001);
    };
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    EXPECT_TRUE(closeMainWindow());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(port.portOpen());
}

}  // namespace
}  // namespace kestrix
