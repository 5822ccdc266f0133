#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrix::sim {

// One received program message, split into its header and its parameter text.
struct ScpiCommand {
    std::string header;         // as received, e.g. ":syst:comm:ser2:fdup"
    bool query = false;         // the header ends with "?"
    std::string parameters;     // the rest of the line, blanks around it removed
    std::vector<int> suffixes;  // numeric suffixes of the matched header's numbered nodes
};

// Splits a command line (line end removed). Nothing is matched yet.
ScpiCommand splitCommand(const std::string& line);

// Matches a header against a pattern written as the SCPI manuals write commands:
// "SYSTem:COMMunicate:SERial#:FDUPlex?" or "STATus:OPERation[:EVENt]?" or "*IDN?". Each node
// matches its short form (the capitals) or its long form, in any case; "#" takes an optional
// number (1 when absent) that is added to `suffixes`; a node in brackets may be left out; the
// leading colon is optional; a pattern ending in "?" matches queries only, others settings only.
bool matchHeader(const std::string& pattern, ScpiCommand& command);

}  // namespace kestrix::sim
