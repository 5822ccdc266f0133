#include "windows/terminal_window.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "common/main_window.h"
#include "common/printing.h"
#include "platform/platform.h"
#include "state/main_window_form.h"
#include "windows/font_choice.h"

namespace kestrix {

namespace {

constexpr char kEnter = '\r';

void sendLine(Context& ctx) {
    LinkState& state = ctx.state;
    Label& label = ctx.forms.form1.Label1;
    ctx.forms.frmTerminal.txtTerminal.moveCaretToEnd();
    state.termIdleTicks = 0;
    state.termResponsePending = true;
    label.caption = "Sending...";
    try {
        ctx.platform.serial.output(state.termLineBuffer + "\r\n");
    } catch (const platform::SerialError& error) {
        label.caption = error.what();
    }
    state.termLineBuffer.clear();
}

}  // namespace

void terminalKeyPress(Context& ctx, char key) {
    Form1& form1 = ctx.forms.form1;
    LinkState& state = ctx.state;
    // Typing while another view is shown switches the main window to the terminal view; what
    // was collected before is dropped.
    if (!form1.funcTermEmul.checked) switchToTerminalView(ctx);
    if (!state.portIsOpen) {
        form1.Label1.caption = "Port not open";
        return;
    }
    form1.Label1.caption.clear();
    state.termReady = true;
    TextBox& box = ctx.forms.frmTerminal.txtTerminal;
    if (box.selStart() != box.text().size()) box.moveCaretToEnd();
    if (key == kEnter) {
        sendLine(ctx);
    } else {
        state.termLineBuffer += key;
        form1.Label1.caption = "In Kestrix Terminal Mode";
    }
}

void terminalCopy(Context& ctx) { ctx.platform.clipboard.setText(ctx.forms.frmTerminal.txtTerminal.selectedText()); }

void terminalPaste(Context& ctx) {
    TextBox& box = ctx.forms.frmTerminal.txtTerminal;
    const std::string pasted = ctx.platform.clipboard.text();
    box.moveCaretToEnd();
    box.replaceSelection(pasted);
    ctx.state.termLineBuffer += pasted;
}

void terminalSelectAll(Context& ctx) {
    TextBox& box = ctx.forms.frmTerminal.txtTerminal;
    box.setSelection(0, box.text().size());
}

void terminalClearBuffer(Context& ctx) { ctx.forms.frmTerminal.txtTerminal.setText(""); }

void terminalPrint(Context& ctx) {
    FrmTerminal& window = ctx.forms.frmTerminal;
    printText(ctx, window, window.txtTerminal, "Terminal Session");
}

void terminalChooseFont(Context& ctx) {
    TextBox& box = ctx.forms.frmTerminal.txtTerminal;
    if (const auto chosen = chooseFontWithSize(ctx, box.font)) box.font = *chosen;
}

void layoutTerminalWindow(FrmTerminal& window) {
    window.txtTerminal.geometry = {0, 0, std::max(0, window.innerWidth()), std::max(0, window.innerHeight())};
}

void wireTerminalWindow(Context& ctx) {
    FrmTerminal& window = ctx.forms.frmTerminal;
    window.txtTerminal.onKeyPress = [&ctx](char key) { terminalKeyPress(ctx, key); };
    const std::array<std::pair<MenuItem*, void (*)(Context&)>, 6> handlers{{
        {&window.mnuFilePrint, terminalPrint},
        {&window.mnuEditCopy, terminalCopy},
        {&window.mnuEditPaste, terminalPaste},
        {&window.mnuEditSelect, terminalSelectAll},
        {&window.mnuEditClear, terminalClearBuffer},
        {&window.mnuTermFont, terminalChooseFont},
    }};
    for (const auto& [item, handler] : handlers) item->onClick = [&ctx, handler = handler] { handler(ctx); };
    window.onResize = [&window] { layoutTerminalWindow(window); };
}

}  // namespace kestrix
