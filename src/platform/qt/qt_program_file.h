#pragma once

#include "platform/services.h"

namespace kestrix::platform::qt {

// The running executable, found through /proc/self/exe.
class QtProgramFile final : public ProgramFile {
public:
    std::optional<std::string> lastModified() override;
};

}  // namespace kestrix::platform::qt
