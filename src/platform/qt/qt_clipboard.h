#pragma once

#include "platform/services.h"

namespace kestrix::platform::qt {

// The desktop's clipboard, as plain text.
class QtClipboard final : public Clipboard {
public:
    void setText(const std::string& text) override;
    std::string text() override;
};

}  // namespace kestrix::platform::qt
