#pragma once

#include "state/context.h"
#include "state/display_forms.h"

namespace kestrix {

// The terminal window: typed keys are collected into termLineBuffer and sent on Enter; its menus
// copy, paste, select, clear and print the text and change its font.

// A character key in txtTerminal, before the box inserts it.
void terminalKeyPress(Context& ctx, char key);

void terminalCopy(Context& ctx);
void terminalPaste(Context& ctx);
void terminalSelectAll(Context& ctx);
void terminalClearBuffer(Context& ctx);
void terminalPrint(Context& ctx);
void terminalChooseFont(Context& ctx);
// The text box fills the window's inner area.
void layoutTerminalWindow(FrmTerminal& window);

void wireTerminalWindow(Context& ctx);

}  // namespace kestrix
