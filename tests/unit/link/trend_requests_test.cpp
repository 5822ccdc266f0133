#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "support/rig.h"
#include "trend/sampler.h"

namespace kestrix {
namespace {

struct Sample {
    std::string query;
    double time;
    double value;
    std::string reply;
};

// The link with the status view polling and two trend series sampled every second, against a
// receiver that answers each command a few ticks after it was written.
struct TrendRequests : ::testing::Test {
    testing::Rig rig;
    TrendSampler sampler;
    std::vector<Sample> samples;
    std::vector<std::string> commands;      // every command line the receiver got, in order
    std::vector<std::string> duringGroups;  // those written while a status-query group ran
    std::string pending;                    // the command being answered
    bool answering = false;
    int answerIn = 0;
    int mostOutstanding = 0;
    std::string errorFor;   // a query the receiver refuses with an error prompt
    std::string silentFor;  // a query the receiver never answers
    std::string slowFor;    // a query whose answer takes two seconds on the line

    void SetUp() override {
        rig.connect();
        sampler.setQueries({":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"});
        sampler.setInterval(1);
        sampler.onSample = [this](const std::string& q, double t, double v, const std::string& r) {
            samples.push_back({q, t, v, r});
        };
        rig.link.trendSampler = &sampler;
    }

    std::string replyTo(const std::string& command) {
        if (!errorFor.empty() && command == errorFor) return "E-113> ";
        if (command == "syst:err?") return "-113,\"Undefined header\"\r\nscpi > ";
        if (command == ":SYNC:TINT?") return "+1.5E-08\r\nscpi > ";
        if (command == ":DIAG:ROSC:EFC:ABS?") return "+5.0123E+00\r\nscpi > ";
        if (command == ":syst:prin?") return "status screen\r\nscpi > ";
        if (command.empty()) return "scpi > ";  // a probe of the link
        if (command == ":syst:comm:ser:fdup?") return "0\r\nscpi > ";
        if (command == "*idn?") return "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ";
        return "done\r\nscpi > ";
    }

