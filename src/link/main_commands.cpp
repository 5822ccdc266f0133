// The main window's own commands: opening and closing the port, copying the status text, help.

#include "common/help.h"
#include "link/link_engine.h"
#include "link/shown_data_age.h"
#include "platform/platform.h"
#include "state/main_window_form.h"

namespace kestrix {

void LinkEngine::portOpenClick() {
    platform::SerialPort& port = ctx_.platform.serial;
    std::string failure;
    v_.portLostReason.clear();
    if (waitingToReopen()) {
        // The user takes over from the tries: the port stays closed until opened again.
        stopReopening();
        portStateChanged();
        return;
    }
    try {
        port.setPortOpen(!port.portOpen());
    } catch (const platform::SerialError& error) {
        failure = error.what();
    }
    portStateChanged();
    if (!failure.empty())
        ctx_.platform.dialogs.msgBox(failure, ctx_.forms.form1.caption, platform::MsgIcon::Exclamation,
                                     platform::MsgButtons::Ok);
}

void LinkEngine::portStateChanged() {
    const bool open = ctx_.platform.serial.portOpen();
    ctx_.state.portIsOpen = open;
    ctx_.forms.form1.MOpen.checked = open;
    if (!open) {
        resetCaptions();
        abandonExchange();
        // With the port closed no tick hands replies over: a command's outcome goes to the log now.
        if (v_.replyReady) handOverReply();
        v_.restartPending = true;
        if (shownAge) shownAge->portClosed();
    }
}

void LinkEngine::copyToClipboardClick() { ctx_.platform.clipboard.setText(ctx_.forms.form1.Term.text()); }

void LinkEngine::helpClick() { openHelp(ctx_); }

}  // namespace kestrix
