// Hands a reply for Control & Query over to its log: a single command's reply, or one query's
// result within a running status-query group; and the group's end, its abandonment, and the
// start of a group that was held while a single command's reply was outstanding.
//
// A reply's way to the log: the port's characters are matched against the prompts into
// replyBuffer (reception.cpp); when the exchange for Control & Query ends, giveReply keeps its
// text (the reply without its prompt, the error text, or "No response from unit"); at the next
// tick handOverReply writes it to the log and sends the group's next query or ends the request.
// The one tick between lets a reply's arrival and its logging happen in separate ticks.

#include <utility>

#include "common/log.h"
#include "link/alarm_decode.h"
#include "link/link_engine.h"
#include "shared/query_groups.h"
#include "state/frm_show_log.h"

namespace kestrix {

void LinkEngine::giveReply(std::string text) {
    v_.replyText = std::move(text);
    v_.replyReady = true;
}

void LinkEngine::handOverReply() {
    LinkState& s = ctx_.state;
    if (v_.replyText.empty()) v_.replyText = "command complete";
    if (s.queryGroup != 0) logGroupResult();
    else appendToLog(ctx_, "\r\nreply: " + v_.replyText);
    v_.replyText.clear();
    v_.replyReady = false;

    if (s.queryGroup == 0) endControlQueryRequest();
    else if (++s.queryIndex > queryCount(s.queryGroup)) endQueryGroup();
    else s.sendRequest = true;  // the group's next query goes out at the next idle tick
}

// One query's result, on the line of its query: its bit pattern or its error text; in the
// alarm-cause group the value is kept, and the last one brings the decode.
void LinkEngine::logGroupResult() {
    LinkState& s = ctx_.state;
    if (s.groupError) {
        appendToLog(ctx_, "   ERROR: " + v_.replyText);
        s.groupError = false;
    } else if (s.queryGroup == kAlarmCauseGroup) {
        v_.queryValues[static_cast<std::size_t>(s.queryIndex)] = registerValue(v_.replyText);
        if (s.queryIndex == queryCount(kAlarmCauseGroup)) appendToLog(ctx_, decodeAlarmCauses(v_.queryValues));
    } else {
        appendToLog(ctx_, "   bit pattern: " + bitPattern(registerValue(v_.replyText), bitWidth(s.queryIndex)));
    }
}

void LinkEngine::endQueryGroup() {
    ctx_.state.queryGroup = 0;
    appendToLog(ctx_, "\r\n");
    endControlQueryRequest();
}

// The window is ready for the next command, unless a status-system selection was held for the
// reply just logged: that group starts now, with the button still disabled.
void LinkEngine::endControlQueryRequest() {
    LinkState& s = ctx_.state;
    if (s.heldQueryGroup != 0) {
        beginQueryGroup(s, s.heldQueryGroup);
        s.heldQueryGroup = 0;
        return;
    }
    ctx_.forms.frmShowLog.cmdSendSCPI.enabled = true;
}

// A Control & Query exchange that ended without its reply: a running group is abandoned, and
// "No response from unit" is handed over as an ordinary reply at the next tick, after which the
// send button is enabled again.
void LinkEngine::answerWithoutReply() {
    LinkState& s = ctx_.state;
    s.queryGroup = 0;
    s.groupError = false;
    giveReply("No response from unit");
}

}  // namespace kestrix
