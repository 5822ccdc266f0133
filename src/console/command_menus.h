#pragma once

// The "&Control" and "&Query" menus at work: choosing a catalogue entry prepares the command
// line, and choosing a status-system entry starts a status-query group.

#include "state/command_catalogue.h"
#include "state/context.h"

namespace kestrix {

// Connects every entry of the catalogue's menus to the handlers below.
void wireCommandMenus(Context& ctx);

// Runs a chosen catalogue entry: a status-system entry starts its group; any other entry puts its
// command into the command line (replacing what was there) and its help under it, and where its
// row says so gives the command line the focus with the caret where the value goes. Nothing is
// sent and the history is untouched.
void chooseCatalogueEntry(Context& ctx, const CatalogueEntry& entry);

// A status-system selection of `group`. Dropped while a request waits to be sent or a group is
// running or held; refused with a note in the log while the port is closed; held while a single
// command's reply is outstanding; otherwise the group starts with the send button disabled.
void selectQueryGroup(Context& ctx, int group);

}  // namespace kestrix
