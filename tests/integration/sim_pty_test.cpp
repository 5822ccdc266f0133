// The simulated receiver over a real pseudo-terminal, seen from the console's end of the line.

#include <gtest/gtest.h>

#include <mutex>

#include "receiver-sim/pty_receiver.h"
#include "sim_console_line.h"
#include "sim_srecord_support.h"

namespace kestrix::sim {
namespace {

using namespace std::chrono_literals;
using testing::ConsoleLine;
using testing::endsWithPrompt;
using testing::eventually;

const std::string kIdentity = "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ";

LineSettings at(int baud) {
    LineSettings line;
    line.baud = baud;
    return line;
}

bool allNoise(const std::string& bytes) {
    for (unsigned char c : bytes)
        if (c < 0x80) return false;
    return !bytes.empty();
}

// Keeps what the receiver received, as it received it.
struct ReceivedBytes {
    std::mutex mutex;
    std::string bytes;
    void attach(PtyReceiver& receiver) {
        receiver.setTrace([this](char direction, std::string_view data) {
            std::lock_guard lock(mutex);
            if (direction == '<') bytes += data;
        });
    }
    std::string get() {
        std::lock_guard lock(mutex);
        return bytes;
    }
};

TEST(SimulatorOnPty, AnswersWithPromptsAndErrorPromptsThroughTheLink) {
    const std::string link = ::testing::TempDir() + "sim_pty_link_" + std::to_string(::getpid());
    PtyReceiver receiver;
    receiver.start(link);
    EXPECT_EQ(receiver.devicePath(), link);
    EXPECT_EQ(receiver.slavePath().rfind("/dev/pts/", 0), 0u);
    {
        ConsoleLine console(link);
        EXPECT_EQ(console.exchange(""), "scpi > ");
        EXPECT_EQ(console.exchange("*idn?"), kIdentity);
        EXPECT_EQ(console.exchange("no:such:thing"), "E-113> ");
        EXPECT_EQ(console.exchange("syst:err?"), "-113,\"Undefined header\"\r\nscpi > ");
        console.write("*opc?\r");  // a bare CR ends a line once the line goes quiet
        EXPECT_EQ(console.readPrompted(), "1\r\nscpi > ");
    }
    receiver.stop();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);  // the link is gone
}

TEST(SimulatorOnPty, EchoesOnRequestAndFromTheStart) {
    SimOptions options;
    options.echoAtStart = true;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange(":syst:comm:ser:fdup?"), ":syst:comm:ser:fdup?\r\n1\r\nscpi > ");
    EXPECT_EQ(console.exchange("syst:comm:ser:fdup 0"), "syst:comm:ser:fdup 0\r\nscpi > ");
    EXPECT_EQ(console.exchange("*idn?"), kIdentity);
}

TEST(SimulatorOnPty, TestsBuildAlarmScenariosThroughTheLibrary) {
    PtyReceiver receiver;
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    receiver.withModel([](ReceiverModel& model) {
        model.status().clear();
        model.status().setEnable(StatusRegister::Questionable, 0x2);
        model.status().setServiceRequestEnable(stb_bit::kQuestionableSummary);
        model.status().setConditionBits(StatusRegister::Questionable, 0x2, true);
    });
    EXPECT_EQ(console.exchange("*stb?"), "72\r\nscpi > ");
    EXPECT_EQ(console.exchange(":stat:ques:even?"), "2\r\nscpi > ");
    EXPECT_EQ(console.exchange("*stb?"), "0\r\nscpi > ");
    EXPECT_EQ(
        receiver.withModel([](ReceiverModel& model) { return model.status().condition(StatusRegister::Questionable); }),
        2);
}

TEST(SimulatorOnPty, SilenceLosesLinesUntilTheCountRunsOut) {
    SimOptions options;
    options.silentLines = 2;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    console.write("*idn?\r\n\r\n");
    // The first reply to arrive is that of the third line.
    EXPECT_EQ(console.exchange("*opc?"), "1\r\nscpi > ");
    EXPECT_EQ(receiver.options().silentLines, 0);
}

TEST(SimulatorOnPty, ErrorOnTheNthLineChangedWhileRunning) {
    PtyReceiver receiver;
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange("*opc?"), "1\r\nscpi > ");
    SimOptions options = receiver.options();
    options.errorOnLine = 2;
    receiver.setOptions(options);
    EXPECT_EQ(console.exchange("*opc?"), "1\r\nscpi > ");
    EXPECT_EQ(console.exchange("*opc?"), "E-310> ");
    EXPECT_EQ(console.exchange("syst:err?"), "-310,\"System error\"\r\nscpi > ");
}

TEST(SimulatorOnPty, ChunkedOutputSplitsRepliesAndPromptsAcrossReads) {
    SimOptions options;
    options.chunkSize = 3;
    options.chunkPause = 5ms;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    console.write("*idn?\r\n");
    const auto pieces = console.readPieces([](const std::string& text) { return endsWithPrompt(text); });
    std::string all;
    for (const auto& piece : pieces) all += piece;
    EXPECT_EQ(all, kIdentity);
    EXPECT_GE(pieces.size(), 2u);
    EXPECT_NE(pieces.back(), "scpi > ");
}

TEST(SimulatorOnPty, GarbageComesBeforeTheReply) {
    SimOptions options;
    options.garbageBeforeReply = 6;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    const std::string reply = console.exchange("*opc?");
    ASSERT_EQ(reply.size(), 16u);
    EXPECT_TRUE(allNoise(reply.substr(0, 6)));
    EXPECT_EQ(reply.substr(6), "1\r\nscpi > ");
    receiver.sendRaw("\x81\x82unsolicited");
    EXPECT_EQ(console.readUntil([](const std::string& t) { return t.size() >= 13; }), "\x81\x82unsolicited");
}

