#include "config/kestrix.h"

#include "config/font_notices.h"
#include "download/preparation_dialogs.h"
#include "link/function_menu.h"
#include "link/link_engine.h"
#include "windows/clock_window.h"
#include "windows/font_choosers.h"
#include "windows/terminal_window.h"

namespace kestrix {

Kestrix::Kestrix(platform::Platform& platform)
    : platform_(platform), link_(std::make_unique<LinkEngine>(context)) {
    link_->wire();
    wirePreparationDialogs(context);
    wireFunctionMenu(context);
    wireTerminalWindow(context);
    wireClockWindow(context);
    wireFontChoosers(context, startup);
    wireFontNotices(context);
    forms.form1.MFileExit.onClick = [this] { quitRequested_ = true; };
}

Kestrix::~Kestrix() = default;

void Kestrix::start() {
    forms.form1.Label1.caption = "To start: Select Port Open on the CommPort menu (may need Settings...)";
    forms.form1.show();
    forms.frmShowLog.show();
}

void Kestrix::requestClose(bool& cancel) {
    cancel = false;
    quitRequested_ = true;
}

}  // namespace kestrix
