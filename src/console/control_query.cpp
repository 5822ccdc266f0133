#include "console/control_query.h"

#include "common/log.h"
#include "platform/platform.h"
#include "state/display_forms.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr char kEnter = 13;
constexpr int kHeightOnLoad = 3000;  // twips

// In the terminal view the line goes to the port at once and is echoed in the terminal window;
// the scheduler's terminal tick collects whatever comes back.
void sendToTerminal(Context& ctx, const std::string& command) {
    LinkState& s = ctx.state;
    Label& status = ctx.forms.form1.Label1;
    s.termIdleTicks = 0;
    s.termResponsePending = true;
    status.caption = "Sending...";
    try {
        ctx.platform.serial.output(command + "\r\n");
    } catch (const platform::SerialError& error) {
        status.caption = error.what();
        return;
    }
    ctx.forms.frmTerminal.appendText(command + "\r\n", TerminalPlace::AtEnd);
}

// Hands the command to the scheduler, which writes it at its next idle tick.
void queueForScheduler(Context& ctx, const std::string& command) {
    FrmShowLog& window = ctx.forms.frmShowLog;
    LinkState& s = ctx.state;
    window.cmdSendSCPI.enabled = false;
    s.sendRequest = true;
    appendToLog(ctx, "\r\nSent: " + command);
    window.cmbSendSCPI.addItem(command);
    s.currentCommand = command;
}

}  // namespace

void wireControlQuery(Context& ctx) {
    FrmShowLog& window = ctx.forms.frmShowLog;
    window.geometry.height = kHeightOnLoad;
    window.cmdSendSCPI.onClick = [&ctx] { sendButtonClick(ctx); };
    window.cmbSendSCPI.onKeyPress = [&ctx](char key) { commandLineKeyPress(ctx, key); };
    window.cmbSendSCPI.onClick = [&ctx] { historyChosen(ctx); };
    window.cmdClearEntry.onClick = [&ctx] { clearEntryClick(ctx); };
    window.cmdClearInfo.onClick = [&ctx] { clearLogClick(ctx); };
    window.onCloseRequest = [&ctx](bool& cancel) { controlQueryCloseRequest(ctx, cancel); };
}

void sendButtonClick(Context& ctx) {
    const std::string& line = ctx.forms.frmShowLog.cmbSendSCPI.text;
    if (line.empty() || ctx.state.sendRequest) return;
    sendCommand(ctx, line);
}

void commandLineKeyPress(Context& ctx, char key) {
    const FrmShowLog& window = ctx.forms.frmShowLog;
    if (key != kEnter || !window.cmdSendSCPI.enabled) return;
    if (window.cmbSendSCPI.text.empty() || ctx.state.sendRequest) return;
    sendCommand(ctx, window.cmbSendSCPI.text);
}

void sendCommand(Context& ctx, const std::string& command) {
    if (!ctx.state.portIsOpen) {
        appendToLog(ctx, "\r\nYou need to enable the port first");
        return;
    }
    if (ctx.forms.form1.funcTermEmul.checked) sendToTerminal(ctx, command);
    else queueForScheduler(ctx, command);
}

void clearEntryClick(Context& ctx) {
    FrmShowLog& window = ctx.forms.frmShowLog;
    window.cmbSendSCPI.focusRequested = true;
    window.cmbSendSCPI.text.clear();
    window.cmbSendSCPI.caretPosition = 0;
    window.lblSend.caption.clear();
}

void clearLogClick(Context& ctx) { ctx.forms.frmShowLog.txtShowLog.setText({}); }

void historyChosen(Context& ctx) { ctx.forms.frmShowLog.lblSend.caption.clear(); }

void copyLogToClipboard(Context& ctx) { ctx.platform.clipboard.setText(ctx.forms.frmShowLog.txtShowLog.text()); }

void controlQueryCloseRequest(Context& ctx, bool& cancel) {
    cancel = true;
    ctx.forms.frmShowLog.hide();
}

void showControlQuery(Context& ctx) {
    FrmShowLog& window = ctx.forms.frmShowLog;
    window.show();
    window.raiseRequested = true;
}

}  // namespace kestrix
