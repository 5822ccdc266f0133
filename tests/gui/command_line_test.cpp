// The program's command line, read before the window system starts.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix::app {
namespace {

TEST(CommandLine, TheWindowSystemsOptionsAreLeftToItAndAnyOtherArgumentIsRefused) {
    struct Case {
        std::vector<std::string> arguments;
        ProgramRequest request;
        std::string refused;
    };
    const Case cases[] = {
        {{}, ProgramRequest::Run, ""},
        {{"-platform", "offscreen"}, ProgramRequest::Run, ""},
        {{"--platform", "offscreen", "--print-help-path"}, ProgramRequest::PrintManualPath, ""},
        {{"-style=fusion", "-reverse", "-stylesheet", "my.qss"}, ProgramRequest::Run, ""},
        {{"-qwindowgeometry", "640x480+10+10", "-display", ":1", "-name", "lab"}, ProgramRequest::Run, ""},
        {{"--bogus"}, ProgramRequest::Refuse, "--bogus"},
        {{"-platform", "offscreen", "--bogus"}, ProgramRequest::Refuse, "--bogus"},
        {{"offscreen"}, ProgramRequest::Refuse, "offscreen"},
        {{"-styles=fusion"}, ProgramRequest::Refuse, "-styles=fusion"},
        {{"--bogus", "--help"}, ProgramRequest::PrintUsage, ""},
    };
    for (const Case& c : cases) {
        std::string given;
        for (const std::string& argument : c.arguments) given += argument + " ";
        SCOPED_TRACE(given);
        const CommandLine read = parseCommandLine(c.arguments);
        EXPECT_EQ(read.request, c.request);
        EXPECT_EQ(read.refused, c.refused);
    }
}

}  // namespace
}  // namespace kestrix::app
