#include "config/ports.h"

namespace kestrix::config {

std::array<std::string, 4> comPortPaths(platform::Profile& profile) {
    std::array<std::string, 4> paths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string builtIn = "/dev/ttyS" + std::to_string(i);
        paths[i] = platform::readWholeString(profile, "Ports", "Com" + std::to_string(i + 1), builtIn);
        if (paths[i].empty()) paths[i] = builtIn;
    }
    return paths;
}

bool reopenLostPort(platform::Profile& profile) { return profile.GetPrivateProfileIntA("Ports", "Reopen", 1) != 0; }

}  // namespace kestrix::config
