#include "platform/manual_location.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace kestrix::platform {

namespace fs = std::filesystem;

namespace {

// The source tree a CMake build folder was configured from, or empty when the folder is not
// Kestrix's build folder.
std::string sourceTreeOfBuildFolder(const fs::path& folder) {
    std::ifstream cache(folder / "CMakeCache.txt");
    const std::string key = "kestrix_SOURCE_DIR:STATIC=";
    for (std::string line; std::getline(cache, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with(key)) return line.substr(key.size());
    }
    return {};
}

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

ManualLocation locateManualFrom(const std::string& executableFolder, const std::string& page) {
    ManualLocation location;
    if (!executableFolder.empty()) {
        const fs::path folder(executableFolder);
        location.candidates.push_back((folder / ".." / "share" / "kestrix" / "help" / page).lexically_normal());
        if (const std::string source = sourceTreeOfBuildFolder(folder); !source.empty())
            location.candidates.push_back((fs::path(source) / "docs" / "help" / page).lexically_normal());
    }
    for (const std::string& candidate : location.candidates) {
        if (isFile(candidate)) {
            location.found = candidate;
            break;
        }
    }
    return location;
}

ManualLocation locateManual(const std::string& page) {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return locateManualFrom(error ? std::string() : executable.parent_path().string(), page);
}

}  // namespace kestrix::platform
