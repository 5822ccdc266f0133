#include "app/command_line.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "kestrix_version.h"

namespace kestrix::app {

namespace {

// The window system's own options, which Qt takes from the command line with one dash or two:
// those followed by a value, those that stand alone, and those that carry their value after "=".
const std::set<std::string_view, std::less<>> kQtOptionsWithValue{
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin",  "-qwindowgeometry", "-geometry", "-qwindowtitle",
    "-title",    "-qwindowicon",        "-icon",          "-session", "-display",         "-name",     "-visual",
    "-style",    "-stylesheet",         "-qmljsdebugger"};
const std::set<std::string_view, std::less<>> kQtFlags{"-reverse", "-widgetcount", "-testability",
                                                       "-nograb",  "-dograb",      "-sync"};
const std::set<std::string_view, std::less<>> kQtOptionsWithEquals{"-style=", "-stylesheet=", "-qmljsdebugger="};

// "-platform" for "--platform"; anything else as it is.
std::string_view asQtSpells(std::string_view argument) {
    return argument.starts_with("--") ? argument.substr(1) : argument;
}

bool takesEqualsValue(std::string_view option) {
    const auto equals = option.find('=');
    return equals != std::string_view::npos && kQtOptionsWithEquals.contains(option.substr(0, equals + 1));
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    const auto given = [&arguments](const char* option) {
        return std::find(arguments.begin(), arguments.end(), option) != arguments.end();
    };
    if (given("--help") || given("-h")) return {ProgramRequest::PrintUsage, {}};
    if (given("--version")) return {ProgramRequest::PrintVersion, {}};

    CommandLine commandLine;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string_view option = asQtSpells(argument);
        if (argument == "--print-help-path") {
            commandLine.request = ProgramRequest::PrintManualPath;
        } else if (kQtOptionsWithValue.contains(option)) {
            ++i;  // its value is the window system's too
        } else if (!kQtFlags.contains(option) && !takesEqualsValue(option)) {
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
