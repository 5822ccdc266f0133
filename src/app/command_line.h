#pragma once

#include <string>
#include <vector>

namespace kestrix::app {

// What the kestrix program was asked to do by its arguments, read before the window system starts,
// so that every answer (a usage, a refusal) comes without a display. The window system's own
// options (-platform, -style, ...) are left to it; whatever else is given must be ours.
enum class ProgramRequest {
    Run,              // no arguments: the console as usual
    PrintVersion,     // --version
    PrintUsage,       // --help, -h
    PrintManualPath,  // --print-help-path: where the help viewer finds the manual
    Refuse,           // an argument the program does not know
};

struct CommandLine {
    ProgramRequest request = ProgramRequest::Run;
    std::string refused;  // the argument refused
};

// Reads the arguments (without the program name). --version and --help win wherever they stand.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string versionText();  // "kestrix 0.1\n"
std::string usageText();

}  // namespace kestrix::app
