// A session recorded against the simulated receiver, then played back by the simulator from its
// record: the console sees the same receiver.

#include <gtest/gtest.h>

#include <memory>

#include "link/link_engine.h"
#include "link/session_recorder.h"
#include "receiver-sim/command_line.h"
#include "receiver-sim/replay_script.h"
#include "shared/session_record.h"
#include "support/sim_program.h"

namespace kestrix {
namespace {

constexpr char kEnter = 13;
constexpr const char* kRecordPath = "/records/session.txt";

struct Seen {
    std::string statusScreen, log;
};

// Types a Control & Query command and runs until its outcome is in the log.
bool send(testing::SimProgram& program, const std::string& command) {
    FrmShowLog& window = program.app.forms.frmShowLog;
    window.cmbSendSCPI.text = command;
    window.cmbSendSCPI.onKeyPress(kEnter);
    return program.runUntil([&] { return window.cmdSendSCPI.enabled; });
}

// Opens the port with the status view polling, lets it show the screen a few times, asks
// Control & Query for the time interval and an unknown command, and stops the polls.
Seen runSession(testing::SimProgram& program) {
    Form1& form1 = program.form1;
    FrmShowLog& window = program.app.forms.frmShowLog;
    form1.MOpen.onClick();
    EXPECT_TRUE(program.bringLinkUp()) << program.label();
    const int polls = 3;
    for (int i = 0; i < polls; ++i) {
        const auto revision = form1.Term.revision();
        EXPECT_TRUE(program.runUntil([&] { return form1.Term.revision() != revision; }));
        program.clock.advance(1);
    }
    window.txtShowLog.setText({});
    EXPECT_TRUE(send(program, ":PTIM:TINT?"));
    EXPECT_TRUE(send(program, "*IDN?"));
    form1.disableUpdates.checked = true;
    EXPECT_TRUE(program.runUntil([&] { return !program.app.link().vars().exchange; }));
    return {form1.Term.text(), window.txtShowLog.text()};
}

TEST(SessionReplay, ARecordedSessionPlayedBackShowsTheSameScreenAndLog) {
    std::string record;
    Seen recorded;
    {
        testing::SimProgram program;
        program.dialogs.saveAnswer = kRecordPath;
        program.form1.MFileRecord.onClick();
        ASSERT_TRUE(program.form1.MFileRecord.checked);
        recorded = runSession(program);
        program.form1.MFileRecord.onClick();
        record = program.fakes.files.contents.at(kRecordPath);
    }
    ASSERT_NE(recorded.statusScreen.find("UTC"), std::string::npos) << recorded.statusScreen;
    ASSERT_NE(recorded.log.find("reply: Morvandelle,73408K"), std::string::npos) << recorded.log;

    const ParsedRecord parsed = parseRecord(record);
    ASSERT_EQ(parsed.error, "");
    const sim::CommandLine commandLine = sim::parseCommandLine({"--link", "/tmp/x", "--replay", "session.txt"});
    ASSERT_EQ(commandLine.error, "");
    EXPECT_EQ(commandLine.replayPath, "session.txt");

    // The simulated receiver now knows another identity: only the record can answer as before.
    testing::SimProgram replay;
    sim::SimOptions options = replay.receiver.options();
    options.identity.model = "99999Z";
    options.replay = std::make_shared<sim::ReplayScript>(parsed.chunks);
    replay.receiver.setOptions(options);
    const Seen replayed = runSession(replay);
    EXPECT_EQ(replayed.log, recorded.log);
    // The screens come back in recorded order, the last one then again, however often the
    // playback polls.
    replay.form1.disableUpdates.checked = false;
    EXPECT_TRUE(replay.runUntil([&] {
        replay.clock.advance(0.1);
        return replay.form1.Term.text() == recorded.statusScreen;
    })) << replay.form1.Term.text();

    // A command the record does not hold gets the receiver's undefined-header error.
    replay.app.forms.frmShowLog.txtShowLog.setText({});
    ASSERT_TRUE(send(replay, ":NOSUCH:THING?"));
    EXPECT_EQ(replay.app.forms.frmShowLog.txtShowLog.text(),
              "\r\nSent: :NOSUCH:THING?\r\nreply: -113,\"Undefined header\"\r\n");
}

}  // namespace
}  // namespace kestrix
