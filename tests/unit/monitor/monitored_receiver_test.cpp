#include "program/monitored_receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "link/link_engine.h"
#include "platform/fake_serial_port.h"
#include "platform/files.h"
#include "program/forms.h"
#include "trend/record.h"

namespace kestrix {
namespace {

// One monitored receiver on the fake port and clock, against a scripted receiver that answers
// each command a few ticks after it was written, with status registers the test sets.
struct MonitoredReceiverTest : ::testing::Test {
    platform::FakeClock clock;
    platform::HeadlessServices services;
    monitor::MonitorConfig monitorConfig;
    monitor::ReceiverConfig config;
    platform::FakeSerialPort* port = nullptr;
    std::unique_ptr<MonitoredReceiver> receiver;
    std::vector<std::string> commands;
    std::vector<std::string> logged;
    std::vector<monitor::AlarmState> alarms;

    std::map<std::string, std::string> registers{{":STAT:OPER:HARD:COND?", "0"}, {"*STB?", "0"}};
    bool silent = false;
    bool garbage = false;
    std::string pending;
    int answerIn = 0;

    void SetUp() override {
        clock.seconds = 12 * 3600;
        services.clock = &clock;
        config.name = "rack1";
        config.port = "/dev/ttyFAKE";
        config.trend = {":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"};
        config.intervalSeconds = 2;
        config.statusSeconds = 3;
    }

    void start() {
        auto fake = std::make_unique<platform::FakeSerialPort>();
        port = fake.get();
        receiver = std::make_unique<MonitoredReceiver>(
            config, monitorConfig, std::move(fake), services,
            [this](monitor::Level, const std::string& text) { logged.push_back(text); });
        receiver->onAlarmChange = [this](const std::string&, const monitor::AlarmState& s) { alarms.push_back(s); };
    }

    std::string replyTo(const std::string& command) {
        if (command.empty() || command == ":syst:comm:ser:fdup?") return "0\r\nscpi > ";
        if (command == "*idn?") return "Morvandelle,73408K,RX-0099,R9.q\r\nscpi > ";
        if (command == ":SYNC:TINT?") return "+2.5E-08\r\nscpi > ";
        if (command == ":DIAG:ROSC:EFC:ABS?") return "+4.75E+01\r\nscpi > ";
        const auto found = registers.find(command);
        return (found == registers.end() ? "0" : found->second) + "\r\nscpi > ";
    }

