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
    EXPECT_TRUE(rig.state.modelIs73408K);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix (connected to 73408K @Com1)");
    EXPECT_EQ(rig.forms.frmShowLog.caption, "Control & Query (connected to 73408K @Com1)");
    EXPECT_TRUE(modelMenusVisible(rig));
    EXPECT_TRUE(rig.forms.frmShowLog.mnuQuery.enabled);
}

TEST(ConnectionSequence, OtherModelsAndNearMatchesHideTheModelMenus) {
    for (const char* model : {"Fennomir-6", "73408k", " 73408K"}) {
        Rig rig;
        rig.connect(model);
        EXPECT_FALSE(rig.state.modelIs73408K) << model;
        EXPECT_FALSE(findMenuItem(rig.forms.frmShowLog, "mnuTst")->visible) << model;
        EXPECT_FALSE(findMenuItem(rig.forms.frmShowLog, "hyph10")->visible) << model;
    }
}

TEST(ConnectionSequence, AnIdentityWithoutAModelFieldDoesNotFail) {
    Rig rig;
    rig.openPort();
    rig.vars.restartPending = false;
    rig.state.tryingToEstablish = false;
    rig.vars.connecting = true;
    rig.vars.connectStep = 3;
    rig.tick();
    rig.port.receive("garbage\r\nscpi > ");
    rig.tick();
    EXPECT_FALSE(rig.state.modelIs73408K);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix (connected to unknown model @Com1)");
}

TEST(ConnectionSequence, EchoIsOnWhenTheReplyHoldsAOneAnywhere) {
    Rig rig;
    rig.openPort();
    rig.vars.restartPending = false;
    rig.state.tryingToEstablish = false;
    rig.vars.connecting = true;
    rig.tick();
    rig.port.receive(":syst:comm:ser:fdup?\r\n0\r\nscpi > ");   // no 1 anywhere
    rig.tick();
    EXPECT_EQ(rig.vars.echoState, 0);
    rig.vars.connectStep = 2;
    rig.tick();
    rig.port.receive("ON\r\nE-201> ");   // an error prompt: the echo check is given up
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.vars.connectStep, 3);
    EXPECT_EQ(rig.vars.echoState, 0);
}

class Preparation : public ::testing::Test {
protected:
    void SetUp() override {
        rig.connect();
        rig.state.downloadPrep = true;
        rig.state.prepStep = -4;
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

TEST_F(Preparation, EchoOnAndASlowLineAskTheUser) {
    rig.dialogs.modalActions["FrmEchoKill2"] = [&](Window&) { rig.forms.frmEchoKill2.cmdOK.onClick(); };
    rig.dialogs.modalActions["FrmChangeBaud"] = [&](Window&) { rig.forms.frmChangeBaud.cmdReallyDownload.onClick(); };
    EXPECT_EQ(exchange("2\r\nscpi > "), "syst:comm?\r\n");
    EXPECT_EQ(exchange("1\r\nscpi > "), "syst:comm:ser2:fdup?\r\n");
    EXPECT_EQ(exchange("scpi > "), "syst:comm:ser2:fdup 0\r\n");
    EXPECT_EQ(rig.label(), "echo is off");
    EXPECT_EQ(exchange("9600\r\nscpi > "), "syst:comm:ser2:baud?\r\n");
    EXPECT_EQ(rig.state.prepStep, 0);
    EXPECT_EQ(exchange("scpi > "), "syst:comm:ser2:baud 19200\r\n");
    EXPECT_EQ(rig.dialogs.modalShown,
              (std::vector<std::string>{"FrmEchoKill2", "FrmChangeBaud", "ConfigScrn", "FrmChangeBaud"}));
    // The speed command's prompt is taken as the speed query's reply, whose leading number is 0,
    // so the user is asked again.
    EXPECT_EQ(rig.label(), "isnt 19200");
}

TEST_F(Preparation, ARejectedPortQueryGoesStraightToTheBootLanguage) {
    exchange("E-113> ");
    exchange("-113,\"Undefined header\"\r\nscpi > ");
    EXPECT_EQ(rig.state.prepStep, 1);
    EXPECT_EQ(exchange("scpi > "), "syst:lang \"install\"\r\n");
}

TEST_F(Preparation, ASlowPortSendsOneRecordPerBurst) {
    rig.port.setSettings("4800,n,8,1");
    rig.state.prepStep = 2;
    exchange("scpi > ");
    EXPECT_EQ(rig.state.downloadBurst, 1);
}

}  // namespace
}  // namespace kestrix
