#include "download/preparation_dialogs.h"

namespace kestrix {

void wirePreparationDialogs(Context& ctx) {
    Forms& forms = ctx.forms;
    LinkState& s = ctx.state;
    forms.frmEchoKill2.cmdOK.onClick = [&forms, &s] {
        forms.frmEchoKill2.hide();
        s.prepStep += 1;
    };
    forms.frmChangeBaud.cmdReallyDownload.onClick = [&forms, &s] {
        forms.frmChangeBaud.hide();
        s.prepStep += 1;
    };
    forms.frmChangeBaud.cmdDontDownload.onClick = [&forms, &s] {
        s.prepStep += 2;
        forms.frmChangeBaud.hide();
    };
}

}  // namespace kestrix