    // One tick of 50 ms; the receiver takes what was written and answers it three ticks later.
    void step() {
        rig.clock.advance(0.05);
        rig.tick();
        rig.form1.reopenTimer.fire();  // runs only while a port that went away is awaited
        const std::string written = rig.port.takeWritten();
        if (!written.empty()) {
            const int outstanding = (answering ? 1 : 0) + 1;
            mostOutstanding = std::max(mostOutstanding, outstanding);
            pending = written.substr(0, written.size() - 2);
            commands.push_back(pending);
            if (rig.state.queryGroup != 0) duringGroups.push_back(pending);
            answering = true;
            answerIn = !slowFor.empty() && pending == slowFor ? 40 : 3;
        }
        if (answering && --answerIn == 0) {
            if (silentFor.empty() || pending != silentFor) rig.port.receive(replyTo(pending));
            answering = false;
        }
    }
    void run(double seconds) {
        for (int i = 0; i < static_cast<int>(std::lround(seconds / 0.05)); ++i) step();
    }
    int count(const std::string& command) const {
        return static_cast<int>(std::count(commands.begin(), commands.end(), command));
    }
};

TEST_F(TrendRequests, OneExchangeAtATimeWithTheViewPollingBetweenSamples) {
    run(10);
    EXPECT_EQ(mostOutstanding, 1);
    EXPECT_GE(count(":SYNC:TINT?"), 9);
    EXPECT_GE(count(":DIAG:ROSC:EFC:ABS?"), 9);
    EXPECT_GE(count(":syst:prin?"), 18);  // a poll after every sample
    for (std::size_t i = 1; i < commands.size(); ++i) {
        if (commands[i - 1] != ":syst:prin?") {
            EXPECT_EQ(commands[i], ":syst:prin?") << "after " << commands[i - 1];
        }
    }
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples[0].query, ":SYNC:TINT?");
    EXPECT_DOUBLE_EQ(samples[0].value, 1.5e-8);
    EXPECT_EQ(samples[0].reply, "+1.5E-08\r\n");
    EXPECT_EQ(samples[1].query, ":DIAG:ROSC:EFC:ABS?");
    EXPECT_DOUBLE_EQ(samples[1].value, 5.0123);
    EXPECT_EQ(rig.form1.Term.text(), "status screen\r\n");  // the status view goes on showing its screen
}

TEST_F(TrendRequests, AControlAndQueryCommandGoesBeforeTheNextSampleAndSamplesStayOutOfTheLog) {
    run(1.5);
    rig.forms.frmShowLog.cmbSendSCPI.text = "*IDN?";
    rig.forms.frmShowLog.cmdSendSCPI.onClick();
    const std::size_t typedAt = commands.size();
    run(3);
    std::size_t command = typedAt, nextSample = typedAt;
    while (commands[command] != "*IDN?") ++command;
    while (commands[nextSample] != ":SYNC:TINT?" && commands[nextSample] != ":DIAG:ROSC:EFC:ABS?") ++nextSample;
    EXPECT_LT(command, nextSample);
    EXPECT_EQ(mostOutstanding, 1);
    const std::string& log = rig.forms.frmShowLog.txtShowLog.text();
    EXPECT_NE(log.find("reply: done"), std::string::npos);
    EXPECT_EQ(log.find("E-08"), std::string::npos);
    EXPECT_EQ(log.find("SYNC"), std::string::npos);
    EXPECT_EQ(log.find("EFC"), std::string::npos);
    EXPECT_EQ(rig.forms.frmShowLog.cmbSendSCPI.items(), std::vector<std::string>{"*IDN?"});  // nor the history
}

TEST_F(TrendRequests, AnErrorPromptRecordsAGapAndTheLinkReadsTheErrorAsAlways) {
    errorFor = ":DIAG:ROSC:EFC:ABS?";
    run(2.5);
    EXPECT_GE(count("syst:err?"), 1);
    EXPECT_EQ(mostOutstanding, 1);
    bool gap = false;
    for (const Sample& s : samples) {
        if (s.query == ":DIAG:ROSC:EFC:ABS?") {
            EXPECT_TRUE(std::isnan(s.value));
            gap = true;
        } else {
            EXPECT_DOUBLE_EQ(s.value, 1.5e-8);  // the error text never becomes a sample
        }
    }
    EXPECT_TRUE(gap);
}

TEST_F(TrendRequests, ATimeOutRecordsAGapAndSamplingResumesWhenTheLinkIsBack) {
    silentFor = ":SYNC:TINT?";
    run(1);
    silentFor.clear();
    run(20);
    ASSERT_GE(samples.size(), 2u);
    EXPECT_EQ(samples[0].query, ":SYNC:TINT?");
    EXPECT_TRUE(std::isnan(samples[0].value));
    EXPECT_DOUBLE_EQ(samples.back().value, samples.back().query == ":SYNC:TINT?" ? 1.5e-8 : 5.0123);
    EXPECT_EQ(mostOutstanding, 1);
}

TEST_F(TrendRequests, APortThatGoesAwayLeavesAGapInEverySeriesAndSamplingGoesOnOnceItIsBack) {
    run(2.02);
    const double lostAt = rig.clock.utcSeconds();
    const std::size_t before = samples.size();
    rig.port.failOpen = "/dev/ttyUSB0: No such file or directory";
    rig.port.lose("COM1 (/dev/ttyUSB0) was disconnected: Input/output error");
    answering = false;
    run(5);
    rig.port.failOpen.clear();
    run(20);
    std::map<std::string, std::vector<Sample>> gaps, after;
    for (std::size_t i = before; i < samples.size(); ++i)
        (std::isnan(samples[i].value) ? gaps : after)[samples[i].query].push_back(samples[i]);
    for (const std::string query : {":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"}) {
        SCOPED_TRACE(query);
        ASSERT_EQ(gaps[query].size(), 1u);              // one gap marks the break, however long it lasted
        EXPECT_NEAR(gaps[query][0].time, lostAt, 1.0);  // on the slot the break began in, or the next
        ASSERT_FALSE(after[query].empty());
        EXPECT_GT(after[query].front().time, lostAt + 5);
    }
    EXPECT_EQ(mostOutstanding, 1);
}

// A sample whose exchange is cut off (here by closing the port) is a gap as soon as the
// exchange ends, not only once the link is next idle.
TEST_F(TrendRequests, ASampleCutOffByClosingThePortIsAGapAtOnce) {
    silentFor = ":SYNC:TINT?";
    run(1);
    ASSERT_TRUE(sampler.awaiting());
    rig.openPort();  // closes it
    EXPECT_FALSE(sampler.awaiting());
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].query, ":SYNC:TINT?");
    EXPECT_TRUE(std::isnan(samples[0].value));
}

