#pragma once

// Every window of the program, owned together for the life of the program.

#include "config/config_forms.h"
#include "console/frm_print_prog.h"
#include "console/frm_show_log.h"
#include "download/download_forms.h"
#include "link/main_window_form.h"
#include "trend/trend_forms.h"
#include "windows/display_forms.h"

namespace kestrix {

struct Forms {
    Form1 form1;
    FrmShowLog frmShowLog;
    FrmClock frmClock;
    FrmTerminal frmTerminal;
    FrmFontSelect frmFontSelect;
    FrmClkFontSelect frmClkFontSelect;
    FrmDownload frmDownload;
    ConfigScrn configScrn;
    FrmAbout frmAbout;
    FrmEraseWarn frmEraseWarn;
    FrmPortNotOpen frmPortNotOpen;
    FrmEnterFile frmEnterFile;
    FrmEchoKill2 frmEchoKill2;
    FrmChangeBaud frmChangeBaud;
    FrmPrintProg frmPrintProg;
    FrmTrend frmTrend;

    std::vector<Window*> all() {
        return {&form1,        &frmShowLog,    &frmClock,     &frmTerminal,  &frmFontSelect,  &frmClkFontSelect,
                &frmDownload,  &configScrn,    &frmAbout,     &frmEraseWarn, &frmPortNotOpen, &frmEnterFile,
                &frmEchoKill2, &frmChangeBaud, &frmPrintProg, &frmTrend};
    }
};

}  // namespace kestrix
