// kestrix-monitor: watches many receivers without a display and serves their state to Prometheus.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "kestrix_version.h"
#include "monitor/monitor_config.h"
#include "monitor/monitor_log.h"
#include "platform/files.h"
#include "service/metrics_endpoint.h"
#include "service/monitor_service.h"

namespace {

using kestrix::monitor::Level;

constexpr int kBadConfiguration = 2;
constexpr std::size_t kLargestConfiguration = std::size_t{1024} * 1024;

const char* kUsage =
    "usage: kestrix-monitor [--config FILE] [--check]\n"
    "Watches the receivers a configuration names and serves their state at /metrics.\n\n"
    "  --config FILE  the configuration (default $XDG_CONFIG_HOME/kestrix/monitor.ini)\n"
    "  --check        checks the configuration and ends: 0 when good, 2 when not\n"
    "  --help         shows this text\n"
    "  --version      shows the version\n";

void journal(Level level, const std::string& text) {
    std::cerr << kestrix::monitor::journalLine(level, text) << std::flush;
}

std::string defaultConfigPath() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/kestrix/monitor.ini";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config/kestrix/monitor.ini";
    return "/etc/kestrix/monitor.ini";
}

struct Arguments {
    std::string config = defaultConfigPath();
    bool check = false;
    std::optional<int> endNow;
};

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--config" && i + 1 < args.size()) a.config = args[++i];
        else if (args[i].starts_with("--config=")) a.config = args[i].substr(9);
        else if (args[i] == "--check") a.check = true;
        else if (args[i] == "--help") std::cout << kUsage, a.endNow = 0;
        else if (args[i] == "--version") std::cout << "kestrix-monitor " << KESTRIX_VERSION << "\n", a.endNow = 0;
        else {
            std::cerr << "kestrix-monitor: unknown argument " << args[i] << "\n\n" << kUsage;
            a.endNow = kBadConfiguration;
        }
        if (a.endNow) break;
    }
    return a;
}

std::optional<kestrix::monitor::MonitorConfig> readConfiguration(const std::string& path) {
    std::string text;
    try {
        kestrix::platform::PosixFiles files;
        text = files.readAll(path, kLargestConfiguration);
    } catch (const std::exception& e) {
        journal(Level::Error, path + ": " + e.what());
        return std::nullopt;
    }
    kestrix::monitor::ConfigReading reading = kestrix::monitor::readMonitorConfig(text, path);
    for (const std::string& mistake : reading.mistakes) journal(Level::Error, mistake);
    if (!reading.mistakes.empty()) return std::nullopt;
    return std::move(reading.config);
}

// SIGTERM, SIGINT and SIGHUP end the monitor through a descriptor its loop waits on; they are
// blocked before any thread starts, so every thread leaves them to it.
int terminationFd() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace

int main(int argc, char** argv) {
    const Arguments arguments = parseArguments({argv + 1, argv + argc});
    if (arguments.endNow) return *arguments.endNow;
    const auto config = readConfiguration(arguments.config);
    if (!config) return kBadConfiguration;
    const int stopFd = arguments.check ? -1 : terminationFd();
    kestrix::service::ReadingsBoard board;
    kestrix::service::MonitorService service(*config, journal, board);
    if (!service.build()) return kBadConfiguration;
    if (arguments.check) {
        std::cout << arguments.config << ": good, " << config->receivers.size() << " receiver(s), metrics at http://"
                  << config->listenAddress() << "/metrics\n";
        return 0;
    }
    std::unique_ptr<kestrix::service::MetricsEndpoint> endpoint;
    try {
        endpoint = std::make_unique<kestrix::service::MetricsEndpoint>(config->listenAddress(), board);
    } catch (const std::exception& e) {
        journal(Level::Error, "cannot listen at " + config->listenAddress() + ": " + e.what());
        return 1;
    }
    journal(Level::Notice, "serving " + std::to_string(config->receivers.size()) + " receiver(s) at http://" +
                               config->listenAddress() + "/metrics");
    std::atomic<bool> stop{false};
    service.run(stop, stopFd);
    journal(Level::Notice, "stopping");
    return 0;
}
