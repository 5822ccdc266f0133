#pragma once

#include "shared/font.h"

namespace kestrix {

// Values taken at start-up and held for the whole run. Start-up records the displays' fonts as
// built before the settings file changes them; until then they hold the fonts the windows are
// built with.
struct StartupValues {
    FontSpec builtInStatusFont{"Courier New", 9.0f, false, false};
    FontSpec builtInClockFont{"Courier New", 48.0f, false, true};
    FontSpec builtInTerminalFont{"Courier New", 9.0f, false, false};
};

}  // namespace kestrix
