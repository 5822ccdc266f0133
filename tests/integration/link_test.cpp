// The link engine over a pseudo-terminal against the receiver simulator: the link comes up,
// views refresh, silence and errors are handled, and the download preparation runs to the end.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/sim_program.h"

namespace kestrix {
namespace {

using testing::SimProgram;

void setEcho(SimProgram& program, bool on) {
    program.receiver.withModel([on](sim::ReceiverModel& model) { model.state().portInUse().echo = on; });
}

void setModel(SimProgram& program, const std::string& model) {
    sim::SimOptions options = program.receiver.options();
    options.identity.model = model;
    program.receiver.setOptions(options);
}

// Runs until the status screen has arrived `count` more times.
bool statusScreens(SimProgram& program, int count) {
    int seen = 0;
    bool wasReceived = false;
    return program.runUntil([&] {
        const bool received = program.label() == "received status";
        if (received && !wasReceived) ++seen;
        wasReceived = received;
        return seen >= count;
    });
}

TEST(LinkOnTheLine, StatusScreensArriveAgainAndAgain) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix (connected to 73408K @Com1)");
    EXPECT_EQ(program.app.forms.frmShowLog.caption, "Control & Query (connected to 73408K @Com1)");
    EXPECT_TRUE(findMenuItem(program.app.forms.frmShowLog, "mnuTst")->visible);
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 3));
    const std::string& screen = program.form1.Term.text();
    EXPECT_NE(screen.find("Receiver Status"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("scpi > "), std::string::npos);
}

TEST(LinkOnTheLine, WithEchoOnTheScreenIsTheSame) {
    SimProgram program;
    setEcho(program, true);
    ASSERT_TRUE(program.connect()) << program.label();
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix (connected to 73408K @Com1)");
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 2));
    const std::string& screen = program.form1.Term.text();
    EXPECT_EQ(screen.find(":syst:prin?"), std::string::npos) << screen;
    EXPECT_EQ(screen.rfind("-------------------------------- Receiver Status", 0), 0u) << screen;
}

TEST(LinkOnTheLine, AnotherModelHidesTheModelSpecificEntries) {
    SimProgram program;
    setModel(program, "Fennomir-6");
    ASSERT_TRUE(program.connect()) << program.label();
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix (connected to Fennomir-6 @Com1)");
    for (MenuItem* entry : program.app.forms.frmShowLog.modelSpecificEntries()) EXPECT_FALSE(entry->visible);
}

TEST(LinkOnTheLine, SilenceFallsBackToProbingAndTheLinkComesBack) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 1));
    sim::SimOptions options = program.receiver.options();
    options.silentLines = 4;
    program.receiver.setOptions(options);
    ASSERT_TRUE(program.runUntil([&] { return program.label() == "requesting status"; }));
    program.clock.advance(7);
    ASSERT_TRUE(program.runUntil([&] { return program.label() == "No response from unit"; }));
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix");
    ASSERT_TRUE(program.bringLinkUp()) << program.label();
    ASSERT_TRUE(statusScreens(program, 1));
}

TEST(LinkOnTheLine, AnErrorPromptLeadsToReadingTheError) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    sim::SimOptions options = program.receiver.options();
    options.errorOnLine = 1;
    program.receiver.setOptions(options);
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(program.runUntil([&] { return program.label() == "Received error reply"; }));
    ASSERT_TRUE(statusScreens(program, 1));
}

TEST(LinkOnTheLine, PromptsSplitIntoSmallChunksStillMatch) {
    SimProgram program;
    sim::SimOptions options = program.receiver.options();
    options.chunkSize = 3;
    options.chunkPause = std::chrono::milliseconds(1);
    program.receiver.setOptions(options);
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 1));
    EXPECT_NE(program.form1.Term.text().find("Receiver Status"), std::string::npos);
}

