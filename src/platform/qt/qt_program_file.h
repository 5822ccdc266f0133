#pragma once

#include <string>

#include "platform/services.h"

namespace kestrix::platform::qt {

// The running executable, reached through /proc/self/exe (or the file given, for tests).
class QtProgramFile final : public ProgramFile {
public:
    explicit QtProgramFile(std::string path = "/proc/self/exe") : path_(std::move(path)) {}
    std::optional<std::string> lastModified() override;

private:
    std::string path_;
};

}  // namespace kestrix::platform::qt
