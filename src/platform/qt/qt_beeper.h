#pragma once

#include "platform/services.h"

namespace kestrix::platform::qt {

class QtBeeper final : public Beeper {
public:
    void beep() override;
};

}  // namespace kestrix::platform::qt
