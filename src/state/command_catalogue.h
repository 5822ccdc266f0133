#pragma once

// The receiver's command catalogue: every entry of the Control & Query window's "&Control" and
// "&Query" menus as one table of data. The window builds both menus from it, and one handler
// (console/command_menus.h) reads the chosen entry's row; no entry has code of its own.

#include <span>
#include <string_view>

namespace kestrix {

// The menu on the window's menu bar that an entry belongs to.
enum class CatalogueMenu { Control, Query };

// Where choosing an entry leaves the keyboard focus and the command line's caret.
enum class Caret {
    Unmoved,       // the focus stays where it was
    AtEnd,         // the command line takes the focus, the caret after the last character
    BeforeSuffix,  // the command line takes the focus, the caret before the unit at its end (" ns")
};

// Characters that Caret::BeforeSuffix leaves after the caret: the blank and the unit "ns".
inline constexpr std::size_t kCaretSuffixLength = 3;

struct CatalogueEntry {
    CatalogueMenu menu;
    // 1: an entry of the menu itself; 2: an entry of the submenu opened by the nearest entry of
    // depth 1 above it.
    int depth;
    // The name of the menu item; elements of a control array carry their index, "mnuQueryItem(3)".
    std::string_view name;
    // With "&" before the access key; empty for a separator.
    std::string_view caption;
    // What choosing it writes into the command line; a trailing blank is part of the command, and
    // the user's value follows it. Empty for submenus, separators and the status-system entries.
    std::string_view command;
    // What choosing it writes into lblSend, under the command line.
    std::string_view help;
    Caret caret = Caret::Unmoved;
    // Shown only while the identified receiver is a 73408K.
    bool modelSpecific = false;
    // The status-query group the entry starts instead of filling the command line; 0 for none.
    int queryGroup = 0;

    bool isSeparator() const { return caption.empty(); }
};

// Every entry of both menus, in menu order.
std::span<const CatalogueEntry> commandCatalogue();

// The access key of a caption: the character after its "&", or 0 when it has none.
char accessKey(std::string_view caption);

}  // namespace kestrix
