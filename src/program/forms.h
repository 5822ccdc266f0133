#pragma once

// Every window of the program, owned together for the life of the program.

#include <vector>

#include "state/config_forms.h"
#include "state/display_forms.h"
#include "state/download_forms.h"
#include "state/form_refs.h"
#include "state/frm_print_prog.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"
#include "state/trend_forms.h"

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
    FrmTrendQuery frmTrendQuery;

    std::vector<Window*> all() {
        return {&form1,        &frmShowLog,    &frmClock,     &frmTerminal,  &frmFontSelect,  &frmClkFontSelect,
                &frmDownload,  &configScrn,    &frmAbout,     &frmEraseWarn, &frmPortNotOpen, &frmEnterFile,
                &frmEchoKill2, &frmChangeBaud, &frmPrintProg, &frmTrend,     &frmTrendQuery};
    }

    // The windows as the parts reach them.
    operator FormRefs() {
        return {form1,        frmShowLog,    frmClock,     frmTerminal,  frmFontSelect,  frmClkFontSelect,
                frmDownload,  configScrn,    frmAbout,     frmEraseWarn, frmPortNotOpen, frmEnterFile,
                frmEchoKill2, frmChangeBaud, frmPrintProg, frmTrend,     frmTrendQuery};
    }
};

}  // namespace kestrix
