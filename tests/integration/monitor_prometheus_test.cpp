// kestrix-monitor as a lab runs it: several simulated receivers on pseudo-terminals, one of them
// behind Debian's ser2net (RFC 2217), the monitor program with a configuration file, and a real
// Prometheus server scraping it every second, all on loopback.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <regex>
#include <set>
#include <thread>

#include "receiver-sim/pty_receiver.h"
#include "support/loopback_http.h"
#include "support/ser2net.h"

namespace kestrix::testing {
namespace {

// What the monitor may grow by over the test. Under AddressSanitizer freed memory is held in
// quarantine before it is used again (256 MB of it by default), so resident memory there grows
// with whatever the monitor allocates and frees: the monitor is started with a small quarantine,
// and the bound allows for it and for the sanitizer's shadow of what the monitor keeps.
#if defined(__SANITIZE_ADDRESS__)
#define KESTRIX_MONITOR_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRIX_MONITOR_TEST_ASAN 1
#endif
#endif
#ifdef KESTRIX_MONITOR_TEST_ASAN
constexpr long kGrowthLimitKb = 64 * 1024;
constexpr const char* kSanitizerQuarantine = "quarantine_size_mb=16";
#else
constexpr long kGrowthLimitKb = 8 * 1024;
constexpr const char* kSanitizerQuarantine = nullptr;
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The value of `metric` for `receiver` in a scrape's text (the first series that has both).
std::optional<double> valueIn(const std::string& scrape, const std::string& metric, const std::string& receiver,
                              const std::string& alsoHas = {}) {
    std::istringstream lines(scrape);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.starts_with(metric + "{") || line.find("receiver=\"" + receiver + "\"") == std::string::npos)
            continue;
        if (!alsoHas.empty() && line.find(alsoHas) == std::string::npos) continue;
        return std::stod(line.substr(line.rfind(' ') + 1));
    }
    return std::nullopt;
}

// The value Prometheus's query API gives for `receiver` in an instant vector's answer.
std::optional<std::string> apiValue(const std::string& json, const std::string& receiver) {
    const auto at = json.find("\"receiver\":\"" + receiver + "\"");
    if (at == std::string::npos) return std::nullopt;
    const auto value = json.find("\"value\":[", at);
    if (value == std::string::npos) return std::nullopt;
    const auto open = json.find(",\"", value);
    const auto close = json.find('"', open + 2);
    return json.substr(open + 2, close - open - 2);
}

// The time intervals a simulator answered, read from the bytes it sent.
class TimeIntervalAnswers {
public:
    void watch(sim::PtyReceiver& receiver) {
        receiver.setTrace([this](char direction, std::string_view bytes) {
            if (direction != '>') return;
            std::lock_guard lock(mutex_);
            sent_ += bytes;
            static const std::regex kTint(R"(([+-]\d\.\d+E-\d+)\r\n)");
            for (std::sregex_iterator m(sent_.begin(), sent_.end(), kTint), end; m != end; ++m)
                answers_.insert(std::stod((*m)[1]));
            if (sent_.size() > 4096) sent_.erase(0, sent_.size() - 64);
        });
    }
    bool answered(double value) {
        std::lock_guard lock(mutex_);
        return answers_.contains(value);
    }

private:
    std::mutex mutex_;
    std::string sent_;
    std::set<double> answers_;
};

