#include <gtest/gtest.h>

#include "download_rig.h"

namespace kestrix {
namespace {

using testing::downLine;
using testing::DownloadRig;
using testing::firmware;
using testing::packetOf;
using testing::prompts;

TEST(FirmwareTransfer, SendsTwoPacketsOfTenAndTheNextOnceTenPromptsArrive) {
    DownloadRig rig;
    const auto records = firmware(38);  // 40 records
    rig.readyWith(records);
    EXPECT_FALSE(rig.form1.Timer1.enabled);
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{packetOf(records, 0, 10), packetOf(records, 10, 10)}));
    EXPECT_EQ(rig.label(), "sending buf2");
    EXPECT_EQ(rig.window.Text2.text(), "20");

    rig.port.receive(prompts(9));
    rig.downloadTick();
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_EQ(rig.label(), "waiting on buf 1 response 10");
    rig.port.receive("scpi > ");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 10)});
    rig.port.receive(prompts(10));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 30, 10)});
    EXPECT_EQ(rig.download.vars().currentRecord, records.back());
    EXPECT_EQ(rig.window.Text1.text(), records.back());
    EXPECT_EQ(rig.window.prgRecords.value, 40);
    EXPECT_EQ(rig.window.prgRecords.maximum, 40);
}

TEST(FirmwareTransfer, SendsOneRecordPerPacketBelow9600Baud) {
    DownloadRig rig;
    const auto records = firmware(3);
    rig.readyWith(records, "4800,n,8,1");
    EXPECT_EQ(rig.state.downloadBurst, 1);
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{downLine(records[0]), downLine(records[1])}));
    rig.port.receive("scpi > ");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{downLine(records[2])});
}

// Found by fuzzing: prompts waiting unread when the first packets went out were counted as their
// answers, and a third packet followed while two were still unanswered.
TEST(FirmwareTransfer, PromptsThatArrivedBeforeThePacketsAnswerNone) {
    DownloadRig rig;
    const auto records = firmware(2);  // 4 records, one per packet
    rig.readyWith(records, "4800,n,8,1");
    rig.port.receive(prompts(3));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{downLine(records[0]), downLine(records[1])}));
    rig.downloadTicks(2);
    EXPECT_TRUE(rig.writes().empty());
    rig.port.receive("scpi > ");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{downLine(records[2])});
}

// Found by fuzzing: a stray "E-" read after the last prompt went on matching across the next
// packets' write and swallowed the first prompt that answered them, and the download stalled.
TEST(FirmwareTransfer, APromptBegunWithNothingInFlightAnswersNoneOfTheNextPackets) {
    DownloadRig rig;
    const auto records = firmware(3);  // 5 records, one per packet
    rig.readyWith(records, "4800,n,8,1");
    rig.downloadTick();
    rig.port.receive(prompts(2) + "E-");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{downLine(records[0]), downLine(records[1]), downLine(records[2]),
                                                      downLine(records[3])}));
    rig.port.receive(prompts(2));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{downLine(records[4])});
    rig.port.receive("scpi > ");
    rig.downloadTicks(2);
    EXPECT_FALSE(rig.state.downloadPrep);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Download has Completed");
}

TEST(FirmwareTransfer, AShortLastPacketIsAnnouncedAndCompletionFollowsBothPackets) {
    DownloadRig rig;
    const auto records = firmware(21);  // 23 records: 10, 10, then 3
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    rig.port.receive(prompts(10));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 3)});
    EXPECT_EQ(rig.label(), "z is 3");
    EXPECT_EQ(rig.beeper.beeps, 3);  // the end of the file
    rig.port.receive(prompts(10));
    rig.downloadTick();
    EXPECT_TRUE(rig.state.downloadPrep);
    rig.port.receive(prompts(3));
    rig.downloadTicks(3);

    EXPECT_FALSE(rig.state.downloadPrep);
    EXPECT_EQ(rig.window.Text4.text(), "DONE");
    EXPECT_EQ(rig.beeper.beeps, 6);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Download has Completed");
    EXPECT_NE(rig.dialogs.messages[0].text.find("form.  Note that"), std::string::npos);
    EXPECT_EQ(rig.dialogs.messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(rig.forms.frmShowLog.cmbSendSCPI.text, ":SYST:LANG \"PRIMARY\"");
    EXPECT_EQ(rig.forms.frmShowLog.lblSend.caption, "Select this command to return to normal product operation");
    EXPECT_FALSE(rig.window.Timer1.enabled);
    EXPECT_TRUE(rig.form1.Timer1.enabled);
    EXPECT_TRUE(rig.form1.disableUpdates.checked);
    EXPECT_FALSE(rig.window.cmdStopDownload.visible);
    EXPECT_TRUE(rig.window.cmdDoDownload.enabled);
    EXPECT_TRUE(rig.window.cmdCloseDownForm.enabled);
    EXPECT_EQ(rig.download.vars().linesSent, 23);
    EXPECT_EQ(rig.window.Text3.text(), "0");
}

