#pragma once

#include <string>
#include <vector>

namespace kestrix::app {

// What the kestrix program was asked to do by its arguments. The options that print something
// are read before the window system starts, so they work without a display; the window system's
// own options (-platform, -style, ...) are taken by it, and whatever is left must be ours.
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
