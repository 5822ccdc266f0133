// What kestrix-monitor costs with many receivers, beside what one console costs in the same run:
// - 32 simulated receivers at 9600 baud, their characters flowing at the line's rate, in one
//   monitor sampling their time interval and EFC every 10 s and their status every 60 s (the
//   defaults): the monitor's CPU (its process, from /proc) and resident memory over the run;
//   scraped once a second through the run;
// - the time to answer a scrape of /metrics for those 32 receivers, over loopback: median, 99th
//   percentile and worst of those scrapes and of 600 more, ten a second, after the run (with what
//   those cost the monitor);
// - then the console's own cost, bench_idle_cost's status view with the trend window sampling
//   every second, run for the same length right after.
//   bench_monitor_cost [--seconds N] [--receivers N] [--no-console]     (120 s, 32 receivers)

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "receiver-sim/pty_receiver.h"
#include "support/loopback_http.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// CPU seconds the process has used (user and system), from /proc/PID/stat.
double cpuSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::string field;
    for (char c : text.substr(close + 2)) {
        if (c == ' ') fields.push_back(field), field.clear();
        else field += c;
    }
    // Fields after the name: state is 0, utime 11, stime 12.
    return (std::stod(fields.at(11)) + std::stod(fields.at(12))) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrix;
    double seconds = 120;
    int receivers = 32;
    bool console = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
        else if (a == "--receivers" && i + 1 < argc) receivers = std::atoi(argv[++i]);
        else if (a == "--no-console") console = false;
    }
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("kestrix-monitor-cost-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work);

    std::vector<std::unique_ptr<sim::PtyReceiver>> sims;
    const int port = testing::freeLoopbackPort();
    std::ofstream ini(work / "monitor.ini");
    ini << "[Monitor]\nListen=127.0.0.1:" << port << "\nRecordFolder=" << work.string() << "\n";
    for (int i = 0; i < receivers; ++i) {
        sim::SimOptions options;
        options.emulateLineSpeed = true;
        options.identity.serialNumber = "BN-" + std::to_string(7000 + i);
        sims.push_back(std::make_unique<sim::PtyReceiver>(options));
        sims.back()->start((work / ("tty" + std::to_string(i))).string());
        ini << "\n[Receiver bench-" << i << "]\nPort=" << sims.back()->devicePath() << "\n";
    }
    ini.close();

    testing::ChildProcess monitor({KESTRIX_MONITOR_PROGRAM, "--config", (work / "monitor.ini").string()},
                                  (work / "monitor.log").string());
    // Settled: every receiver answers.
    const auto settleBy = Clock::now() + 60s;
    for (;;) {
        const auto answer = testing::httpGet(port, "/metrics");
        std::size_t up = 0;
        for (std::size_t at = 0; answer && (at = answer->body.find("kestrix_receiver_up{", at)) != std::string::npos;
             ++at)
            if (answer->body.compare(answer->body.find('}', at) + 1, 2, " 1") == 0) ++up;
        if (up == static_cast<std::size_t>(receivers)) break;
        if (Clock::now() > settleBy) {
            std::fprintf(stderr, "only %zu of %d receivers came up\n", up, receivers);
            return 1;
        }
        std::this_thread::sleep_for(200ms);
    }

    // The run: scraped once a second, as a tight Prometheus would.
    const double cpuBefore = cpuSeconds(monitor.pid());
    const auto start = Clock::now();
    std::vector<double> scrapeMs;
    std::size_t scrapeBytes = 0;
    long rssMax = 0;
    const auto timedScrape = [&] {
        const auto t0 = Clock::now();
        const auto answer = testing::httpGet(port, "/metrics");
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (answer && answer->status == 200) scrapeMs.push_back(ms), scrapeBytes = answer->body.size();
    };
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
        timedScrape();
        rssMax = std::max(rssMax, monitor.residentKb());
        std::this_thread::sleep_for(1s);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds(monitor.pid()) - cpuBefore;
    // Then scrapes ten a second, for their times, and what they cost on top.
    const double burstCpuBefore = cpuSeconds(monitor.pid());
    const auto burstStart = Clock::now();
    for (int i = 0; i < 600; ++i) {
        timedScrape();
        std::this_thread::sleep_for(100ms);
    }
    const double burstElapsed = std::chrono::duration<double>(Clock::now() - burstStart).count();
    const double burstCpu = cpuSeconds(monitor.pid()) - burstCpuBefore;

    std::printf("kestrix-monitor, %d receivers at 9600 baud, %.0f s:\n", receivers, elapsed);
    std::printf("  CPU                %.3f %% of a core, scraped once a second\n", 100 * cpu / elapsed);
    std::printf("                     %.3f %% of a core, scraped ten times a second\n", 100 * burstCpu / burstElapsed);
    std::printf("  resident memory    %.1f MB most, %.2f MB per receiver\n", rssMax / 1024.0,
                rssMax / 1024.0 / receivers);
    std::printf("  scrape (%zu bytes)  median %.2f ms, 99th percentile %.2f ms, worst %.2f ms, %zu scrapes\n",
                scrapeBytes, percentile(scrapeMs, 0.5), percentile(scrapeMs, 0.99),
                scrapeMs.empty() ? 0 : *std::max_element(scrapeMs.begin(), scrapeMs.end()), scrapeMs.size());
    std::printf("  load average at the end: %s", testing::fileText("/proc/loadavg").c_str());
    std::fflush(stdout);
    monitor.stop();
    sims.clear();

    if (console) {
        std::printf("one console, the same run (bench_idle_cost --trend-only):\n");
        std::fflush(stdout);
        const std::string command = std::string(KESTRIX_IDLE_COST_PROGRAM) + " --trend-only --seconds " +
                                    std::to_string(static_cast<int>(seconds / 2));
        if (std::system(command.c_str()) != 0) std::printf("  (the console's bench did not run)\n");
    }
    std::filesystem::remove_all(work);
    return 0;
}
