#pragma once

// The Control & Query window's own behaviour: the command line with its two ways of sending,
// the history, the log's buttons and Edit menu, and closing and showing the window again.

#include <string>

#include "shared/controls.h"
#include "state/context.h"

namespace kestrix {

// Sets the window's size for its load and connects its buttons and command line to their
// handlers. Its menus, and the main window's entry that shows it, are wired in program/menus.cpp.
void wireControlQuery(Context& ctx);

// "Send Cmd": sends the command line when it is not empty and no command is queued.
void sendButtonClick(Context& ctx);
// A key typed in the command line: Enter sends it when the button is enabled, the line is not
// empty and no command is queued. Any other key is left to the box.
void commandLineKeyPress(Context& ctx, char key);
// Sends `command` without testing: a port-closed note in the log, straight to the line in the
// terminal view, otherwise queued for the scheduler.
void sendCommand(Context& ctx, const std::string& command);

void clearEntryClick(Context& ctx);
void clearLogClick(Context& ctx);
void historyChosen(Context& ctx);
void copyLogToClipboard(Context& ctx);

// Closing the window only hides it, since the scheduler keeps writing to its log.
void controlQueryCloseRequest(Context& ctx, bool& cancel);
// The main window's "Control & Query" entry: shows the window and brings it to the front.
void showControlQuery(Context& ctx);

}  // namespace kestrix