TEST(SimulatorOnPty, HangingUpClosesTheConsolesEnd) {
    PtyReceiver receiver;
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange("*opc?"), "1\r\nscpi > ");
    receiver.hangUp();
    EXPECT_TRUE(receiver.hungUp());
    console.readPrompted(1000ms);
    EXPECT_TRUE(console.readsAsHungUp());
}

TEST(SimulatorOnPty, HangsUpOnTheNthLine) {
    SimOptions options;
    options.hangUpOnLine = 2;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange("*opc?"), "1\r\nscpi > ");
    console.write("*opc?\r\n");
    EXPECT_TRUE(eventually([&] { return receiver.hungUp(); }));
    EXPECT_EQ(console.readPrompted(1000ms), "");
    EXPECT_TRUE(console.readsAsHungUp());
}

TEST(SimulatorOnPty, MismatchedSpeedsGarbleBothWaysUntilTheyAgree) {
    PtyReceiver receiver;
    ReceivedBytes received;
    received.attach(receiver);
    receiver.start();
    ConsoleLine console(receiver.devicePath(), at(19200));

    console.write("*idn?\r\n");
    ASSERT_TRUE(eventually([&] { return received.get().size() == 7; }));
    EXPECT_TRUE(allNoise(received.get()));
    EXPECT_EQ(receiver.linesReceived(), 0u);  // no line end survived

    receiver.sendRaw("scpi > ");
    const std::string heard = console.readUntil([](const std::string& t) { return t.size() >= 7; });
    EXPECT_EQ(heard.size(), 7u);
    EXPECT_TRUE(allNoise(heard));

    console.setLine(at(9600));
    EXPECT_EQ(console.exchange(""), "E-113> ");  // the garbage collected so far makes no command
    EXPECT_EQ(console.exchange("*idn?"), kIdentity);

    console.setLine(LineSettings{9600, 'n', 8, 2});  // stop bits alone differ too
    console.write("*idn?\r\n");
    EXPECT_TRUE(eventually([&] { return received.get().size() == 7 + 2 + 7 + 7; }));
    EXPECT_TRUE(allNoise(received.get().substr(16)));
}

TEST(SimulatorOnPty, FollowsTheConsoleToNineteenThousandTwoHundredBaud) {
    PtyReceiver receiver;
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange("syst:comm:ser:baud 19200"), "scpi > ");  // still at the old speed
    EXPECT_EQ(receiver.options().line.baud, 19200);
    receiver.sendRaw("scpi > ");
    EXPECT_TRUE(allNoise(console.readUntil([](const std::string& t) { return t.size() >= 7; })));
    console.setLine(at(19200));
    EXPECT_EQ(console.exchange("*idn?"), kIdentity);
}

TEST(SimulatorOnPty, LineSpeedEmulationLetsCharactersTrickle) {
    SimOptions options;
    options.line = at(1200);
    options.emulateLineSpeed = true;
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath(), at(1200));
    console.write("*idn?\r\n");
    const auto pieces = console.readPieces([](const std::string& text) { return endsWithPrompt(text); }, 5000ms);
    std::string all;
    for (const auto& piece : pieces) all += piece;
    EXPECT_EQ(all, kIdentity);
    EXPECT_GT(pieces.size(), 4u);  // 44 characters at 120 a second never come in one read
}

TEST(SimulatorOnPty, DownloadsAFileWhoseRecordsMatchByteForByte) {
    SimOptions options;
    options.eraseTime = 30ms;
    options.errorOnLine = 9;  // one record refused along the way, as on a noisy line
    PtyReceiver receiver(options);
    receiver.start();
    ConsoleLine console(receiver.devicePath());
    EXPECT_EQ(console.exchange("syst:comm?"), "1\r\nscpi > ");
    EXPECT_EQ(console.exchange("syst:lang \"install\""), "scpi > ");
    EXPECT_EQ(console.exchange("diag:eras"), "scpi > ");

    const auto records = testing::firmwareRecords(23);
    std::size_t next = 0;
    while (next < records.size()) {
        std::string packet;
        const std::size_t count = std::min<std::size_t>(10, records.size() - next);
        for (std::size_t i = 0; i < count; ++i) packet += "diag:down \"" + records[next + i] + "\"\r\n";
        console.write(packet);
        std::size_t prompts = 0;
        bool refused = false;
        const std::string replies = console.readUntil([&](const std::string& text) {
            prompts = 0;
            refused = false;
            for (std::size_t at = 0; at + 7 <= text.size(); ++at) {
                if (text.compare(at, 7, "scpi > ") == 0) ++prompts;
                if (text.compare(at, 2, "E-") == 0) refused = true, ++prompts;
            }
            return prompts == count;
        });
        ASSERT_EQ(prompts, count) << replies;
        if (refused) {
            EXPECT_EQ(console.exchange("*cls"), "scpi > ");
            continue;  // the whole packet goes again
        }
        next += count;
    }
    EXPECT_EQ(console.exchange(":SYST:LANG \"PRIMARY\""), "scpi > ");
    EXPECT_EQ(receiver.storedRecords(), records);
    EXPECT_EQ(receiver.receivedRecords().size(), records.size() + 9);  // the first packet's 9 good ones, twice
}

}  // namespace
}  // namespace kestrix::sim
