#include "config/kestrix.h"

#include "config/comm_settings_dialog.h"
#include "config/font_notices.h"
#include "console/control_query.h"
#include "download/preparation_dialogs.h"
#include "link/function_menu.h"
#include "link/link_engine.h"
#include "windows/clock_window.h"
#include "windows/font_choosers.h"
#include "windows/terminal_window.h"

namespace kestrix {

Kestrix::Kestrix(platform::Platform& platform)
    : platform_(platform),
      link_(std::make_unique<LinkEngine>(context)),
      commSettings_(std::make_unique<CommSettingsDialog>(context)) {
    link_->wire();
    commSettings_->wire();
    commSettings_->onPortStateChanged = [this] { link_->portStateChanged(); };
    link_->showCommSettingsModal = [this] { commSettings_->openModal(); };
    forms.form1.MSettings.onClick = [this] { commSettings_->open(); };
    wirePreparationDialogs(context);
    wireFunctionMenu(context);
    wireTerminalWindow(context);
    wireClockWindow(context);
    wireFontChoosers(context, startup);
    wireFontNotices(context);
    wireControlQuery(context);
    forms.form1.MFileExit.onClick = [this] { exitNow(); };
    forms.form1.onCloseRequest = [this](bool& cancel) { requestClose(cancel); };
}

Kestrix::~Kestrix() = default;

void Kestrix::start() {
    forms.form1.Label1.caption = "To start: Select Port Open on the CommPort menu (may need Settings...)";
    forms.form1.show();
    forms.frmShowLog.show();
}

}  // namespace kestrix
