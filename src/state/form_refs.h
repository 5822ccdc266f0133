#pragma once

// The windows as the parts reach them: one reference per window, each type only declared here,
// so that a part includes the state of the windows it works on and no other. The program owns
// the windows themselves (`Forms`, src/program/forms.h).
//
// | Window                                                            | State in                  |
// |-------------------------------------------------------------------|---------------------------|
// | form1 (the main window)                                           | state/main_window_form.h  |
// | frmShowLog (Control & Query)                                      | state/frm_show_log.h      |
// | frmPrintProg (printing progress)                                  | state/frm_print_prog.h    |
// | frmClock, frmTerminal, frmFontSelect, frmClkFontSelect            | state/display_forms.h     |
// | frmDownload, frmEraseWarn, frmPortNotOpen, frmEnterFile,          | state/download_forms.h    |
// | frmEchoKill2, frmChangeBaud                                       |                           |
// | configScrn (Communication Settings), frmAbout                     | state/config_forms.h      |
// | frmTrend, frmTrendQuery                                           | state/trend_forms.h       |

namespace kestrix {

struct Form1;
struct FrmShowLog;
struct FrmClock;
struct FrmTerminal;
struct FrmFontSelect;
struct FrmClkFontSelect;
struct FrmDownload;
struct ConfigScrn;
struct FrmAbout;
struct FrmEraseWarn;
struct FrmPortNotOpen;
struct FrmEnterFile;
struct FrmEchoKill2;
struct FrmChangeBaud;
struct FrmPrintProg;
struct FrmTrend;
struct FrmTrendQuery;

struct FormRefs {
    Form1& form1;
    FrmShowLog& frmShowLog;
    FrmClock& frmClock;
    FrmTerminal& frmTerminal;
    FrmFontSelect& frmFontSelect;
    FrmClkFontSelect& frmClkFontSelect;
    FrmDownload& frmDownload;
    ConfigScrn& configScrn;
    FrmAbout& frmAbout;
    FrmEraseWarn& frmEraseWarn;
    FrmPortNotOpen& frmPortNotOpen;
    FrmEnterFile& frmEnterFile;
    FrmEchoKill2& frmEchoKill2;
    FrmChangeBaud& frmChangeBaud;
    FrmPrintProg& frmPrintProg;
    FrmTrend& frmTrend;
    FrmTrendQuery& frmTrendQuery;
};

}  // namespace kestrix
