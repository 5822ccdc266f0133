#pragma once

#include <string>

#include "program/context.h"

namespace kestrix {

// The usage notices the Style menu puts into the font choosers, lines joined by LF then CR.
extern const std::string statusFontNotice;
extern const std::string clockFontNotice;

// Style, "Status Font..." and "Clock Font...": the notice goes into the chooser, which is then
// shown, not modal.
void openStatusFontChooser(Context& ctx);
void openClockFontChooser(Context& ctx);

void wireFontNotices(Context& ctx);

}  // namespace kestrix
