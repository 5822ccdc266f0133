#pragma once

#include <optional>
#include <string>

#include "state/context.h"

namespace kestrix {

// The fixed texts of the main window's small windows: the usage notices the Style menu puts into
// the font choosers, and the Help menu's About box. Their lines are joined by LF then CR.
extern const std::string statusFontNotice;
extern const std::string clockFontNotice;

// The About text: the program's purpose and the date and time its running file was last
// modified, as the system writes them; "unknown" when that file cannot be read.
std::string aboutText(const std::optional<std::string>& lastBuilt);

// Style, "Status Font..." and "Clock Font...": the notice goes into the chooser, which is then
// shown, not modal.
void openStatusFontChooser(Context& ctx);
void openClockFontChooser(Context& ctx);

// Help, "About...": the About box, modal, until its OK is pressed.
void openAbout(Context& ctx);

// Connects the About box's OK. The menu entries above are wired with the main window's menus
// (program/menus.cpp).
void wireAboutBox(Context& ctx);

}  // namespace kestrix
