#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

TEST(Reception, APromptSplitAcrossReadsCompletesOnTheFinalBlank) {
    Rig rig;
    rig.connect();
    rig.tick();
    for (const char* chunk : {"screen\r\nsc", "pi", " >"}) {
        rig.port.receive(chunk);
        rig.tick();
        EXPECT_EQ(rig.label(), "requesting status") << chunk;
    }
    rig.port.receive(" ");
    rig.tick();
    EXPECT_EQ(rig.label(), "received status");
    EXPECT_EQ(rig.form1.Term.text(), "screen\r\n");
}

TEST(Reception, CharactersAfterAPromptAreDiscarded) {
    Rig rig;
    rig.connect();
    rig.tick();
    rig.port.receive("one\r\nscpi > two\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.form1.Term.text(), "one\r\n");
    EXPECT_TRUE(rig.port.inBuffer.empty());
    rig.tick();
    rig.port.receive("three\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.form1.Term.text(), "three\r\n");
}

TEST(Reception, AnEchoedCommandIsDroppedEvenWhenItContainsAPrompt) {
    Rig rig;
    rig.connectAnswering(":syst:comm:ser:fdup?\r\n1\r\nscpi > ",
                         "*idn?\r\nMorvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.form1.disableUpdates.checked = true;
    rig.sendCommand("say scpi > ");
    rig.tick();
    rig.port.receive("say scpi > \r\nhello\r\nscpi > ");
    rig.ticks(2);
    EXPECT_EQ(rig.log(), "\r\nSent: say scpi > \r\nreply: hello\r\n");
}

TEST(Reception, AnErrorPromptFetchesTheErrorTextAsTheReply) {
    Rig rig;
    rig.connect();
    rig.sendCommand("bogus");
    rig.tick();
    rig.port.takeWritten();
    rig.port.receive("E-113> ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Error received:");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "syst:err?\r\n");
    EXPECT_EQ(rig.label(), "Reading error");
    rig.port.receive("-113,\"Undefined header\"\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Received error reply");
    rig.tick();
    EXPECT_EQ(rig.log(), "\r\nSent: bogus\r\nreply: -113,\"Undefined header\"\r\n");
}

TEST(Reception, SilenceTimesOutAndTheCommandGetsNoResponse) {
    Rig rig;
    rig.connect();
    rig.sendCommand("*IDN?");
    rig.tick();
    rig.clock.advance(13);
    rig.tick();
    EXPECT_EQ(rig.label(), "sending: *IDN?");  // 13 seconds are allowed, not more
    rig.clock.advance(1);
    rig.tick();
    EXPECT_EQ(rig.label(), "No response from unit");
    EXPECT_EQ(rig.vars.replyText, "No response from unit");
    EXPECT_TRUE(rig.vars.tryingToEstablish);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix");
    EXPECT_EQ(rig.forms.frmShowLog.caption, "Control & Query");
    const std::string terminal = rig.forms.frmTerminal.txtTerminal.text();
    EXPECT_NE(terminal.find("Time Out 2 at delay  0 attempt  0 12:00:"), std::string::npos) << terminal;
}

TEST(Reception, TimeOutLineCarriesTimeAndDate) {
    Rig rig;
    rig.clock.date = {2026, 12, 7, 0, 0, 0};
    rig.openPort();
    rig.clock.seconds = 13 * 3600 + 5 * 60 + 22;
    rig.tick();  // the first probe times out at once: it waited since midnight
    rig.tick();
    EXPECT_EQ(rig.forms.frmTerminal.txtTerminal.text(), "Time Out 1 at delay  0 attempt  0 13:05:22 12-07-2026\r\n");
}

TEST(Reception, ExchangesAcrossMidnightTimeOutByElapsedSeconds) {
    Rig rig;
    rig.connect();
    rig.clock.seconds = 86398;
    rig.tick();             // status poll, 6 seconds allowed
    rig.clock.seconds = 3;  // 5 seconds later, on the next day
    rig.tick();
    EXPECT_EQ(rig.label(), "requesting status");
    rig.clock.seconds = 5;  // 7 seconds
    rig.tick();
    EXPECT_EQ(rig.label(), "No response from unit");
}

TEST(Reception, TheSettlingTimeOutStartsTheConnectionSequence) {
    Rig rig;
    rig.openPort();
    rig.tick();
    rig.port.receive("scpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Communication re-established...");
    rig.tick();
    EXPECT_EQ(rig.label(), "Communication established, please wait...");
    rig.clock.advance(5);
    rig.tick();
    EXPECT_NE(rig.label(), "No response from unit");
    EXPECT_EQ(rig.vars.timeoutSeconds, 7);
    rig.port.takeWritten();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:comm:ser:fdup?\r\n");
    EXPECT_EQ(rig.label(), "Checking echo...");
}

TEST(Reception, ProbesRepeatAfterEachTimeOut) {
    Rig rig;
    rig.openPort();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");
    EXPECT_EQ(rig.label(), "Trying to establish communication...");
    rig.tick();  // waited since midnight: timed out
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");
    rig.clock.advance(2);
    rig.tick();
    EXPECT_TRUE(rig.port.written.empty());  // still waiting: 2 seconds are allowed
    EXPECT_EQ(rig.label(), "Trying to establish communication...");
    rig.clock.advance(1);
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");
}

TEST(Reception, SixteenConsecutiveErrorsDisableUpdatesWithAWarningEachTime) {
    Rig rig;
    rig.connect();
    auto errorExchange = [&] {
        rig.tick();  // a poll goes out
        rig.port.receive("E-100> ");
        rig.tick();
        rig.tick();  // syst:err?
        rig.port.receive("-100,\"Command error\"\r\nscpi > ");
        rig.tick();
    };
    for (int i = 0; i < 15; ++i) errorExchange();
    EXPECT_TRUE(rig.dialogs.messages.empty());
    errorExchange();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Press Ok to continue");
    EXPECT_EQ(rig.dialogs.messages[0].text,
              "Numerous consecutive errors have occurred,\nso 'Disable Updates' has been selected.\n\n"
              "Errors can be seen on Control & Query form");
    EXPECT_TRUE(rig.form1.disableUpdates.checked);

    rig.form1.disableUpdates.checked = false;
    for (int i = 0; i < 16; ++i) errorExchange();
    EXPECT_EQ(rig.dialogs.messages.size(), 2u);
}

TEST(Reception, AReplyThatNeverEndsFailsInsteadOfGrowingWithoutBound) {
    Rig rig;
    rig.connect();
    rig.tick();
    const std::string noise(4096, 'x');
    for (int i = 0; i < 20 && rig.label() == "requesting status"; ++i) {
        rig.port.receive(noise);
        rig.tick();
    }
    EXPECT_EQ(rig.label(), "No response from unit");
    EXPECT_EQ(rig.form1.Term.text(), "");
    EXPECT_TRUE(rig.vars.tryingToEstablish);
}

}  // namespace
}  // namespace kestrix
