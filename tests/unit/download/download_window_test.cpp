#include <gtest/gtest.h>

#include "download_rig.h"

namespace kestrix {
namespace {

using testing::DownloadRig;
using testing::fileOf;
using testing::firmware;
using testing::prompts;

TEST(DownloadWindow, TheServiceMenuEmptiesTheEstimateAndRecordBoxesAndShowsTheWindowModal) {
    DownloadRig rig;
    for (int i = 0; i < 2; ++i) {
        rig.window.Text4.setText("12.5");
        rig.window.Text1.setText("S1130000");
        bool emptyWhenShown = false;
        rig.dialogs.modalActions["frmDownload"] = [&](Window&) {
            emptyWhenShown = rig.window.Text4.text().empty() && rig.window.Text1.text().empty();
        };
        rig.forms.frmShowLog.mnuFirmware[0].onClick();
        EXPECT_TRUE(emptyWhenShown);
    }
    EXPECT_EQ(rig.dialogs.modalShown, (std::vector<std::string>{"frmDownload", "frmDownload"}));
    EXPECT_EQ(rig.forms.frmShowLog.mnuFirmware[0].caption, "&Download Firmware...");
}

TEST(DownloadWindow, FileButtonOffersTheFilterAndTakesTheChosenPath) {
    DownloadRig rig;
    rig.window.txtDownFile.setText("old.s");
    rig.window.cmdGetDownFile.onClick();  // cancelled
    EXPECT_EQ(rig.window.txtDownFile.text(), "old.s");
    rig.dialogs.fileAnswer = "/home/lab/k_4_10.s";
    rig.window.cmdGetDownFile.onClick();
    EXPECT_EQ(rig.window.txtDownFile.text(), "/home/lab/k_4_10.s");
    EXPECT_EQ(rig.dialogs.fileFilters.back(), "Download Files (*.s)|*.s|All Files (*.*)|*.*");
}

TEST(DownloadWindow, DownloadWithoutAFileAsksForOneInsteadOfWarning) {
    DownloadRig rig;
    rig.window.cmdDoDownload.onClick();
    EXPECT_EQ(rig.dialogs.modalShown, std::vector<std::string>{"frmEnterFile"});
    EXPECT_EQ(rig.forms.frmEnterFile.caption, "Enter Download File Name");
    EXPECT_FALSE(rig.download.vars().downloadStartRequest);
}

TEST(DownloadWindow, ABadFileIsRefusedBeforeTheErasureWarningWithItsFirstBadLine) {
    DownloadRig rig;
    rig.connect();
    auto records = firmware(5);
    records[4].back() = records[4].back() == '0' ? '1' : '0';
    rig.requestDownload(fileOf(records));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Firmware File Refused");
    EXPECT_NE(rig.dialogs.messages[0].text.find("Line 5: its checksum is"), std::string::npos)
        << rig.dialogs.messages[0].text;
    EXPECT_NE(rig.dialogs.messages[0].text.find("has not been erased"), std::string::npos);
    EXPECT_TRUE(rig.dialogs.modalShown.empty());
    EXPECT_FALSE(rig.download.vars().downloadStartRequest);
    rig.downloadTicks(3);
    rig.ticks(3);
    EXPECT_EQ(rig.port.written.find("diag:"), std::string::npos);  // no erasure, no records
    EXPECT_EQ(rig.port.written.find("syst:lang"), std::string::npos);

    // Unreadable, empty and record-less files go the same way.
    rig.files.failures[rig.path] = rig.path + ": Permission denied";
    rig.window.cmdDoDownload.onClick();
    rig.files.failures.clear();
    rig.requestDownload("");
    rig.requestDownload(fileOf({records[0], records.back()}));
    rig.window.txtDownFile.setText("/firmware/removed.s");
    rig.window.cmdDoDownload.onClick();
    ASSERT_EQ(rig.dialogs.messages.size(), 5u);
    EXPECT_NE(rig.dialogs.messages[1].text.find("Permission denied"), std::string::npos);
    EXPECT_NE(rig.dialogs.messages[2].text.find("The file is empty"), std::string::npos);
    EXPECT_NE(rig.dialogs.messages[3].text.find("no data record"), std::string::npos);
    EXPECT_NE(rig.dialogs.messages[4].text.find("No such file"), std::string::npos);
    EXPECT_TRUE(rig.dialogs.modalShown.empty());
}

TEST(DownloadWindow, ConfirmingWithThePortClosedShowsPortIsntOpenAndKeepsTheWarning) {
    DownloadRig rig;
    bool warningStillShown = false;
    rig.dialogs.modalActions["frmEraseWarn"] = [&](Window& w) {
        auto& warning = static_cast<FrmEraseWarn&>(w);
        warning.cmdReallyDownload.onClick();
        warningStillShown = warning.visible;
        warning.cmdDontDownload.onClick();
    };
    rig.dialogs.modalActions["frmPortNotOpen"] = [](Window& w) { static_cast<FrmPortNotOpen&>(w).Command1.onClick(); };
    rig.requestDownload(fileOf(firmware(3)));
    EXPECT_EQ(rig.dialogs.modalShown, (std::vector<std::string>{"frmEraseWarn", "frmPortNotOpen"}));
    EXPECT_TRUE(warningStillShown);
    EXPECT_FALSE(rig.download.vars().downloadStartRequest);
    EXPECT_FALSE(rig.window.Timer1.enabled);
    EXPECT_FALSE(rig.window.cmdStopDownload.visible);
    EXPECT_TRUE(rig.window.cmdDoDownload.enabled);
}

TEST(DownloadWindow, OnlyStopDownloadIsUsableWhileADownloadRuns) {
    DownloadRig rig;
    rig.connect();
    rig.requestDownload(fileOf(firmware(3)));
    EXPECT_TRUE(rig.window.Timer1.enabled);
    EXPECT_TRUE(rig.download.vars().downloadStartRequest);
    auto running = [&] {
        return rig.window.cmdStopDownload.visible && !rig.window.cmdGetDownFile.enabled &&
               !rig.window.cmdDoDownload.enabled && !rig.window.cmdCloseDownForm.enabled;
    };
    EXPECT_TRUE(running());
    rig.downloadTick();
    EXPECT_TRUE(rig.state.downloadPrep);
    EXPECT_EQ(rig.state.prepStep, -4);
    EXPECT_TRUE(rig.window.Label4.visible);
    EXPECT_TRUE(rig.form1.disableUpdates.checked);
    // The frame's close box leaves a running download's window open.
    rig.window.visible = true;
    bool cancel = false;
    rig.window.onCloseRequest(cancel);
    EXPECT_TRUE(rig.window.visible);
    EXPECT_TRUE(running());
}

TEST(DownloadWindow, StopBeforeTheErasureSaysTheFirmwareIsIntactAndSendsNothing) {
    DownloadRig rig;
    rig.connect();
    rig.requestDownload(fileOf(firmware(3)));
    rig.downloadTick();
    rig.tick();  // "syst:comm?"
    rig.port.takeWritten();
    rig.window.cmdStopDownload.onClick();
    EXPECT_FALSE(rig.state.downloadPrep);
    EXPECT_FALSE(rig.window.Timer1.enabled);
    EXPECT_FALSE(rig.window.cmdStopDownload.visible);
    EXPECT_TRUE(rig.window.cmdCloseDownForm.enabled);
    EXPECT_NE(rig.window.lblOutcome.caption.find("was not erased"), std::string::npos);
    EXPECT_EQ(rig.port.written, "");
}

TEST(DownloadWindow, StopAfterTheErasureSaysTheReceiverNeedsACompleteDownload) {
    DownloadRig rig;
    rig.readyWith(firmware(38));
    rig.downloadTick();
    rig.port.takeWritten();
    rig.window.cmdStopDownload.onClick();
    EXPECT_NE(rig.window.lblOutcome.caption.find("needs a complete download"), std::string::npos);
    EXPECT_FALSE(rig.form1.Timer1.enabled);  // stopped by the preparation; Close starts it again
    rig.port.receive(prompts(5));
    rig.downloadTicks(3);
    EXPECT_EQ(rig.port.written, "");

    rig.window.visible = true;
    rig.window.cmdCloseDownForm.onClick();
    EXPECT_FALSE(rig.window.visible);
    EXPECT_TRUE(rig.form1.Timer1.enabled);
    EXPECT_FALSE(rig.window.Label4.visible);
    EXPECT_FALSE(rig.window.Text4.visible);
}

// Stopped while a preparation command's reply is on its way, the preparation ignores that reply
// when it comes: no dialog of the preparation opens, the main timer stays on, and the link goes
// back to its views.
TEST(DownloadWindow, AReplyThatArrivesAfterStopIsIgnored) {
    struct Case {
        const char* command;
        const char* lateReply;
    };
    for (const Case c :
         {Case{"fdup?", "1\r\nscpi > "}, Case{"baud?", "9600\r\nscpi > "}, Case{"diag:eras", "scpi > "}}) {
        DownloadRig rig;
        rig.connect();
        rig.requestDownload(fileOf(firmware(3)));
        rig.answerPreparation(c.command);
        rig.window.cmdStopDownload.onClick();
        rig.form1.disableUpdates.checked = false;  // the user lets the views poll again
        rig.port.receive(c.lateReply);
        rig.ticks(2);
        EXPECT_EQ(rig.dialogs.modalShown, std::vector<std::string>{"frmEraseWarn"}) << c.command;
        EXPECT_TRUE(rig.form1.Timer1.enabled) << c.command;
        EXPECT_FALSE(rig.state.readyToDownload) << c.command;
        EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n") << c.command;
    }
}

TEST(DownloadWindow, ADownloadAfterAStoppedOneWaitsForQuietThenPreparesAgain) {
    DownloadRig rig;
    const auto records = firmware(3);
    rig.readyWith(records);
    rig.downloadTick();
    rig.window.cmdStopDownload.onClick();
    rig.port.takeWritten();

    rig.window.cmdDoDownload.onClick();  // the same file, confirmed again
    rig.downloadTick();
    EXPECT_FALSE(rig.state.downloadPrep);  // answers to the stopped download may still come
    rig.port.receive(prompts(3));
    rig.clock.advance(1.5);
    rig.downloadTick();
    rig.clock.advance(1.5);
    rig.downloadTick();
    EXPECT_FALSE(rig.state.downloadPrep);
    rig.clock.advance(0.6);
    rig.downloadTick();
    EXPECT_TRUE(rig.state.downloadPrep);
    EXPECT_TRUE(rig.form1.Timer1.enabled);
    rig.answerPreparation();
    rig.port.takeWritten();
    rig.downloadTick();
    rig.port.receive(prompts(static_cast<int>(records.size())));
    rig.downloadTicks(3);
    EXPECT_EQ(rig.window.Text4.text(), "DONE");
}

}  // namespace
}  // namespace kestrix
