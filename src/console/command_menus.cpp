#include "console/command_menus.h"

#include "common/log.h"
#include "shared/query_groups.h"
#include "state/frm_show_log.h"

namespace kestrix {

namespace {

// Entries that are menus of their own, or separators, run nothing.
bool runsSomething(const CatalogueEntry& entry) { return !entry.command.empty() || entry.queryGroup != 0; }

void prepareCommandLine(FrmShowLog& window, const CatalogueEntry& entry) {
    ComboBox& line = window.cmbSendSCPI;
    line.text = std::string(entry.command);
    window.lblSend.caption = std::string(entry.help);
    if (entry.caret == Caret::Unmoved) return;
    line.focusRequested = true;
    line.caretPosition = line.text.size();
    if (entry.caret == Caret::BeforeSuffix && line.caretPosition >= kCaretSuffixLength)
        line.caretPosition -= kCaretSuffixLength;
}

}  // namespace

void wireCommandMenus(Context& ctx) {
    for (FrmShowLog::CatalogueItem& built : ctx.forms.frmShowLog.catalogueItems) {
        const CatalogueEntry& entry = *built.entry;
        if (runsSomething(entry)) built.item.onClick = [&ctx, &entry] { chooseCatalogueEntry(ctx, entry); };
    }
}

void chooseCatalogueEntry(Context& ctx, const CatalogueEntry& entry) {
    if (entry.queryGroup != 0) selectQueryGroup(ctx, entry.queryGroup);
    else prepareCommandLine(ctx.forms.frmShowLog, entry);
}

void selectQueryGroup(Context& ctx, int group) {
    LinkState& s = ctx.state;
    Button& send = ctx.forms.frmShowLog.cmdSendSCPI;
    // A hold outlives its reason only if the reply never came through the hand-over; with the
    // window ready again it is forgotten.
    if (send.enabled) s.heldQueryGroup = 0;
    // A request waiting to be sent, or a group running or held, keeps its place: the selection is
    // dropped without touching it.
    if (s.sendRequest || s.queryGroup != 0 || s.heldQueryGroup != 0) return;
    if (!s.portIsOpen) {
        appendToLog(ctx, "\r\nYou need to enable the port first");
        return;
    }
    // The button is disabled with nothing waiting and no group: a single command's reply is still
    // to come. The group starts once that reply is in the log, so the reply is never taken for the
    // group's first.
    if (!send.enabled) {
        s.heldQueryGroup = group;
        return;
    }
    send.enabled = false;
    beginQueryGroup(s, group);
}

}  // namespace kestrix
