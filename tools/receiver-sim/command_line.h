#pragma once

#include <string>
#include <vector>

#include "receiver-sim/sim_options.h"

namespace kestrix::sim {

// What the kestrix-receiver-sim program was asked to do.
struct CommandLine {
    SimOptions options;
    std::string linkPath;
    std::string replayPath;  // a session record to play back
    bool trace = false;
    bool help = false;
    bool version = false;
    std::string error;  // why the arguments were refused; empty when they were taken
};

// Reads the program's arguments (without the program name).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The program's usage text, and its name and version.
std::string usageText();
std::string versionText();

}  // namespace kestrix::sim
