#include "platform/command_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/loopback_http.h"

namespace kestrix::platform {
namespace {

using namespace std::chrono_literals;

// OnAlarm's command runs beside the program: starting it never waits, its environment carries the
// variables given, and one that fails or hangs is told of (a hanging one stopped with what it
// started), never holding up its caller.
TEST(PosixCommandRunner, RunsBesideTheCallerAndReportsFailingOrHangingCommands) {
    const auto dir = std::filesystem::temp_directory_path() / ("kestrix-runner-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    PosixCommandRunner runner(2s, 3);
    std::vector<std::pair<bool, std::string>> ends;
    runner.onEnd = [&](bool failed, const std::string& text) { ends.emplace_back(failed, text); };

    const std::string out = (dir / "env").string();
    const std::string echo = "sleep 0.3; echo \"$KESTRIX_RECEIVER|$KESTRIX_CAUSES\" > " + out;
    EXPECT_EQ(runner.start(echo, {{"KESTRIX_RECEIVER", "rack1"}, {"KESTRIX_CAUSES", "GPS Failure, EFC at Limit"}}), "");
    EXPECT_EQ(runner.start("sleep 0.3; exit 4", {}), "");
    EXPECT_EQ(runner.start("sleep 30 & sleep 30", {}), "");
    EXPECT_NE(runner.start("true", {}), "") << "a fourth at once is refused: the three run on";

    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (runner.running() > 0 && std::chrono::steady_clock::now() < deadline) {
        runner.service();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(runner.running(), 0u);
    EXPECT_EQ(testing::fileText(out), "rack1|GPS Failure, EFC at Limit\n");
    ASSERT_EQ(ends.size(), 3u);
    std::sort(ends.begin(), ends.end());
    EXPECT_EQ(ends[0], (std::pair<bool, std::string>{false, "\"" + echo + "\" ended"}));
    EXPECT_EQ(ends[1].second, "\"sleep 0.3; exit 4\" failed with exit code 4");
    EXPECT_EQ(ends[2].second, "\"sleep 30 & sleep 30\" ran longer than 2 s and was stopped");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrix::platform
