#pragma once

#include <string>
#include <vector>

namespace kestrix::platform {

// The manual's page for the help file "kestrix.hlp".
inline constexpr const char* kManualPage = "kestrix.html";

// Where a page of the manual was looked for, best first, and where it was found.
struct ManualLocation {
    std::vector<std::string> candidates;
    std::string found;  // the first candidate that is a regular file; empty when none is
};

// The manual for a program running from executableFolder. An installed program finds it in
// ../share/kestrix/help beside its folder (/usr/bin/kestrix reads /usr/share/kestrix/help). A
// program run from its build folder finds it in the source tree's docs/help, the source tree
// being the one the build folder's CMakeCache.txt names; nothing about the source tree is
// compiled into the program.
ManualLocation locateManualFrom(const std::string& executableFolder, const std::string& page = kManualPage);

// The same for the running program, whose folder the system reports (/proc/self/exe).
ManualLocation locateManual(const std::string& page = kManualPage);

}  // namespace kestrix::platform
