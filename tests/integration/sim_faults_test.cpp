// The fault options of the receiver model: silence, error prompts, noise and hanging up.

#include <gtest/gtest.h>

#include "receiver-sim/receiver_model.h"

namespace kestrix::sim {
namespace {

std::string line(ReceiverModel& model, const std::string& command) { return model.exchange(command + "\r\n"); }

bool allNoise(const std::string& bytes) {
    for (unsigned char c : bytes)
        if (c < 0x80) return false;
    return !bytes.empty();
}

TEST(SimulatedFaults, SilentLinesAreLostWithoutEchoOrEffect) {
    SimOptions options;
    options.echoAtStart = true;
    options.silentLines = 2;
    ReceiverModel model(options);
    EXPECT_EQ(line(model, ""), "");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN 20"), "");
    EXPECT_EQ(model.options().silentLines, 0);
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN?"), ":GPS:SAT:TRAC:EMAN?\r\n10\r\nscpi > ");
    EXPECT_EQ(model.linesReceived(), 3u);
}

TEST(SimulatedFaults, StaysSilentWhileSilencedAndAnswersAgainAfterwards) {
    ReceiverModel model;
    SimOptions options = model.options();
    options.silent = true;
    model.setOptions(options);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(line(model, "*idn?"), "");
    options.silent = false;
    model.setOptions(options);
    EXPECT_EQ(line(model, ""), "scpi > ");
}

TEST(SimulatedFaults, AnswersTheNthLineWithTheInjectedErrorInsteadOfActing) {
    SimOptions options;
    options.errorOnLine = 2;
    options.injectedErrorCode = -350;
    ReceiverModel model(options);
    EXPECT_EQ(line(model, "*opc?"), "1\r\nscpi > ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN 20"), "E-350> ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN?"), "10\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:err?"), "-350,\"Queue overflow\"\r\nscpi > ");
    EXPECT_EQ(line(model, "*opc?"), "1\r\nscpi > ");  // once only
}

TEST(SimulatedFaults, AnswersAShareOfLinesWithErrorsEvenlySpread) {
    SimOptions options;
    options.errorFraction = 0.25;
    ReceiverModel model(options);
    std::string pattern;
    for (int i = 0; i < 12; ++i) pattern += line(model, "*opc?") == "E-310> " ? 'E' : '.';
    EXPECT_EQ(pattern, "...E...E...E");
    EXPECT_EQ(line(model, "syst:err?"), "-310,\"System error\"\r\nscpi > ");
}

TEST(SimulatedFaults, SendsNoiseBeforeEveryReply) {
    SimOptions options;
    options.garbageBeforeReply = 5;
    ReceiverModel model(options);
    const std::string reply = line(model, "*opc?");
    ASSERT_EQ(reply.size(), 5u + 10u);
    EXPECT_TRUE(allNoise(reply.substr(0, 5)));
    EXPECT_EQ(reply.substr(5), "1\r\nscpi > ");
    const std::string next = line(model, "");
    EXPECT_EQ(next.substr(5), "scpi > ");
    EXPECT_NE(next.substr(0, 5), reply.substr(0, 5));
}

TEST(SimulatedFaults, HangsUpOnTheNthLineAndHearsNothingMore) {
    SimOptions options;
    options.hangUpOnLine = 2;
    ReceiverModel model(options);
    EXPECT_EQ(line(model, "*opc?"), "1\r\nscpi > ");
    const auto last = model.receive("*opc?\r\n*opc?\r\n");
    ASSERT_EQ(last.size(), 1u);
    EXPECT_TRUE(last[0].hangUp);
    EXPECT_TRUE(model.hungUp());
    EXPECT_TRUE(model.receive("*opc?\r\n").empty());
}

TEST(SimulatedFaults, OptionsReportTheReceiversOwnLineAfterItChangedIt) {
    ReceiverModel model;
    line(model, "syst:comm:ser:baud 19200");
    SimOptions options = model.options();
    EXPECT_EQ(options.line.baud, 19200);
    options.silentLines = 1;
    model.setOptions(options);
    EXPECT_EQ(model.line().baud, 19200);
    EXPECT_EQ(line(model, "*opc?"), "");
}

}  // namespace
}  // namespace kestrix::sim
