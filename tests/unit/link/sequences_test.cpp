#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

bool modelMenusVisible(Rig& rig) {
    for (MenuItem* entry : rig.forms.frmShowLog.modelSpecificEntries())
        if (!entry->visible) return false;
    return true;
}

TEST(ConnectionSequence, Identifies73408KAndShowsItsMenus) {
    Rig rig;
    rig.connect("73408K");
    EXPECT_EQ(rig.label(), "Identity determined");
    EXPECT_EQ(rig.state.modelName, "73408K");
    EXPECT_TRUE(rig.vars.modelIs73408K);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix (connected to 73408K @Com1)");
    EXPECT_EQ(rig.forms.frmShowLog.caption, "Control & Query (connected to 73408K @Com1)");
    EXPECT_TRUE(modelMenusVisible(rig));
    EXPECT_TRUE(rig.forms.frmShowLog.mnuQuery.enabled);
}

TEST(ConnectionSequence, OtherModelsAndNearMatchesHideTheModelMenus) {
    for (const char* model : {"Fennomir-6", "73408k", " 73408K"}) {
        Rig rig;
        rig.connect(model);
        EXPECT_FALSE(rig.vars.modelIs73408K) << model;
        EXPECT_FALSE(findMenuItem(rig.forms.frmShowLog, "mnuTst")->visible) << model;
        EXPECT_FALSE(findMenuItem(rig.forms.frmShowLog, "hyph10")->visible) << model;
    }
}

TEST(ConnectionSequence, AnIdentityWithoutAModelFieldDoesNotFail) {
    Rig rig;
    rig.connectAnswering("0\r\nscpi > ", "garbage\r\nscpi > ");
    EXPECT_FALSE(rig.vars.modelIs73408K);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix (connected to unknown model @Com1)");
}

// With echo on, a poll's reply starts with the echo of ":syst:prin?" and its line end, which
// the link drops; with echo off, nothing is dropped.
std::string polledScreen(Rig& rig, const std::string& reply) {
    rig.tick();
    rig.port.takeWritten();
    rig.port.receive(reply);
    rig.tick();
    return rig.form1.Term.text();
}