TEST(FirmwareTransfer, AnErrorPromptResendsBothPacketsAfterTheLinesInFlightAndClearStatus) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    rig.port.receive(prompts(4) + "E-224> " + prompts(2));
    rig.downloadTick();
    EXPECT_EQ(rig.label(), "got an error in response");
    EXPECT_TRUE(rig.writes().empty());  // 13 lines are still on their way
    rig.port.receive(prompts(13));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{"*cls\r\n"});
    rig.port.receive("scpi > ");
    rig.downloadTick();
    EXPECT_EQ(rig.label(), "got scpi > from *cls");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{packetOf(records, 0, 10), packetOf(records, 10, 10)}));
    EXPECT_EQ(rig.label(), "re-sending buf2");
    EXPECT_EQ(rig.window.Text3.text(), "2");
    EXPECT_EQ(rig.window.Text2.text(), "20");  // first sends only
    rig.port.receive(prompts(10));
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 10)});
}

TEST(FirmwareTransfer, ALineRejectedInTheReadThatAcknowledgesThePacketBeforeItIsSentAgain) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    rig.port.receive(prompts(10) + prompts(3) + "E-224> " + prompts(6));  // packet 1 done, line 14 refused
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{"*cls\r\n"});
    rig.port.receive("scpi > ");
    rig.downloadTicks(2);
    // Packet 1 takes the next records, packet 2 goes out again unchanged.
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{packetOf(records, 20, 10), packetOf(records, 10, 10)}));
    EXPECT_EQ(rig.window.Text3.text(), "1");
    EXPECT_EQ(rig.window.Text2.text(), "30");
}

TEST(FirmwareTransfer, RecognisesPromptsSplitAcrossReads) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    const std::string all = prompts(9) + "scpi > " + "E-2";
    for (char c : all) {
        rig.port.receive(std::string(1, c));
        rig.downloadTick();
    }
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 10)});
    rig.port.receive("24");
    rig.downloadTick();
    rig.port.receive("> ");
    rig.downloadTick();
    EXPECT_EQ(rig.label(), "got an error in response");
}

TEST(FirmwareTransfer, TenSecondsOfSilenceSendTheUnfinishedPacketsAgainAcrossMidnight) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.clock.seconds = 86395;
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    rig.port.receive(prompts(3));  // counted toward packet 1, then forgotten at the time-out
    rig.downloadTick();
    rig.clock.advance(10);
    rig.downloadTick();
    EXPECT_TRUE(rig.writes().empty());
    rig.clock.advance(0.5);
    rig.downloadTick();
    EXPECT_EQ(rig.label(), "timed out");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{packetOf(records, 0, 10), packetOf(records, 10, 10)}));
    rig.port.receive(prompts(9));
    rig.downloadTick();
    EXPECT_TRUE(rig.writes().empty());  // the count starts afresh after a time-out
    rig.port.receive("scpi > ");
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 10)});
}

TEST(FirmwareTransfer, AReceiverSilentForAMinuteEndsTheDownloadAndSaysWhatToDo) {
    DownloadRig rig;
    rig.readyWith(firmware(38));
    for (int i = 0; i < 8 && rig.state.downloadPrep; ++i) {
        rig.downloadTick();
        rig.clock.advance(11);
        rig.downloadTick();
    }
    EXPECT_FALSE(rig.state.downloadPrep);
    EXPECT_FALSE(rig.window.Timer1.enabled);
    EXPECT_EQ(rig.window.Text3.text(), "10");  // five rounds of two packets re-sent
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].title, "Download Ended Early");
    EXPECT_NE(rig.window.lblOutcome.caption.find("stopped answering"), std::string::npos);
    EXPECT_NE(rig.window.lblOutcome.caption.find("needs a complete download"), std::string::npos);
    EXPECT_TRUE(rig.window.cmdDoDownload.enabled);
}

TEST(FirmwareTransfer, APortThatGoesAwayEndsTheDownload) {
    DownloadRig rig;
    rig.readyWith(firmware(38));
    rig.downloadTick();
    rig.port.setPortOpen(false);
    rig.downloadTick();
    EXPECT_FALSE(rig.state.downloadPrep);
    EXPECT_NE(rig.window.lblOutcome.caption.find("The port closed"), std::string::npos);
}

TEST(FirmwareTransfer, TheMinutesBoxStaysEmptyUntil500LinesThenEstimatesFromTheRate) {
    DownloadRig rig;
    const auto records = firmware(598);  // 600 records
    rig.readyWith(records);
    rig.downloadTick();
    while (rig.window.Text4.text().empty() && rig.state.downloadPrep) {
        rig.clock.advance(6);  // 10 records every 6 seconds: 0.01 minutes per record
        rig.port.receive(prompts(10));
        rig.downloadTick();
    }
    // Rates are sampled every 110 records; the first sample past 500 lines is at 550, with 50
    // records left at 0.01 minutes each.
    EXPECT_EQ(rig.download.vars().linesSent, 550);
    EXPECT_EQ(rig.window.Text4.text(), ".5");
    EXPECT_TRUE(rig.window.Label4.visible);
    while (rig.state.downloadPrep) {
        rig.port.receive(prompts(10));
        rig.downloadTick();
    }
    EXPECT_EQ(rig.window.Text4.text(), "DONE");
}

}  // namespace
}  // namespace kestrix
