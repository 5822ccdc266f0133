// How exchanges end: answered, timed out, outgrown, or abandoned when the port closes or goes
// away. Whatever the end, nothing of the exchange is left behind and a Control & Query command
// always gets an outcome.

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

constexpr const char* kIdentity = "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ";

// Brings the link up with the view polls stopped, so that every exchange is Control & Query's.
void connectQuietly(Rig& rig) {
    rig.connect();
    rig.form1.disableUpdates.checked = true;
    rig.forms.frmShowLog.txtShowLog.setText({});
}

// From probing to identified: the probe answered, the quiet wait, echo check, identification.
void bringLinkBack(Rig& rig) {
    rig.tick();
    rig.port.receive("scpi > ");
    rig.tick();
    rig.tick();
    rig.clock.advance(5);
    rig.tick();
    rig.tick();
    rig.port.receive("0\r\nscpi > ");
    rig.tick();
    rig.tick();
    rig.port.receive(kIdentity);
    rig.tick();
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(ExchangeEnd, ACommandCutOffByClosingThePortGetsNoResponseAndSendComesBack) {
    Rig rig;
    connectQuietly(rig);
    Button& send = rig.forms.frmShowLog.cmdSendSCPI;
    rig.sendCommand("*IDN?");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    EXPECT_FALSE(send.enabled);

    rig.openPort();  // closes it before the reply came
    EXPECT_TRUE(send.enabled);
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: No response from unit");

    rig.openPort();  // and opens it again; the receiver's late reply then arrives
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");  // the link is probed before anything else
    rig.port.receive(kIdentity);
    rig.tick();
    EXPECT_EQ(rig.label(), "Communication re-established...");
    rig.tick();
    rig.clock.advance(5);
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:comm:ser:fdup?\r\n");
    rig.port.receive("0\r\nscpi > ");
    rig.tick();
    rig.tick();
    rig.port.receive(kIdentity);
    rig.tick();
    EXPECT_EQ(rig.label(), "Identity determined");

    rig.port.takeWritten();
    rig.sendCommand(":PTIM:TIME?");
    EXPECT_FALSE(send.enabled);
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":PTIM:TIME?\r\n");
    rig.port.receive("12,0,0\r\nscpi > ");
    rig.ticks(2);
    EXPECT_TRUE(send.enabled);
    EXPECT_EQ(count(rig.log(), "reply: "), 2) << rig.log();
}

TEST(ExchangeEnd, ATimedOutErrorReadEndsTheCommandAndLeavesNothingForTheNextReply) {
    Rig rig;
    connectQuietly(rig);
    rig.sendCommand("bogus");
    rig.tick();
    rig.port.receive("E-113> ");
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "bogus\r\nsyst:err?\r\n");
    rig.clock.advance(14);  // the receiver falls silent
    rig.tick();
    EXPECT_EQ(rig.label(), "No response from unit");
    rig.tick();
    EXPECT_EQ(rig.log(), "\r\nSent: bogus\r\nreply: No response from unit");
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);

    rig.port.takeWritten();
    bringLinkBack(rig);
    EXPECT_EQ(rig.label(), "Identity determined");
    EXPECT_EQ(count(rig.port.takeWritten(), ":syst:comm:ser:fdup?"), 1);
    rig.tick();
    EXPECT_EQ(rig.log(), "\r\nSent: bogus\r\nreply: No response from unit");  // no "reply: 0"
}

TEST(ExchangeEnd, AQueryGroupWhoseErrorReadTimesOutIsGivenUp) {
    Rig rig;
    connectQuietly(rig);
    rig.state.queryGroup = 4;  // as the Status menu starts a group
    rig.state.queryIndex = 1;
    rig.state.sendRequest = true;
    rig.forms.frmShowLog.cmdSendSCPI.enabled = false;
    rig.tick();
    rig.port.receive("E-113> ");
    rig.tick();
    rig.tick();
    rig.clock.advance(14);
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.state.queryGroup, 0);
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);
    EXPECT_NE(rig.log().find("\r\nreply: No response from unit"), std::string::npos) << rig.log();
}

TEST(ExchangeEnd, TheReplyBoundHoldsWithinOneRead) {
    Rig rig;
    rig.connect();
    rig.tick();                                                           // a status poll
    rig.port.receive(std::string(2 * kMaxReplyLength, 'x') + "scpi > ");  // one read, prompt at its end
    rig.tick();
    EXPECT_EQ(rig.label(), "No response from unit");
    EXPECT_EQ(rig.form1.Term.text(), "");

    bringLinkBack(rig);
    rig.tick();
    rig.port.receive(std::string(kMaxReplyLength, 'y') + "scpi > ");  // at the bound: accepted
    rig.tick();
    EXPECT_EQ(rig.label(), "received status");
    EXPECT_EQ(rig.form1.Term.text().size(), kMaxReplyLength);
}

TEST(ExchangeEnd, ALongCommandReplyIsCutOffAtTheBound) {
    Rig rig;
    connectQuietly(rig);
    rig.sendCommand(":syst:prin?");
    rig.tick();
    rig.port.receive(std::string(kMaxReplyLength + 4096, 'x') + "scpi > ");
    rig.ticks(2);
    EXPECT_EQ(rig.log(), "\r\nSent: :syst:prin?\r\nreply: No response from unit");
}

TEST(ExchangeEnd, AVanishedPortShowsItsReasonUntilTheUserActs) {
    Rig rig;
    connectQuietly(rig);
    rig.sendCommand("*IDN?");
    rig.tick();
    const std::string reason = "COM1 (/dev/ttyUSB0) was disconnected: Input/output error";
    rig.port.lose(reason);
    EXPECT_EQ(rig.label(), reason);
    EXPECT_EQ(rig.beeper.beeps, 1);
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix");
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: No response from unit");
    rig.ticks(5);
    EXPECT_EQ(rig.label(), reason);

    rig.port.failOpen = "/dev/ttyUSB0: No such file or directory";
    rig.openPort();  // the user acts: the open fails and says why
    rig.tick();
    EXPECT_EQ(rig.label(), "Port not open");
}

TEST(ExchangeEnd, LeavingDemoModeStartsTheNextReplyEmpty) {
    Rig rig;
    rig.connect();
    rig.form1.demoMode.onClick();
    rig.tick();  // the canned screen is built
    rig.form1.demoMode.onClick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
    rig.port.receive("real screen\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.form1.Term.text(), "real screen\r\n");
}

}  // namespace
}  // namespace kestrix
