// kestrix-receiver-sim: a simulated receiver on a pseudo-terminal, for running Kestrix without hardware.

#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "receiver-sim/command_line.h"
#include "receiver-sim/pty_receiver.h"

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

    // The signals are taken by sigwait below; the serving thread inherits the blocked mask.
    // SIGUSR1 silences the receiver, and the next one lets it answer again.
    sigset_t handledSignals;
    sigemptyset(&handledSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&handledSignals, s);
    pthread_sigmask(SIG_BLOCK, &handledSignals, nullptr);

    PtyReceiver receiver(commandLine.options);
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

    int signal = 0;
    while (sigwait(&handledSignals, &signal) == 0 && signal == SIGUSR1) {
        SimOptions options = receiver.options();
        options.silent = !options.silent;
        receiver.setOptions(options);
        std::cerr << "kestrix-receiver-sim: " << (options.silent ? "silent" : "answering") << std::endl;
    }
    receiver.stop();
    return 0;
}
