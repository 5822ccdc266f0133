#include "monitor/monitor_config.h"

#include <gtest/gtest.h>

namespace kestrix::monitor {
namespace {

TEST(MonitorConfig, AGoodFileGivesEveryValueAndTheDefaults) {
    const ConfigReading r = readMonitorConfig(
        "; lab rack 3\r\n[Monitor]\r\nListen = [::1]:9100\r\nRecordFolder=/var/lib/kestrix\r\n"
        "OnAlarm=/usr/local/bin/page-oncall\r\nClearAlarms=1\r\n\r\n"
        "[Receiver rack3-a]\r\nPort=/dev/ttyUSB0\r\nSpeed=19200\r\nParity=E\r\nDataBits=7\r\nStopBits=2\r\n"
        "Trend=:SYNC:TINT?, :PTIM:LEAP?\r\nInterval=2.5\r\nStatus=30\r\n"
        "[receiver rack3-b]\nport=/dev/ttyUSB1\n",
        "monitor.ini");
    ASSERT_TRUE(r.mistakes.empty()) << r.mistakes.front();
    const MonitorConfig& c = r.config;
    EXPECT_EQ(c.listenAddress(), "[::1]:9100");
    EXPECT_EQ(c.recordFolder, "/var/lib/kestrix");
    EXPECT_EQ(c.onAlarm, "/usr/local/bin/page-oncall");
    EXPECT_TRUE(c.clearAlarms);
    ASSERT_EQ(c.receivers.size(), 2u);
    const ReceiverConfig& a = c.receivers[0];
    EXPECT_EQ(a.name, "rack3-a");
    EXPECT_EQ(a.line.text(), "19200,e,7,2");
    EXPECT_EQ(a.trend, (std::vector<std::string>{":SYNC:TINT?", ":PTIM:LEAP?"}));
    EXPECT_EQ(a.intervalSeconds, 2.5);
    EXPECT_EQ(a.statusSeconds, 30);
    const ReceiverConfig& b = c.receivers[1];
    EXPECT_EQ(b.port, "/dev/ttyUSB1");
    EXPECT_EQ(b.line.text(), "9600,n,8,1");
    EXPECT_EQ(b.trend, (std::vector<std::string>{":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"}));
    EXPECT_EQ(b.intervalSeconds, 10);
    EXPECT_EQ(b.statusSeconds, 60);
    EXPECT_EQ(readMonitorConfig("[Receiver x]\nPort=/dev/ttyS0\n", "f").config.listenAddress(), kDefaultListen);
}

// Each mistake is named with the file and its line; every mistake of a file is found in one reading.
TEST(MonitorConfig, EachMistakeIsNamedWithFileAndLine) {
    const std::string good = "[Receiver ok]\nPort=/dev/ttyS0\n";
    const struct {
        std::string text;
        std::string mistake;
    } cases[] = {
        {"", "m.ini:1: no [Receiver NAME] section"},
        {"[Monitor]\nListen=9730\n" + good, "m.ini:2: Listen=9730: expected HOST:PORT"},
        {"[Monitor]\nListen=127.0.0.1:70000\n" + good, "m.ini:2: Listen=127.0.0.1:70000"},
        {"[Monitor]\nClearAlarms=yes\n" + good, "m.ini:2: ClearAlarms=yes: expected 0 or 1"},
        {"[Monitor]\nColour=red\n" + good, "m.ini:2: unknown key \"Colour\" in [Monitor]"},
        {"Port=/dev/ttyS0\n" + good, "m.ini:1: key \"Port\" before any section"},
        {"[Monitors]\n" + good, "m.ini:1: unknown section [Monitors]"},
        {good + "[Monitor]\n[Monitor]\n", "m.ini:4: a second [Monitor] section"},
        {"[Receiver]\nPort=/dev/ttyS0\n", "m.ini:1: a [Receiver NAME] section needs a name"},
        {"[Receiver lab 1]\nPort=/dev/ttyS0\n", "m.ini:1: receiver name \"lab 1\" may hold only"},
        {good + "[Receiver OK]\nPort=/dev/ttyS1\n", "m.ini:3: a second receiver named \"OK\""},
        {"[Receiver a]\nSpeed=9600\n" + good, "m.ini:1: receiver \"a\" has no Port="},
        {good + "Speed=12345\n", "m.ini:3: Speed=12345: not a speed the port supports"},
        {good + "Parity=X\n", "m.ini:3: Parity=X: expected N, E, O, M or S"},
        {good + "DataBits=9\n", "m.ini:3: DataBits=9: expected 7 or 8"},
        {good + "StopBits=1.5\n", "m.ini:3: StopBits=1.5: expected 1 or 2"},
        {good + "Trend=:SYNC:TINT?,,\n", "m.ini:3: Trend=:SYNC:TINT?,,: an empty query"},
        {good + "Interval=0.5\n", "m.ini:3: Interval=0.5: expected seconds from 1 to 3600"},
        {good + "Status=often\n", "m.ini:3: Status=often: expected seconds from 1 to 86400"},
        {good + "Port=/dev/ttyS1\n", "m.ini:3: key \"Port\" given twice"},
        {good + "just words\n", "m.ini:3: not a [Section] header"},
    };
    for (const auto& c : cases) {
        const ConfigReading r = readMonitorConfig(c.text, "m.ini");
        ASSERT_EQ(r.mistakes.size(), 1u) << c.text;
        EXPECT_EQ(r.mistakes.front().rfind(c.mistake, 0), 0u) << r.mistakes.front();
    }
    const ConfigReading several = readMonitorConfig("[Receiver a]\nSpeed=1\n[Receiver b]\nPort=/x\nParity=Q\n", "m");
    ASSERT_EQ(several.mistakes.size(), 3u);
    EXPECT_EQ(several.mistakes[0].rfind("m:1: receiver \"a\" has no Port=", 0), 0u);
    EXPECT_EQ(several.mistakes[1].rfind("m:2: Speed=1", 0), 0u);
    EXPECT_EQ(several.mistakes[2].rfind("m:5: Parity=Q", 0), 0u);
}

}  // namespace
}  // namespace kestrix::monitor
