// kestrix-receiver-sim: a simulated receiver on a pseudo-terminal, for running Kestrix without hardware.

#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "receiver-sim/command_line.h"
#include "receiver-sim/pty_receiver.h"
#include "receiver-sim/replay_script.h"

namespace {

// Bytes as a person reads them: printable characters as they are, others as <hex>.
std::string visible(std::string_view bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\n') text += "<LF>\n";
        else if (c == '\r') text += "<CR>";
        else if (c >= 0x20 && c < 0x7F) text += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            text += hex;
        }
    }
    return text;
}

// The session record at `path` as a script, or nothing with the reason told.
std::shared_ptr<kestrix::sim::ReplayScript> loadReplay(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        std::cerr << "kestrix-receiver-sim: cannot read " << path << "\n";
        return nullptr;
    }
    const kestrix::ParsedRecord record = kestrix::parseRecord(text.str());
    if (!record.error.empty()) {
        std::cerr << "kestrix-receiver-sim: " << path << ", " << record.error << "\n";
        return nullptr;
    }
    auto script = std::make_shared<kestrix::sim::ReplayScript>(record.chunks);
    std::cerr << "kestrix-receiver-sim: replaying " << script->commandCount() << " commands from " << path << std::endl;
    return script;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrix::sim;
    const CommandLine commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.help) {
        std::cout << usageText();
        return 0;
    }
    if (commandLine.version) {
        std::cout << versionText();
        return 0;
    }
    if (!commandLine.error.empty()) {
        std::cerr << "kestrix-receiver-sim: " << commandLine.error << "\n" << usageText();
        return 2;
    }

    SimOptions options = commandLine.options;
    if (!commandLine.replayPath.empty() && !(options.replay = loadReplay(commandLine.replayPath))) return 2;

    // The signals are taken by sigwait below; the serving thread inherits the blocked mask.
    // SIGUSR1 silences the receiver, and the next one lets it answer again. SIGUSR2 mends its
    // hardware faults, and the next one brings them back (a GPS receiver failure when it had none).
    sigset_t handledSignals;
    sigemptyset(&handledSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&handledSignals, s);
    pthread_sigmask(SIG_BLOCK, &handledSignals, nullptr);

    PtyReceiver receiver(options);
    if (commandLine.trace)
        receiver.setTrace([](char direction, std::string_view bytes) {
            std::cerr << direction << ' ' << visible(bytes) << (bytes.back() == '\n' ? "" : "\n") << std::flush;
        });
    try {
        receiver.start(commandLine.linkPath);
    } catch (const std::system_error& e) {
        std::cerr << "kestrix-receiver-sim: " << e.what() << "\n";
        return 1;
    }
    std::cout << receiver.linkPath() << std::endl;

    std::uint16_t faults =
        commandLine.options.hardwareFaults != 0 ? commandLine.options.hardwareFaults : std::uint16_t{1u << 9};
    int signal = 0;
    while (sigwait(&handledSignals, &signal) == 0 && (signal == SIGUSR1 || signal == SIGUSR2)) {
        SimOptions options = receiver.options();
        if (signal == SIGUSR1) {
            options.silent = !options.silent;
            std::cerr << "kestrix-receiver-sim: " << (options.silent ? "silent" : "answering") << std::endl;
        } else if (options.hardwareFaults != 0) {
            faults = options.hardwareFaults;
            options.hardwareFaults = 0;
            std::cerr << "kestrix-receiver-sim: hardware faults mended" << std::endl;
        } else {
            options.hardwareFaults = faults;
            std::cerr << "kestrix-receiver-sim: hardware faults back" << std::endl;
        }
        receiver.setOptions(options);
    }
    receiver.stop();
    return 0;
}
