#pragma once

// Help, from the main window's Help menu and from Control & Query's: the manual at its start.

#include "state/context.h"

namespace kestrix {

// The manual and the keyword of its opening topic.
inline constexpr const char* kHelpFile = "kestrix.html";
inline constexpr const char* kHelpKeyword = "Kestrix Help";

// Opens the manual at "Kestrix Help" in the help viewer and returns without waiting for it. When
// the viewer cannot show it (the manual is missing), a message box says why and where it looked.
void openHelp(Context& ctx);

}  // namespace kestrix
