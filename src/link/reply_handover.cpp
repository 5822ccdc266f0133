// Hands a reply for Control & Query over to its log: a single command's reply, or one query's
// result within a running status-query group.

#include "console/log.h"
#include "link/alarm_decode.h"
#include "link/link_engine.h"
#include "link/query_groups.h"

namespace kestrix {

void LinkEngine::handOverReply() {
    LinkState& s = ctx_.state;
    if (s.replyText.empty()) s.replyText = "command complete";
    if (s.queryGroup != 0) {
        if (s.groupError) {
            appendToLog(ctx_, "   ERROR: " + s.replyText);
            s.groupError = false;
        } else if (s.queryGroup == kAlarmCauseGroup) {
            v_.queryValues[s.queryIndex] = registerValue(s.replyText);
            if (s.queryIndex == queryCount(kAlarmCauseGroup)) appendToLog(ctx_, decodeAlarmCauses(v_.queryValues));
        } else {
            appendToLog(ctx_, "   bit pattern: " + bitPattern(registerValue(s.replyText), bitWidth(s.queryIndex)));
        }
    } else {
        appendToLog(ctx_, "\r\nreply: " + s.replyText);
    }
    s.replyText.clear();
    s.replyReady = false;

    Button& send = ctx_.forms.frmShowLog.cmdSendSCPI;
    if (s.queryGroup == 0) {
        send.enabled = true;
        return;
    }
    if (++s.queryIndex > queryCount(s.queryGroup)) {
        send.enabled = true;
        s.queryGroup = 0;
        appendToLog(ctx_, "\r\n");
    } else {
        s.sendRequest = true;
    }
}

}  // namespace kestrix
