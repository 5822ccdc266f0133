#pragma once

#include "shared/context.h"

namespace kestrix {

// The main window's Function menu: the four views, Disable Updates and Demo Mode.

// Timer1's interval in demo mode and out of it, in milliseconds.
inline constexpr int kDemoTickMs = 90;
inline constexpr int kLinkTickMs = 11;
// What demo mode appends to the main window's caption while it lasts.
inline constexpr const char* kDemoCaptionSuffix = " (Demo) ";

// Puts the check mark on `view` alone among the four view items.
void checkOnlyView(Form1& form1, MenuItem& view);

void chooseStatusView(Context& ctx);
void chooseClockView(Context& ctx);
void chooseCustomUpdateView(Context& ctx);
void chooseTerminalView(Context& ctx);
void toggleDisableUpdates(Context& ctx);
void toggleDemoMode(Context& ctx);

// Gives the Function menu's items their handlers.
void wireFunctionMenu(Context& ctx);

}  // namespace kestrix
