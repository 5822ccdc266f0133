#include "config/ports.h"

namespace kestrix::config {

namespace {
constexpr int kPathBuffer = 256;
}  // namespace

std::array<std::string, 4> comPortPaths(platform::Profile& profile) {
    std::array<std::string, 4> paths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string builtIn = "/dev/ttyS" + std::to_string(i);
        paths[i] = profile.GetPrivateProfileStringA("Ports", "Com" + std::to_string(i + 1), builtIn, kPathBuffer);
        if (paths[i].empty()) paths[i] = builtIn;
    }
    return paths;
}

}  // namespace kestrix::config