TEST(LinkOnTheLine, TheClockViewShowsTheReceiversTime) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.funcClock.onClick();
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(program.runUntil([&] { return program.label() == "received clock"; }));
    const std::string& clock = program.app.forms.frmClock.lblClock.caption;
    ASSERT_EQ(clock.size(), 8u) << clock;
    EXPECT_EQ(clock[2], ':');
    EXPECT_EQ(clock[5], ':');
}

TEST(LinkOnTheLine, TheTerminalViewPassesTypedLinesAndShowsTheAnswer) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.disableUpdates.checked = false;
    TextBox& terminal = program.app.forms.frmTerminal.txtTerminal;
    terminal.setText({});
    for (char key : std::string("*idn?\r")) terminal.onKeyPress(key);
    EXPECT_TRUE(program.form1.funcTermEmul.checked);
    ASSERT_TRUE(program.runUntil([&] { return terminal.text().find("73408K") != std::string::npos; }))
        << terminal.text();
    EXPECT_NE(terminal.text().find("Morvandelle,73408K,MDL-26-00417,R7.c"), std::string::npos);
}

TEST(LinkOnTheLine, ThePreparationSequenceEndsWithTheFlashErased) {
    SimProgram program;
    sim::SimOptions options = program.receiver.options();
    options.eraseTime = std::chrono::milliseconds(50);
    options.line.baud = 19200;
    program.receiver.setOptions(options);
    program.port.setSettings("19200,n,8,1");
    ASSERT_TRUE(program.connect()) << program.label();
    program.state().downloadPrep = true;
    program.state().prepStep = -4;
    ASSERT_TRUE(program.runUntil([&] { return program.state().readyToDownload; })) << program.label();
    EXPECT_EQ(program.label(), "flash erased");
    EXPECT_FALSE(program.form1.Timer1.enabled);
    EXPECT_EQ(program.state().downloadBurst, 10);
    EXPECT_TRUE(program.dialogs.modalShown.empty());
    EXPECT_TRUE(program.receiver.withModel([](sim::ReceiverModel& m) { return m.flash().erased(); }));
}

TEST(LinkOnTheLine, AReceiverThatHangsUpLeavesItsReasonInTheStatusLine) {
    SimProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    program.receiver.hangUp();
    ASSERT_TRUE(program.runUntil([&] { return !program.port.portOpen(); }));
    const std::string reason = program.label();
    EXPECT_NE(reason.find("COM1 (" + program.receiver.devicePath() + ") was disconnected"), std::string::npos)
        << reason;
    for (int i = 0; i < 20; ++i) program.step();
    EXPECT_EQ(program.label(), reason);
    EXPECT_FALSE(program.form1.MOpen.checked);
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix");
}

// The receiver's line goes away (its pseudo-terminal closed, as an adapter pulled out) and a new
// pseudo-terminal appears at the same path later: the link polls again without the user.
TEST(LinkOnTheLine, ALineThatVanishesAndComesBackAtTheSamePathIsPolledAgain) {
    SimProgram program;
    const auto folder = std::filesystem::temp_directory_path() / ("kestrix-reopen-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    program.slot = (folder / "ttyKESTRIX").string();
    program.receiver.stop();
    program.receiver.start(program.slot);
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 1));

    program.receiver.hangUp();
    program.receiver.stop();  // the link to it goes too
    ASSERT_TRUE(program.runUntil([&] { return !program.port.portOpen(); }));
    const std::string reason = program.label();
    EXPECT_NE(reason.find("was disconnected"), std::string::npos) << reason;
    for (int second = 0; second < 30; ++second) {
        program.clock.advance(1);
        program.step();
    }
    EXPECT_FALSE(program.port.portOpen());
    EXPECT_EQ(program.label(), reason);

    program.receiver.start(program.slot);
    program.clock.advance(10);
    ASSERT_TRUE(program.runUntil([&] { return program.port.portOpen(); }));
    EXPECT_TRUE(program.form1.MOpen.checked);
    ASSERT_TRUE(program.bringLinkUp()) << program.label();
    EXPECT_TRUE(statusScreens(program, 2)) << program.label();
    program.port.setPortOpen(false);
    program.receiver.stop();
    std::filesystem::remove_all(folder);
}

