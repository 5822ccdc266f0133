#pragma once

#include "state/context.h"
#include "state/main_window_form.h"

namespace kestrix {

// The main window: its layout, its fitting to the view and its Function menu's handlers (the
// four views, Disable Updates and Demo Mode), wired with the rest of its menus in
// program/menus.cpp. Its state, `Form1`, is in state/main_window_form.h.

// Timer1's interval in demo mode and out of it, in milliseconds.
inline constexpr int kDemoTickMs = 90;
inline constexpr int kLinkTickMs = 11;
// What demo mode appends to the main window's caption while it lasts.
inline constexpr const char* kDemoCaptionSuffix = " (Demo) ";

// Keeps the status display under the band and across the main window's inner width.
void layoutMainWindow(Form1& form1);

// Sizes the main window to its view, as main_window.cpp tells.
void fitMainWindowToView(Context& ctx);

// Puts the check mark on `view` alone among the four view items.
void checkOnlyView(Form1& form1, MenuItem& view);

// Marks the terminal view as the view; leaves the terminal and clock windows as they are.
void switchToTerminalView(Context& ctx);

void chooseStatusView(Context& ctx);
void chooseClockView(Context& ctx);
void chooseCustomUpdateView(Context& ctx);
void chooseTerminalView(Context& ctx);
void toggleDisableUpdates(Context& ctx);
void toggleDemoMode(Context& ctx);

}  // namespace kestrix
