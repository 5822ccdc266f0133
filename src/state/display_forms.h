#pragma once

#include <string_view>

#include "shared/controls.h"

namespace kestrix {

// The clock window: the receiver's time of day in large type.
struct FrmClock : Window {
    FrmClock();
    Label lblClock{"lblClock"};
};

// Where the program's text goes in the terminal window.
enum class TerminalPlace {
    AfterSelection,  // after the user's selection, which stays: received text and time-out lines
    AtEnd,           // after all the text: commands sent from Control & Query
};

// The terminal window: raw traffic with the receiver.
struct FrmTerminal : Window {
    FrmTerminal();
    TextBox txtTerminal{"txtTerminal"};

    // The one way the program writes into the terminal: puts `text` at `place` and leaves the
    // caret at the end, so that the terminal shows its newest text. Only the user's typing and
    // pasting go into the box another way.
    void appendText(std::string_view text, TerminalPlace place);

    MenuItem mnuFile{"mnuFile", "File"};
    MenuItem mnuFilePrint{"mnuFilePrint", "Print Terminal Session..."};
    MenuItem mnuEdit{"mnuEdit", "Edit"};
    MenuItem mnuEditCopy{"mnuEditCopy", "Copy", "Ctrl+C"};
    MenuItem mnuEditPaste{"mnuEditPaste", "Paste", "Ctrl+V"};
    MenuItem mnuEditSelect{"mnuEditSelect", "Select All"};
    MenuItem hyph1 = MenuItem::separator("hyph1");
    MenuItem mnuEditClear{"mnuEditClear", "Clear Buffer"};
    MenuItem mnuStyle{"mnuStyle", "Style"};
    MenuItem mnuTermFont{"mnuTermFont", "Terminal Font..."};
};

// The status font chooser.
struct FrmFontSelect : Window {
    FrmFontSelect();
    Label lblFontInfo{"lblFontInfo"};
    Button cmdFontSelect{"cmdFontSelect"};
    Button cmdFontDefaults{"cmdFontDefaults"};
    Button cmdDontChange{"cmdDontChange"};
};

// The clock font chooser.
struct FrmClkFontSelect : Window {
    FrmClkFontSelect();
    Label lblClkFontInfo{"lblClkFontInfo"};
    Button cmdClkFontSelect{"cmdClkFontSelect"};
    Button cmdFontBigger{"cmdFontBigger"};
    Button cmdFontSmaller{"cmdFontSmaller"};
    Button cmdAllDone{"cmdAllDone"};
};

}  // namespace kestrix
