#include "link/session_recorder.h"

#include <gtest/gtest.h>

#include "shared/session_record.h"
#include "support/rig.h"

namespace kestrix {
namespace {

constexpr const char* kPath = "/records/session.txt";

struct SessionRecording : ::testing::Test {
    testing::Rig rig;
    platform::FakeFiles& files = rig.fakes.files;
    MenuItem& item = rig.form1.MFileRecord;

    void startRecording() {
        rig.dialogs.saveAnswer = kPath;
        item.onClick();
    }
    ParsedRecord record() const { return parseRecord(files.contents.at(kPath)); }
    // What the record holds in one direction, its chunks joined.
    std::string recorded(TrafficDirection direction) const {
        std::string bytes;
        for (const RecordedChunk& chunk : record().chunks)
            if (chunk.direction == direction) bytes += chunk.bytes;
        return bytes;
    }
};

TEST_F(SessionRecording, EveryByteEitherWayIsKeptWithItsTimeUntilTheUserStops) {
    rig.clock.date = {2026, 12, 8};
    startRecording();
    EXPECT_TRUE(item.checked);
    EXPECT_EQ(rig.dialogs.saveTitles, std::vector<std::string>{"Record Session"});

    rig.port.receive("noise before the port was opened");  // thrown away on opening, still recorded
    rig.connect();
    rig.sendCommand("*IDN?");
    rig.tick();
    rig.clock.advance(0.25);
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.ticks(2);
    ASSERT_TRUE(rig.log().ends_with("reply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n"));

    const std::string sentSinceConnecting = rig.port.written;
    item.onClick();
    EXPECT_FALSE(item.checked);
    rig.sendCommand("*CLS");  // after the stop: not recorded
    rig.tick();

    const ParsedRecord parsed = record();
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(files.contents.at(kPath).starts_with(kSessionRecordHeading));
    EXPECT_NE(files.contents.at(kPath).find("# stopped 2026-12-08T12:00:05.250Z\n"), std::string::npos);
    EXPECT_EQ(recorded(TrafficDirection::Received).substr(0, 32), "noise before the port was opened");
    EXPECT_TRUE(recorded(TrafficDirection::Received)
                    .ends_with("R7.c\r\nscpi > Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > "));
    EXPECT_TRUE(sentSinceConnecting.starts_with("*IDN?\r\n"));
    EXPECT_TRUE(recorded(TrafficDirection::Sent).ends_with(sentSinceConnecting));
    EXPECT_EQ(recorded(TrafficDirection::Sent).find("*CLS"), std::string::npos);
    EXPECT_DOUBLE_EQ(parsed.chunks.back().utcSeconds, rig.clock.utcSeconds());
}

TEST_F(SessionRecording, ACancelledOrUnwritableChoiceRecordsNothing) {
    item.onClick();  // the dialog cancelled
    EXPECT_FALSE(item.checked);
    EXPECT_TRUE(files.contents.empty());

    files.failures[kPath] = "/records/session.txt: Permission denied";
    startRecording();
    EXPECT_FALSE(item.checked);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text,
              "The session record cannot be written: /records/session.txt: Permission denied");
    rig.connect();  // the link is unaffected
    EXPECT_EQ(rig.forms.frmShowLog.caption, "Control & Query (connected to 73408K @Com1)");
}

TEST_F(SessionRecording, AFailedWriteStopsRecordingTellsTheUserOnceAndTheLinkGoesOn) {
    rig.connect();
    startRecording();
    files.writeFailures[kPath] = "/records/session.txt: No space left on device";

    rig.sendCommand("*IDN?");
    rig.tick();  // the write fails as the command goes out
    EXPECT_FALSE(item.checked);
    EXPECT_TRUE(rig.dialogs.messages.empty());  // not inside the exchange
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.ticks(2);
    EXPECT_TRUE(rig.log().ends_with("reply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n"));

    ASSERT_TRUE(rig.form1.recordNoticeTimer.enabled);
    rig.form1.recordNoticeTimer.fire();
    rig.form1.recordNoticeTimer.fire();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text,
              "Recording stopped: the session record cannot be written: "
              "/records/session.txt: No space left on device");
    EXPECT_FALSE(rig.form1.recordNoticeTimer.enabled);

    files.writeFailures.clear();  // a new recording starts afresh
    startRecording();
    EXPECT_TRUE(item.checked);
    EXPECT_TRUE(files.contents.at(kPath).starts_with(kSessionRecordHeading));
}

}  // namespace
}  // namespace kestrix
