#include "download/preparation_dialogs.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "state/download_forms.h"

namespace kestrix {

namespace {

// While a dialog is shown modally, its buttons record their answer before closing it; afterwards
// they only close it again.
template <typename Answer>
class AnsweringButtons {
public:
    AnsweringButtons(Window& dialog, Answer& answer, std::initializer_list<std::pair<Button*, Answer>> buttons)
        : dialog_(dialog) {
        for (const auto& [button, value] : buttons) {
            button->onClick = [&dialog, &answer, value = value] {
                answer = value;
                dialog.hide();
            };
            buttons_.push_back(button);
        }
    }
    ~AnsweringButtons() {
        for (Button* button : buttons_) button->onClick = [&dialog = dialog_] { dialog.hide(); };
    }
    AnsweringButtons(const AnsweringButtons&) = delete;
    AnsweringButtons& operator=(const AnsweringButtons&) = delete;

private:
    Window& dialog_;
    std::vector<Button*> buttons_;
};

}  // namespace

EchoKillAnswer askToTurnEchoOff(Context& ctx) {
    FrmEchoKill2& dialog = ctx.forms.frmEchoKill2;
    EchoKillAnswer answer = EchoKillAnswer::Closed;
    AnsweringButtons<EchoKillAnswer> buttons(dialog, answer, {{&dialog.cmdOK, EchoKillAnswer::Ok}});
    ctx.platform.dialogs.showModal(dialog);
    return answer;
}

ChangeBaudAnswer askToChangeBaud(Context& ctx) {
    FrmChangeBaud& dialog = ctx.forms.frmChangeBaud;
    ChangeBaudAnswer answer = ChangeBaudAnswer::Closed;
    AnsweringButtons<ChangeBaudAnswer> buttons(dialog, answer,
                                               {{&dialog.cmdReallyDownload, ChangeBaudAnswer::SetTo19200},
                                                {&dialog.cmdDontDownload, ChangeBaudAnswer::LeaveAsIs}});
    ctx.platform.dialogs.showModal(dialog);
    return answer;
}

void wirePreparationDialogs(Context& ctx) {
    FormRefs& forms = ctx.forms;
    for (Button* button : {&forms.frmEchoKill2.cmdOK}) button->onClick = [&forms] { forms.frmEchoKill2.hide(); };
    for (Button* button : {&forms.frmChangeBaud.cmdReallyDownload, &forms.frmChangeBaud.cmdDontDownload})
        button->onClick = [&forms] { forms.frmChangeBaud.hide(); };
}

}  // namespace kestrix