    // 50 ms pass; the link is ticked when it asked to be or input arrived, as the service does.
    void step() {
        clock.advance(0.05);
        receiver->openIfDue(clock.utcSeconds());
        if (answerIn > 0 && --answerIn == 0) {
            if (garbage) port->receive(std::string(4000, 'Z'));
            else if (!silent) port->receive(replyTo(pending));
        }
        receiver->service();
        if (!port->portOpen()) return;
        if (!port->inBuffer.empty() || clock.utcSeconds() >= receiver->nextTickAt()) receiver->tick();
        const std::string written = port->takeWritten();
        if (written.empty()) return;
        pending = written.substr(0, written.size() - 2);
        commands.push_back(pending);
        answerIn = 3;
    }
    void run(double seconds) {
        for (int i = 0; i < static_cast<int>(std::lround(seconds / 0.05)); ++i) step();
    }
    bool sent(const std::string& part) const {
        return std::any_of(commands.begin(), commands.end(), [&](const std::string& c) {
            std::string lower = c;
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            return lower.find(part) != std::string::npos;
        });
    }
    const monitor::ReceiverReadings& readings() const { return receiver->readings(); }
};

// Reading an event register clears it, so the person at the console would lose what latched:
// the monitor reads conditions and the status byte, and events only when allowed to clear them.
TEST_F(MonitoredReceiverTest, ReadsEventsOnlyWhenAllowedToClearThem) {
    for (const bool clear : {false, true}) {
        SCOPED_TRACE(clear);
        commands.clear();
        monitorConfig.clearAlarms = clear;
        registers = {{":STAT:OPER:HARD:COND?", "0"},
                     {"*STB?", "128"},
                     {"*sre?", "128"},
                     {"*stb?", "128"},
                     {":stat:oper:enab?", "32"},
                     {":stat:oper:even?", "32"},
                     {":stat:oper:hard:enab?", "512"},
                     {":stat:oper:hard:even?", "512"}};
        start();
        run(16);
        for (const char* read : {":stat:oper:hard:cond?", ":stat:ques:cond?", "*stb?", "*idn?", ":sync:tint?"})
            EXPECT_TRUE(sent(read)) << read;
        EXPECT_EQ(sent("even?"), clear);
        EXPECT_EQ(sent("*esr?"), clear);
        EXPECT_FALSE(sent(":syst:prin?")) << "no view is polled";
        EXPECT_EQ(readings().alarm.active, clear) << "the status byte raised no service request";
        EXPECT_EQ(readings().alarm.causes,
                  clear ? std::vector<std::string>{"GPS Failure"} : std::vector<std::string>{});
    }
}

TEST_F(MonitoredReceiverTest, ReadsIdentityTrendAndCountsEveryExchange) {
    start();
    run(12);
    const monitor::ReceiverReadings& r = readings();
    EXPECT_TRUE(r.up);
    ASSERT_TRUE(r.identity);
    EXPECT_EQ(r.identity->serialNumber, "RX-0099");
    EXPECT_EQ(r.identity->firmware, "R9.q");
    EXPECT_DOUBLE_EQ(r.trend.at(":SYNC:TINT?"), 2.5e-8);
    EXPECT_DOUBLE_EQ(r.trend.at(":DIAG:ROSC:EFC:ABS?"), 47.5);
    // The first probe after opening times out at once by the link's design and is not counted.
    EXPECT_EQ(r.exchanges, commands.size() - 1 - (receiver->link().vars().exchange ? 1 : 0));
    EXPECT_EQ(r.timeouts, 0u) << "the quiet wait after the first probe is no time-out";
    // Between its rounds the link is quiet: only the status and trend queries went out.
    const auto trendQueries = std::count(commands.begin(), commands.end(), ":SYNC:TINT?");
    EXPECT_GE(trendQueries, 3);
    EXPECT_LE(trendQueries, 5);
}

TEST_F(MonitoredReceiverTest, RunsTheAlarmOncePerChange) {
    registers[":STAT:OPER:HARD:COND?"] = "512";
    registers["*STB?"] = "192";
    start();
    run(12);
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_TRUE(alarms[0].active);
    EXPECT_EQ(alarms[0].causes, std::vector<std::string>{"GPS Failure"});
    registers[":STAT:OPER:HARD:COND?"] = "0";  // mended, but the event stays latched
    run(5);
    ASSERT_EQ(alarms.size(), 2u);
    EXPECT_TRUE(alarms[1].active);
    EXPECT_TRUE(alarms[1].causes.empty());
    registers["*STB?"] = "0";  // cleared at the console
    run(12);
    ASSERT_EQ(alarms.size(), 3u);
    EXPECT_FALSE(alarms[2].active);
}

TEST_F(MonitoredReceiverTest, SilenceGarbageAndALostPortComeBackBounded) {
    start();
    run(8);
    ASSERT_TRUE(readings().up);
    for (bool* fault : {&silent, &garbage}) {
        SCOPED_TRACE(fault == &silent ? "silent" : "garbage");
        *fault = true;
        run(30);
        EXPECT_FALSE(readings().up);
        EXPECT_GT(readings().timeouts, 0u);
        for (const TextBox* text : {&receiver->forms().frmTerminal.txtTerminal, &receiver->forms().form1.Term})
            EXPECT_LE(text->text().size(), MonitoredReceiver::kUnseenTextLimit + 4096);
        *fault = false;
        const auto identities = std::count(commands.begin(), commands.end(), "*idn?");
        run(15);
        EXPECT_TRUE(readings().up);
        EXPECT_GT(std::count(commands.begin(), commands.end(), "*idn?"), identities) << "identity read again";
    }
    port->failOpen = "/dev/ttyFAKE: No such file or directory";
    port->lose("/dev/ttyFAKE was disconnected");
    run(20);
    EXPECT_FALSE(readings().up);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "rack1: /dev/ttyFAKE: No such file or directory"), 1)
        << ::testing::PrintToString(logged);
    port->failOpen.clear();
    run(15);
    EXPECT_TRUE(port->portOpen());
    EXPECT_TRUE(readings().up);
}

TEST_F(MonitoredReceiverTest, RecordsEachTrendQueryInTheTrendWindowsFormat) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("kestrix-monitor-records-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    monitorConfig.recordFolder = folder.string();
    start();
    run(12);
    platform::PosixFiles posixFiles;
    const RecordedFile tint = readRecordedFile(posixFiles, (folder / "rack1-SYNC_TINT.csv").string());
    ASSERT_TRUE(tint.error.empty()) << tint.error;
    ASSERT_EQ(tint.queries, std::vector<std::string>{":SYNC:TINT?"});
    ASSERT_GE(tint.series.at(":SYNC:TINT?").size(), 3u);
    EXPECT_DOUBLE_EQ(tint.series.at(":SYNC:TINT?").back().value, 2.5e-8);
    EXPECT_TRUE(std::filesystem::exists(folder / "rack1-DIAG_ROSC_EFC_ABS.csv"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrix
