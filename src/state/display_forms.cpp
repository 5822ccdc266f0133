#include "state/display_forms.h"

#include <string>

namespace kestrix {

namespace {
void place(Button& button, const char* caption, Rect where) {
    button.caption = caption;
    button.geometry = where;
}
}  // namespace

FrmClock::FrmClock() : Window("FrmClock", "Clock") {
    greyBackground = true;
    font = {"Courier New", 48.0f, false, true};
    geometry = {1000, 7400, 6000, 1600};
    lblClock.font = font;
    lblClock.centered = true;
    lblClock.geometry = {0, 0, 6000, 1200};
    controls = {&lblClock};
}

FrmTerminal::FrmTerminal() : Window("frmTerminal", "Kestrix Terminal") {
    geometry = {1400, 1000, 10000, 6600};
    txtTerminal.font = {"Courier New", 9.0f, false, false};
    txtTerminal.multiLine = true;
    txtTerminal.verticalScrollBar = true;
    txtTerminal.maxLength = 30000;
    txtTerminal.dropsOldestText = true;
    txtTerminal.geometry = {0, 0, 9840, 6000};
    controls = {&txtTerminal};
    mnuFile.items = {&mnuFilePrint};
    mnuEdit.items = {&mnuEditCopy, &mnuEditPaste, &mnuEditSelect, &hyph1, &mnuEditClear};
    mnuStyle.items = {&mnuTermFont};
    menuBar = {&mnuFile, &mnuEdit, &mnuStyle};
}

void FrmTerminal::appendText(std::string_view text, TerminalPlace place) {
    if (place == TerminalPlace::AtEnd) txtTerminal.moveCaretToEnd();
    txtTerminal.replaceSelection(txtTerminal.selectedText() + std::string(text));
    txtTerminal.moveCaretToEnd();
}

FrmFontSelect::FrmFontSelect() : Window("frmFontSelect", "Select Status Font") {
    dialog = true;
    geometry = {3000, 3000, 7200, 2700};
    lblFontInfo.wordWrap = true;
    lblFontInfo.geometry = {120, 120, 6840, 1200};
    place(cmdFontSelect, "Font Select >>", {120, 1500, 2100, 450});
    place(cmdFontDefaults, "Set Fonts to Default", {2400, 1500, 2400, 450});
    place(cmdDontChange, "Done", {5000, 1500, 1500, 450});
    controls = {&lblFontInfo, &cmdFontSelect, &cmdFontDefaults, &cmdDontChange};
    defaultButton = cancelButton = &cmdDontChange;
}

FrmClkFontSelect::FrmClkFontSelect() : Window("frmClkFontSelect", "Select Clock Font") {
    dialog = true;
    geometry = {3000, 3000, 7200, 2900};
    lblClkFontInfo.wordWrap = true;
    lblClkFontInfo.geometry = {120, 120, 6840, 1400};
    place(cmdClkFontSelect, "Font Select >>", {120, 1700, 1600, 450});
    place(cmdFontBigger, "Enlarge Font", {1850, 1700, 1600, 450});
    place(cmdFontSmaller, "Reduce Font", {3580, 1700, 1600, 450});
    place(cmdAllDone, "Done", {5310, 1700, 1500, 450});
    controls = {&lblClkFontInfo, &cmdClkFontSelect, &cmdFontBigger, &cmdFontSmaller, &cmdAllDone};
    defaultButton = cancelButton = &cmdAllDone;
}

}  // namespace kestrix
