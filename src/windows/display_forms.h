#pragma once

#include "shared/controls.h"

namespace kestrix {

// The clock window: the receiver's time of day in large type.
struct FrmClock : Window {
    FrmClock();
    Label lblClock{"lblClock"};
};

// The terminal window: raw traffic with the receiver.
struct FrmTerminal : Window {
    FrmTerminal();
    TextBox txtTerminal{"txtTerminal"};

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
