#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

class Shutdown : public ::testing::Test {
protected:
    void SetUp() override {
        // Each pass of the wait lets a second go by; the line drains only when the test says so.
        rig.app->processEvents = [this] {
            rig.clock.advance(1);
            if (lineMoves) rig.port.pendingOutput = 0;
        };
    }
    bool close() {
        bool cancel = false;
        rig.form1.onCloseRequest(cancel);
        return !cancel;
    }
    Rig rig;
    bool lineMoves = false;
};

TEST_F(Shutdown, WithThePortClosedSavesAndEnds) {
    EXPECT_TRUE(close());
    EXPECT_TRUE(rig.app->quitRequested());
    EXPECT_NE(rig.profile.text.find("Port=1"), std::string::npos);
    EXPECT_NE(rig.profile.text.find("Function=0"), std::string::npos);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST_F(Shutdown, AStalledLineAsksAfterTenSecondsAndAbortKeepsTheProgram) {
    rig.openPort();
    rig.port.pendingOutput = 200;
    rig.dialogs.msgAnswers = {platform::MsgResult::Abort};
    EXPECT_FALSE(close());
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Data cannot be sent");
    EXPECT_EQ(rig.dialogs.messages[0].buttons, platform::MsgButtons::AbortRetryIgnore);
    EXPECT_EQ(rig.clock.seconds, 12 * 3600 + 11);
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_FALSE(rig.app->quitRequested());
    EXPECT_NE(rig.profile.text.find("Port=1"), std::string::npos);  // already saved
}

TEST_F(Shutdown, RetryWaitsAgainAndIgnoreStopsWaiting) {
    rig.openPort();
    rig.port.pendingOutput = 200;
    rig.dialogs.msgAnswers = {platform::MsgResult::Retry, platform::MsgResult::Ignore};
    EXPECT_TRUE(close());
    EXPECT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_TRUE(rig.app->quitRequested());
}

TEST_F(Shutdown, OutputThatDrainsClosesThePortWithoutAsking) {
    rig.openPort();
    rig.port.pendingOutput = 200;
    lineMoves = true;
    EXPECT_TRUE(close());
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_FALSE(rig.port.portOpen());
}

TEST_F(Shutdown, FileExitSavesAndEndsAtOnceWithoutDraining) {
    rig.openPort();
    rig.port.pendingOutput = 200;
    rig.form1.MFileExit.onClick();
    EXPECT_TRUE(rig.app->quitRequested());
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_NE(rig.profile.text.find("Baud=9600"), std::string::npos);
}

TEST_F(Shutdown, ASettingsFileThatCannotBeWrittenIsReportedOnce) {
    rig.profile.failWrites = "Cannot write /ro/Receiver.INI: Read-only file system";
    EXPECT_TRUE(close());
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_NE(rig.dialogs.messages[0].text.find("Read-only file system"), std::string::npos);
    EXPECT_TRUE(rig.app->quitRequested());
}

}  // namespace
}  // namespace kestrix