TEST_F(TrendRequests, NoSamplesInDemoModeDuringAQueryGroupOrWhenPaused) {
    rig.form1.demoMode.checked = true;
    run(3);
    EXPECT_EQ(count(":SYNC:TINT?"), 0);
    rig.form1.demoMode.checked = false;
    sampler.setPaused(true);
    run(3);
    EXPECT_EQ(count(":SYNC:TINT?"), 0);
    sampler.setPaused(false);
    run(1.5);
    rig.state.queryGroup = 1;  // a status-query group runs its queries back to back
    rig.state.queryIndex = 1;
    rig.state.sendRequest = true;
    run(4);
    EXPECT_EQ(rig.state.queryGroup, 0);  // the group ran to its end
    EXPECT_GE(duringGroups.size(), 5u);
    for (const std::string& command : duringGroups) EXPECT_EQ(command.find("SYNC"), std::string::npos);
    EXPECT_GE(count(":SYNC:TINT?"), 3);
}

// A status screen that takes 2 s: at 1 s the view polled between samples leaves slots empty;
// holding its polls takes every slot, and where a poll fits between rounds the view is polled.
TEST_F(TrendRequests, HoldingTheViewsPollsTakesEverySlotAndPollsTheViewWhereAPollFits) {
    slowFor = ":syst:prin?";
    const struct {
        double interval;
        bool hold, everySlot;
        int fewestPolls, mostPolls;
    } cases[] = {{1, false, false, 5, 100}, {1, true, true, 0, 0}, {10, true, true, 3, 100}};
    for (const auto& c : cases) {
        sampler.setInterval(c.interval);
        sampler.setHoldingView(c.hold);
        run(4);  // a poll under way ends; one under holding shows how long a poll takes
        samples.clear();
        commands.clear();
        run(30);
        std::vector<double> stamps;
        for (const Sample& s : samples)
            if (s.query == ":SYNC:TINT?") stamps.push_back(s.time);
        ASSERT_GE(stamps.size(), 3u);
        bool everySlot = true;
        for (std::size_t i = 1; i < stamps.size(); ++i) {
            const double step = stamps[i] - stamps[i - 1];
            EXPECT_NEAR(step, std::round(step / c.interval) * c.interval, 1e-6);  // on the schedule
            everySlot = everySlot && std::abs(step - c.interval) < 1e-6;
        }
        EXPECT_EQ(everySlot, c.everySlot) << c.interval << " s, holding " << c.hold;
        EXPECT_GE(count(":syst:prin?"), c.fewestPolls) << c.interval << " s, holding " << c.hold;
        EXPECT_LE(count(":syst:prin?"), c.mostPolls) << c.interval << " s, holding " << c.hold;
        EXPECT_EQ(mostOutstanding, 1);
    }
}

}  // namespace
}  // namespace kestrix