struct MonitorOnTheLine : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("kestrix-monitor-" + std::to_string(::getpid()));
    std::map<std::string, std::unique_ptr<sim::PtyReceiver>> sims;
    std::map<std::string, TimeIntervalAnswers> tintAnswers;  // by receiver, for the ones watched
    std::unique_ptr<Ser2net> ser2net;                        // in front of lab-net's pseudo-terminal
    int port = freeLoopbackPort();
    std::unique_ptr<ChildProcess> monitor;

    void SetUp() override {
        fs::create_directories(dir / "records");
        addSim("lab-live", {});
        sim::SimOptions alarmed;
        alarmed.identity.serialNumber = "QX-2204";
        alarmed.alarmOnFaults = true;
        alarmed.hardwareFaults = 1u << 9;
        addSim("lab-alarm", alarmed);
        sim::SimOptions silent;
        silent.silent = true;
        addSim("lab-silent", silent);
        sim::SimOptions noisy;
        noisy.garbageBeforeReply = 300;
        addSim("lab-garbage", noisy);
        addSim("lab-net", {});
        ser2net = std::make_unique<Ser2net>(sims["lab-net"]->slavePath(), Ser2net::Protocol::rfc2217);
        ASSERT_TRUE(ser2net->running());
        for (const char* name : {"lab-live", "lab-net"}) tintAnswers[name].watch(*sims[name]);

        std::ofstream ini(dir / "monitor.ini");
        ini << "[Monitor]\nListen=127.0.0.1:" << port << "\nRecordFolder=" << (dir / "records").string()
            << "\nOnAlarm=echo \"$KESTRIX_RECEIVER $KESTRIX_ALARM $KESTRIX_CAUSES\" >> " << (dir / "alarms").string()
            << "; exit 3\n";
        for (const auto& [name, receiver] : sims)
            ini << "\n[Receiver " << name
                << "]\nPort=" << (name == "lab-net" ? ser2net->address() : receiver->devicePath())
                << "\nInterval=1\nStatus=2\n";
        ini.close();
        if (kSanitizerQuarantine) {
            const char* options = std::getenv("ASAN_OPTIONS");
            const std::string with = options && *options ? std::string(options) + ":" + kSanitizerQuarantine
                                                         : std::string(kSanitizerQuarantine);
            ::setenv("ASAN_OPTIONS", with.c_str(), 1);  // for the monitor, which inherits it
        }
        monitor = std::make_unique<ChildProcess>(
            std::vector<std::string>{KESTRIX_MONITOR_PROGRAM, "--config", (dir / "monitor.ini").string()},
            (dir / "monitor.log").string());
        ASSERT_TRUE(eventually([&] {
            return scrape().find("kestrix_receiver_up{receiver=\"lab-live\"} 1") != std::string::npos;
        })) << fileText((dir / "monitor.log").string());
    }

    void TearDown() override {
        monitor.reset();
        ser2net.reset();
        sims.clear();
        fs::remove_all(dir);
    }

    void addSim(const std::string& name, sim::SimOptions options) {
        auto receiver = std::make_unique<sim::PtyReceiver>(options);
        receiver->start((dir / ("tty-" + name)).string());
        sims[name] = std::move(receiver);
    }

    std::string scrape() {
        const auto answer = httpGet(port, "/metrics");
        return answer && answer->status == 200 ? answer->body : std::string{};
    }
    std::optional<double> scraped(const std::string& metric, const std::string& receiver) {
        return valueIn(scrape(), metric, receiver);
    }

    // Waits for what a loaded machine may take a while to reach; true as soon as it holds.
    template <typename Condition>
    static bool eventually(Condition done, std::chrono::seconds limit = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }
};