// Prepares a download with the dialogs answered as a user would, and afterwards gives the line
// back as the download window does when it is done.
struct PreparedProgram : SimProgram {
    PreparedProgram() {
        sim::SimOptions options = receiver.options();
        options.eraseTime = std::chrono::milliseconds(50);
        receiver.setOptions(options);
        dialogs.modalActions["FrmEchoKill2"] = [this](Window&) { app.forms.frmEchoKill2.cmdOK.onClick(); };
        dialogs.modalActions["FrmChangeBaud"] = [this](Window&) {
            app.forms.frmChangeBaud.cmdReallyDownload.onClick();
        };
        // The user takes a moment: the receiver's prompt to the speed command is in by the time
        // the computer's side changes speed.
        dialogs.modalActions["ConfigScrn"] = [this](Window&) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (port.inBufferCount() == 0 && std::chrono::steady_clock::now() < deadline) {
                port.service();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            app.forms.configScrn.Baud19dot2.onClick();
            app.forms.configScrn.OKButton.onClick();
        };
    }

    bool prepare() {
        app.forms.frmTerminal.txtTerminal.setText({});
        state().downloadPrep = true;
        state().prepStep = kPrepFindSerialPort;
        return runUntil([&] { return state().readyToDownload; });
    }

    // The reply to a command typed into Control & Query once the line is the link's again.
    std::string replyAfterwards(const std::string& command) {
        state().downloadPrep = false;
        form1.Timer1.enabled = true;
        FrmShowLog& window = app.forms.frmShowLog;
        window.txtShowLog.setText({});
        window.cmbSendSCPI.text = command;
        window.cmdSendSCPI.onClick();
        if (!runUntil([&] { return window.cmdSendSCPI.enabled; })) return "(no reply)";
        return window.txtShowLog.text();
    }
};

TEST(PreparationOnTheLine, AnEchoingReceiverHasItsEchoTurnedOffAndIsReadWholeAfterwards) {
    PreparedProgram program;
    setEcho(program, true);
    program.receiver.withModel([](sim::ReceiverModel& model) { model.state().portInUse().line.baud = 19200; });
    program.port.setSettings("19200,n,8,1");
    ASSERT_TRUE(program.connect()) << program.label();
    ASSERT_TRUE(program.prepare()) << program.label();
    EXPECT_EQ(program.dialogs.modalShown, std::vector<std::string>{"FrmEchoKill2"});
    EXPECT_EQ(program.app.forms.frmTerminal.txtTerminal.text(), "");  // no time-out
    EXPECT_FALSE(program.receiver.withModel([](sim::ReceiverModel& m) { return m.state().portInUse().echo; }));
    EXPECT_EQ(program.replyAfterwards("syst:lang?"), "\r\nSent: syst:lang?\r\nreply: \"INSTALL\"\r\n");
}

TEST(PreparationOnTheLine, ASlowLineIsSetTo19200WithOneQuestion) {
    PreparedProgram program;
    ASSERT_TRUE(program.connect()) << program.label();
    ASSERT_TRUE(program.prepare()) << program.label();
    EXPECT_EQ(program.dialogs.modalShown, (std::vector<std::string>{"FrmChangeBaud", "ConfigScrn"}));
    EXPECT_EQ(program.app.forms.frmTerminal.txtTerminal.text(), "");  // no time-out
    EXPECT_EQ(program.port.settings(), "19200,n,8,1");
    EXPECT_EQ(program.receiver.withModel([](sim::ReceiverModel& m) { return m.line().baud; }), 19200);
    EXPECT_EQ(program.state().downloadBurst, 10);
    EXPECT_TRUE(program.receiver.withModel([](sim::ReceiverModel& m) { return m.flash().erased(); }));
}

}  // namespace
}  // namespace kestrix