TEST(ConnectionSequence, EchoIsOnWhenTheReplyHoldsAOneAnywhere) {
    for (const char* echoReply : {"1\r\nscpi > ", ":syst:comm:ser:fdup?\r\nON (port 1)\r\nscpi > "}) {
        Rig rig;
        rig.connectAnswering(echoReply, "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
        EXPECT_EQ(polledScreen(rig, ":syst:prin?\r\nscreen\r\nscpi > "), "screen\r\n") << echoReply;
    }
    Rig rig;
    rig.connectAnswering(":syst:comm:ser:fdup?\r\n0\r\nscpi > ", "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    EXPECT_EQ(polledScreen(rig, "screen\r\nscpi > "), "screen\r\n");
}

TEST(ConnectionSequence, AnErrorDuringTheEchoCheckKeepsTheEchoStateAndIdentifies) {
    Rig rig;
    rig.connectAnswering("1\r\nscpi > ", "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.openPort();  // closed
    rig.openPort();  // and opened again: the connection sequence runs at once
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:comm:ser:fdup?\r\n");
    rig.port.receive("E-113> ");  // the echo check is given up
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "syst:err?\r\n");
    rig.port.receive("-113,\"Undefined header\"\r\nscpi > ");
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*idn?\r\n");
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Identity determined");
    EXPECT_EQ(polledScreen(rig, ":syst:prin?\r\nscreen\r\nscpi > "), "screen\r\n");  // still echoing
}

class Preparation : public ::testing::Test {
protected:
    void SetUp() override {
        rig.connect();
        rig.state.downloadPrep = true;  // as the download window starts the preparation
        rig.state.prepStep = kPrepFindSerialPort;
    }
    // Sends the next step and answers it.
    std::string exchange(const std::string& reply) {
        rig.tick();
        std::string sent = rig.port.takeWritten();
        rig.port.receive(reply);
        rig.tick();
        return sent;
    }
    Rig rig;
};

TEST_F(Preparation, WithEchoOffAndTheSpeedAt19200SendsFiveCommands) {
    EXPECT_EQ(exchange("1\r\nscpi > "), "syst:comm?\r\n");
    EXPECT_EQ(rig.label(), "port is serial 1");
    EXPECT_EQ(exchange("0\r\nscpi > "), "syst:comm:ser:fdup?\r\n");
    EXPECT_EQ(exchange("19200\r\nscpi > "), "syst:comm:ser:baud?\r\n");
    EXPECT_EQ(rig.label(), "is 19200");
    EXPECT_EQ(exchange("scpi > "), "syst:lang \"install\"\r\n");
    EXPECT_EQ(exchange("scpi > "), "diag:eras\r\n");
    EXPECT_EQ(rig.label(), "flash erased");
    EXPECT_TRUE(rig.state.readyToDownload);
    EXPECT_FALSE(rig.form1.Timer1.enabled);
    EXPECT_EQ(rig.state.downloadBurst, 10);
    EXPECT_TRUE(rig.dialogs.modalShown.empty());
}

// A receiver on the fake port that answers the preparation's commands as a real one does: it
// echoes what it is sent until told not to, and takes a new speed when told.
struct ScriptedReceiver {
    bool echo = true;
    int baud = 9600;

    std::string answer(const std::string& line) {
        const std::string command = line.substr(0, line.size() - 2);
        std::string reply = echo ? line : "";
        if (command == "syst:comm?") reply += "1\r\n";
        else if (command == "syst:comm:ser:fdup?") reply += echo ? "1\r\n" : "0\r\n";
        else if (command == "syst:comm:ser:fdup 0") echo = false;
        else if (command == "syst:comm:ser:baud?") reply += std::to_string(baud) + "\r\n";
        else if (command == "syst:comm:ser:baud 19200") baud = 19200;
        else if (command == "syst:lang?") reply += "\"INSTALL\"\r\n";
        return reply + "scpi > ";
    }
};

TEST_F(Preparation, EchoOnAndASlowLineAskTheUser) {
    rig.dialogs.modalActions["FrmEchoKill2"] = [&](Window&) { rig.forms.frmEchoKill2.cmdOK.onClick(); };
    rig.dialogs.modalActions["FrmChangeBaud"] = [&](Window&) { rig.forms.frmChangeBaud.cmdReallyDownload.onClick(); };
    EXPECT_EQ(exchange("2\r\nscpi > "), "syst:comm?\r\n");
    EXPECT_EQ(exchange("1\r\nscpi > "), "syst:comm:ser2:fdup?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepTurnEchoOff);
    EXPECT_EQ(exchange("scpi > "), "syst:comm:ser2:fdup 0\r\n");
    EXPECT_EQ(rig.label(), "echo is off");
    EXPECT_EQ(exchange("9600\r\nscpi > "), "syst:comm:ser2:baud?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepSetSpeed);
    EXPECT_EQ(exchange("scpi > "), "syst:comm:ser2:baud 19200\r\n");
    EXPECT_EQ(exchange("19200\r\nscpi > "), "syst:comm:ser2:baud?\r\n");  // asked again
    EXPECT_EQ(rig.label(), "is 19200");
    EXPECT_EQ(rig.dialogs.modalShown, (std::vector<std::string>{"FrmEchoKill2", "FrmChangeBaud", "ConfigScrn"}));
}

TEST_F(Preparation, TheDialogsAnswersChooseTheNextStep) {
    // Closed without a button, each dialog's question comes again.
    rig.dialogs.modalActions["FrmEchoKill2"] = [](Window&) {};
    rig.dialogs.modalActions["FrmChangeBaud"] = [&](Window&) { rig.forms.frmChangeBaud.cmdDontDownload.onClick(); };
    exchange("1\r\nscpi > ");
    EXPECT_EQ(exchange("1\r\nscpi > "), "syst:comm:ser:fdup?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepCheckEcho);
    rig.dialogs.modalActions["FrmEchoKill2"] = [&](Window&) { rig.forms.frmEchoKill2.cmdOK.onClick(); };
    exchange("1\r\nscpi > ");
    EXPECT_EQ(exchange("scpi > "), "syst:comm:ser:fdup 0\r\n");
    EXPECT_EQ(exchange("9600\r\nscpi > "), "syst:comm:ser:baud?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepBootLanguage);  // "No, leave as is"
    EXPECT_FALSE(rig.forms.frmChangeBaud.visible);
    EXPECT_EQ(exchange("scpi > "), "syst:lang \"install\"\r\n");
}

TEST_F(Preparation, AnEchoingReceiverAtASlowSpeedReachesTheEraseAndIsReadWholeAfterwards) {
    ScriptedReceiver receiver;
    rig.dialogs.modalActions["FrmEchoKill2"] = [&](Window&) { rig.forms.frmEchoKill2.cmdOK.onClick(); };
    rig.dialogs.modalActions["FrmChangeBaud"] = [&](Window&) { rig.forms.frmChangeBaud.cmdReallyDownload.onClick(); };
    rig.dialogs.modalActions["ConfigScrn"] = [&](Window&) {  // the user sets the computer's side
        rig.forms.configScrn.Baud19dot2.onClick();
        rig.forms.configScrn.OKButton.onClick();
    };
    rig.forms.frmTerminal.txtTerminal.setText({});  // the quiet wait's end is noted there
    std::vector<std::string> sent;
    for (int i = 0; i < 20 && !rig.state.readyToDownload; ++i) {
        rig.tick();
        const std::string line = rig.port.takeWritten();
        sent.push_back(line);
        rig.clock.advance(1);
        rig.port.receive(receiver.answer(line));
        rig.tick();
    }
    EXPECT_EQ(sent,
              (std::vector<std::string>{"syst:comm?\r\n", "syst:comm:ser:fdup?\r\n", "syst:comm:ser:fdup 0\r\n",
                                        "syst:comm:ser:baud?\r\n", "syst:comm:ser:baud 19200\r\n",
                                        "syst:comm:ser:baud?\r\n", "syst:lang \"install\"\r\n", "diag:eras\r\n"}));
    EXPECT_EQ(rig.label(), "flash erased");
    EXPECT_EQ(rig.port.settings(), "19200,n,8,1");
    EXPECT_EQ(rig.forms.frmTerminal.txtTerminal.text(), "");  // no time-out line
    EXPECT_EQ(rig.dialogs.modalShown, (std::vector<std::string>{"FrmEchoKill2", "FrmChangeBaud", "ConfigScrn"}));

    // The download window hands the line back; the receiver no longer echoes, and the next
    // command's reply is read whole.
    rig.state.downloadPrep = false;
    rig.form1.Timer1.enabled = true;
    rig.form1.disableUpdates.checked = true;
    rig.sendCommand("syst:lang?");
    rig.tick();
    rig.port.receive(receiver.answer(rig.port.takeWritten()));
    rig.ticks(2);
    EXPECT_EQ(rig.log(), "\r\nSent: syst:lang?\r\nreply: \"INSTALL\"\r\n");
}

TEST_F(Preparation, ARejectedPortQueryGoesStraightToTheBootLanguage) {
    exchange("E-113> ");
    exchange("-113,\"Undefined header\"\r\nscpi > ");
    EXPECT_EQ(rig.state.prepStep, kPrepBootLanguage);
    EXPECT_EQ(exchange("scpi > "), "syst:lang \"install\"\r\n");
}

TEST_F(Preparation, ATimedOutErrorReadLeavesThePreparationWhereItWas) {
    exchange("E-113> ");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "syst:err?\r\n");
    rig.clock.advance(8);
    rig.tick();
    EXPECT_EQ(rig.label(), "No response from unit");
    // The link comes back: probe, quiet wait, echo check, identification.
    rig.tick();
    rig.port.receive("scpi > ");
    rig.ticks(2);
    rig.clock.advance(5);
    rig.ticks(2);
    rig.port.receive("0\r\nscpi > ");
    rig.ticks(2);
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Identity determined");
    rig.port.takeWritten();
    EXPECT_EQ(exchange("1\r\nscpi > "), "syst:comm?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepCheckEcho);
}

TEST(PreparationStart, AReplyToACommandSentBeforeItStartedGoesToControlAndQuery) {
    Rig rig;
    rig.connect();
    rig.form1.disableUpdates.checked = true;
    rig.forms.frmShowLog.txtShowLog.setText({});
    rig.sendCommand("*IDN?");
    rig.tick();
    rig.state.downloadPrep = true;  // the download window starts the preparation meanwhile
    rig.state.prepStep = kPrepFindSerialPort;
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Received response");
    rig.port.takeWritten();
    rig.tick();
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n");
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.port.takeWritten(), "syst:comm?\r\n");
    EXPECT_EQ(rig.state.prepStep, kPrepFindSerialPort);
}

TEST_F(Preparation, ASlowPortSendsOneRecordPerBurst) {
    rig.port.setSettings("4800,n,8,1");
    rig.state.prepStep = kPrepEraseFlash;
    exchange("scpi > ");
    EXPECT_EQ(rig.state.downloadBurst, 1);
}

}  // namespace
}  // namespace kestrix