TEST_F(MonitorOnTheLine, APrometheusServerScrapesEveryReceiversState) {
    const int prometheusPort = freeLoopbackPort();
    std::ofstream config(dir / "prometheus.yml");
    config << "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\nscrape_configs:\n  - job_name: kestrix\n"
           << "    static_configs:\n      - targets: ['127.0.0.1:" << port << "']\n";
    config.close();
    ChildProcess prometheus({"/usr/bin/prometheus", "--config.file=" + (dir / "prometheus.yml").string(),
                             "--storage.tsdb.path=" + (dir / "tsdb").string(),
                             "--web.listen-address=127.0.0.1:" + std::to_string(prometheusPort)},
                            (dir / "prometheus.log").string());
    const auto query = [&](const std::string& expression, const std::string& receiver) -> std::string {
        const auto answer = httpGet(prometheusPort, "/api/v1/query?query=" + expression);
        if (!answer || answer->status != 200) return {};
        return apiValue(answer->body, receiver).value_or("");
    };
    // The silent receiver never answers; the others do, the noisy one through its noise and the
    // networked one through ser2net.
    EXPECT_TRUE(eventually([&] {
        return query("kestrix_receiver_up", "lab-live") == "1" && query("kestrix_receiver_up", "lab-alarm") == "1" &&
               query("kestrix_receiver_up", "lab-net") == "1" && query("kestrix_receiver_up", "lab-silent") == "0";
    })) << fileText((dir / "prometheus.log").string());
    // A status round's readings reach Prometheus one scrape after another: each is waited for.
    EXPECT_TRUE(eventually([&] { return query("kestrix_alarm_active", "lab-alarm") == "1"; }));
    EXPECT_EQ(query("kestrix_alarm_active", "lab-live"), "0");
    EXPECT_TRUE(eventually(
        [&] { return query("kestrix_status_condition%7Bcondition%3D%22GPS%20Failure%22%7D", "lab-alarm") == "1"; }));
    EXPECT_TRUE(eventually(
        [&] { return query("kestrix_receiver_info%7Bserial_number%3D%22QX-2204%22%7D", "lab-alarm") == "1"; }));
    // What Prometheus holds for the time interval is one of the answers the receiver gave.
    // The first reading reaches Prometheus a sample interval and a scrape after the receiver is up.
    for (const char* receiver : {"lab-live", "lab-net"}) {
        std::string tint;
        ASSERT_TRUE(eventually([&] { return !(tint = query("kestrix_time_interval_seconds", receiver)).empty(); }))
            << receiver;
        EXPECT_TRUE(tintAnswers[receiver].answered(std::stod(tint)))
            << receiver << ": " << tint << " was never answered";
    }
    prometheus.stop();

    // The exposition passes Prometheus's own checker.
    const std::string text = scrape();
    std::ofstream(dir / "scrape.txt") << text;
    const std::string check = "/usr/bin/promtool check metrics < " + (dir / "scrape.txt").string() + " > " +
                              (dir / "promtool.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << fileText((dir / "promtool.txt").string());

    // Every metric the Grafana dashboard draws is served.
    const std::string dashboard = fileText(KESTRIX_SOURCE_DIR "/packaging/grafana/kestrix-dashboard.json");
    std::set<std::string> used;
    static const std::regex kMetric(R"(kestrix_[a-z_]+)");
    for (std::sregex_iterator m(dashboard.begin(), dashboard.end(), kMetric), end; m != end; ++m) used.insert(m->str());
    EXPECT_GE(used.size(), 5u);
    for (const std::string& metric : used) EXPECT_NE(text.find("\n" + metric + "{"), std::string::npos) << metric;

    // The alarm's command ran once for the alarmed receiver, though it failed, and was logged.
    EXPECT_TRUE(
        eventually([&] { return fileText((dir / "monitor.log").string()).find("<3>OnAlarm: ") != std::string::npos; }));
    EXPECT_EQ(fileText((dir / "alarms").string()), "lab-alarm 1 GPS Failure\n");
}

TEST_F(MonitorOnTheLine, KeepsServingThroughBadInputAndStaysBounded) {
    ASSERT_TRUE(eventually([&] { return scraped("kestrix_exchanges_total", "lab-garbage") > 5; }));
    const long before = monitor->residentKb();

    // Connections that never send a request, and requests whose answer is never read.
    std::vector<int> stalled;
    for (int i = 0; i < 16; ++i) stalled.push_back(connectLoopback(port));
    for (int i = 0; i < 16; ++i) {
        const int fd = connectLoopback(port);
        const std::string request = "GET /metrics HTTP/1.0\r\n\r\n";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        int small = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        stalled.push_back(fd);
    }
    // Many scrapes at once, all answered in full.
    std::vector<std::thread> scrapers;
    std::atomic<int> answered{0};
    for (int i = 0; i < 48; ++i)
        scrapers.emplace_back([&] {
            const auto answer = httpGet(port, "/metrics", 60s);
            if (answer && answer->status == 200 && answer->body.find("kestrix_receiver_up") != std::string::npos)
                ++answered;
        });
    for (std::thread& t : scrapers) t.join();
    EXPECT_EQ(answered.load(), 48);

    // Two ports vanish and return, with no restart of the monitor: a pseudo-terminal (its
    // adapter pulled out and plugged in again) and a serial server (ser2net stopped and started
    // again on its port). The other receivers are read all the while.
    ASSERT_TRUE(eventually([&] { return scraped("kestrix_receiver_up", "lab-net") == 1.0; }));
    const std::string livePath = sims["lab-live"]->linkPath();
    sims["lab-live"]->stop();
    ser2net->stop();
    for (const char* gone : {"lab-live", "lab-net"})
        EXPECT_TRUE(eventually([&] { return scraped("kestrix_receiver_up", gone) == 0.0; })) << gone;
    std::optional<double> exchanges;
    ASSERT_TRUE(eventually([&] { return (exchanges = scraped("kestrix_exchanges_total", "lab-alarm")).has_value(); }));
    EXPECT_TRUE(eventually([&] {
        const std::string text = scrape();
        return valueIn(text, "kestrix_exchanges_total", "lab-alarm") > exchanges &&
               valueIn(text, "kestrix_receiver_up", "lab-alarm") == 1.0;
    }));
    sims["lab-live"] = std::make_unique<sim::PtyReceiver>();
    sims["lab-live"]->start(livePath);
    ser2net->start();  // a slow start on a loaded machine is waited for below
    ASSERT_TRUE(ser2net->running());
    for (const char* back : {"lab-live", "lab-net"})
        EXPECT_TRUE(eventually([&] { return scraped("kestrix_receiver_up", back) == 1.0; })) << back;
    for (int fd : stalled) ::close(fd);

    EXPECT_TRUE(monitor->running());
    EXPECT_LT(monitor->residentKb() - before, kGrowthLimitKb) << "kB grown";
    const std::string log = fileText((dir / "monitor.log").string());
    for (const char* receiver : {"lab-live", "lab-net"}) {
        EXPECT_NE(log.find("<3>" + std::string(receiver) + ": "), std::string::npos) << log;
        EXPECT_NE(log.find("<5>" + std::string(receiver) + ": answering"), std::string::npos) << log;
    }
}

TEST(MonitorProgram, RefusesAFaultyConfigurationNamingEachMistake) {
    const fs::path dir = fs::temp_directory_path() / ("kestrix-monitor-config-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "bad.ini") << "[Monitor]\nListen=localhost\n[Receiver a]\nPort=/dev/null\nSpeed=7\n";
    std::ofstream(dir / "good.ini") << "[Receiver a]\nPort=/dev/ttyS0\n";
    std::ofstream(dir / "net.ini") << "[Receiver a]\nPort=telnet://127.0.0.1:7000\n";
    std::ofstream(dir / "rfc2217.ini")
        << "[Receiver a]\nPort=rfc2217://127.0.0.1:7000\n[Receiver b]\nPort=tcp://[::1]:7001\n";
    const auto run = [&](const std::string& file, bool check) {
        std::vector<std::string> argv{KESTRIX_MONITOR_PROGRAM, "--config", (dir / file).string()};
        if (check) argv.push_back("--check");
        ChildProcess program(argv, (dir / "out").string());
        const int code = program.waitExit(10s);
        return std::pair(code, fileText((dir / "out").string()));
    };
    const auto [badCode, badOut] = run("bad.ini", false);
    EXPECT_EQ(badCode, 2);
    EXPECT_NE(badOut.find("<3>" + (dir / "bad.ini").string() + ":2: Listen=localhost"), std::string::npos) << badOut;
    EXPECT_NE(badOut.find((dir / "bad.ini").string() + ":5: Speed=7"), std::string::npos) << badOut;
    EXPECT_EQ(run("good.ini", true).first, 0);
    EXPECT_EQ(run("net.ini", true).first, 2);
    EXPECT_EQ(run("rfc2217.ini", true).first, 0);
    EXPECT_EQ(run("missing.ini", true).first, 2);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kestrix::testing
