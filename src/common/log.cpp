#include "common/log.h"

#include "state/frm_show_log.h"

namespace kestrix {

void appendToLog(Context& ctx, std::string_view text) {
    TextBox& log = ctx.forms.frmShowLog.txtShowLog;
    log.append(text);
    log.moveCaretToEnd();
}

}  // namespace kestrix
