// The kestrix-receiver-sim program's arguments.

#include <gtest/gtest.h>

#include "receiver-sim/command_line.h"

namespace kestrix::sim {
namespace {

TEST(SimulatorCommandLine, TakesEveryOptionIntoTheSimulatorsOptions) {
    const auto c =
        parseCommandLine({"--link",           "/tmp/x", "--model",           "Fennomir-6", "--port=2",     "--line",
                          "19200,E,7,2",      "--echo", "--erase-ms",        "150",        "--silent",     "3",
                          "--error-on-line",  "4",      "--error-fraction",  "0.1",        "--error-code", "-222",
                          "--garbage",        "2",      "--hang-up-on-line", "9",          "--chunk",      "5",
                          "--chunk-pause-ms", "7",      "--line-speed",      "--trace"});
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.linkPath, "/tmp/x");
    EXPECT_EQ(c.options.identity.model, "Fennomir-6");
    EXPECT_EQ(c.options.serialPort, 2);
    EXPECT_EQ(c.options.line, (LineSettings{19200, 'e', 7, 2}));
    EXPECT_TRUE(c.options.echoAtStart);
    EXPECT_EQ(c.options.eraseTime, std::chrono::milliseconds{150});
    EXPECT_EQ(c.options.silentLines, 3);
    EXPECT_EQ(c.options.errorOnLine, 4);
    EXPECT_DOUBLE_EQ(c.options.errorFraction, 0.1);
    EXPECT_EQ(c.options.injectedErrorCode, -222);
    EXPECT_EQ(c.options.garbageBeforeReply, 2);
    EXPECT_EQ(c.options.hangUpOnLine, 9);
    EXPECT_EQ(c.options.chunkSize, 5);
    EXPECT_EQ(c.options.chunkPause, std::chrono::milliseconds{7});
    EXPECT_TRUE(c.options.emulateLineSpeed);
    EXPECT_TRUE(c.trace);
}

TEST(SimulatorCommandLine, RefusesWhatItCannotUse) {
    EXPECT_NE(parseCommandLine({}).error, "");  // no link
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--line", "9601,n,8,1"}).error, "");
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--port", "3"}).error, "");
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--error-fraction", "2"}).error, "");
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--bogus"}).error, "");
    EXPECT_NE(parseCommandLine({"--link"}).error, "");
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
}

TEST(SimulatorCommandLine, HelpAndVersionNeedNoLink) {
    EXPECT_EQ(parseCommandLine({"--version"}).error, "");
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_EQ(parseCommandLine({"-h"}).error, "");
    EXPECT_NE(parseCommandLine({"--version=1"}).error, "");  // a switch takes no value
}

TEST(SimulatorCommandLine, HardwareFaultsAddUpAndTheAlarmCanBeEnabledForThem) {
    const auto c =
        parseCommandLine({"--link", "/tmp/x", "--hardware-fault", "9", "--hardware-fault=2", "--alarm-on-faults"});
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.options.hardwareFaults, (1u << 9) | (1u << 2));
    EXPECT_TRUE(c.options.alarmOnFaults);
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--hardware-fault", "13"}).error, "");
    EXPECT_NE(parseCommandLine({"--link", "/tmp/x", "--hardware-fault", "gps"}).error, "");
}

}  // namespace
}  // namespace kestrix::sim
