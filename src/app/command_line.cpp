#include "app/command_line.h"

#include <algorithm>

#include "kestrix_version.h"

namespace kestrix::app {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    const auto given = [&arguments](const char* option) {
        return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
    };
    if (given("--help") || given("-h")) return {ProgramRequest::PrintUsage, {}};
    if (given("--version")) return {ProgramRequest::PrintVersion, {}};

    CommandLine commandLine;
    for (const std::string& argument : arguments) {
        if (argument == "--print-help-path") {
            commandLine.request = ProgramRequest::PrintManualPath;
        } else {
            return {ProgramRequest::Refuse, argument};
        }
    }
    return commandLine;
}

std::string versionText() { return "kestrix " KESTRIX_VERSION "\n"; }

std::string usageText() {
    return "usage: kestrix [--help] [--version] [--print-help-path] [Qt options]\n"
           "A console for Morvandelle GPS timing receivers on a serial port, speaking SCPI.\n"
           "\n"
           "  --help, -h          print this text and end\n"
           "  --version           print the version and end\n"
           "  --print-help-path   print where the manual is (or where it was looked for) and end\n"
           "\n"
           "Settings are kept in $XDG_CONFIG_HOME/kestrix/Receiver.INI\n"
           "(~/.config/kestrix/Receiver.INI); its [Ports] section names the devices behind COM1 to COM4.\n"
           "Serial devices belong to the group dialout: add yourself to it to open them.\n"
           "See kestrix(1); kestrix-receiver-sim(1) plays a receiver without hardware.\n";
}

}  // namespace kestrix::app
