// The menus of the main window and of Control & Query, wired in one place: each item, the
// handler it runs, and where that handler lives. The other windows' menus and buttons are wired
// by their own parts: the trend window in trend/trend_window.cpp, the download window in
// download/download_window.cpp, the Communication Settings dialog in
// config/comm_settings_dialog.cpp.

#include <functional>
#include <utility>

#include "common/help.h"
#include "common/main_window.h"
#include "config/comm_settings_dialog.h"
#include "config/font_notices.h"
#include "console/command_menus.h"
#include "console/control_query.h"
#include "download/firmware_download.h"
#include "link/link_engine.h"
#include "link/shown_data_age.h"
#include "program/kestrix.h"
#include "trend/trend_window.h"

namespace kestrix {

namespace {

struct MenuHandler {
    MenuItem* item;
    std::function<void()> handler;
};

void wire(std::initializer_list<MenuHandler> handlers) {
    for (const MenuHandler& h : handlers) h.item->onClick = h.handler;
}

}  // namespace

void Kestrix::wireMenus() {
    Form1& f = forms.form1;
    Context& ctx = context;
    wire({
        // File
        {&f.MFileExit, [this] { exitNow(); }},  // program/shutdown.cpp
        // Edit
        {&f.mnuEditItem, [this] { link_->copyToClipboardClick(); }},  // link/main_commands.cpp
        // CommPort
        {&f.MOpen, [this] { link_->portOpenClick(); }},     // link/main_commands.cpp
        {&f.MSettings, [this] { commSettings_->open(); }},  // config/comm_settings_dialog.cpp
        // Function
        {&f.funcStatus, [&ctx] { chooseStatusView(ctx); }},                          // common/main_window.cpp
        {&f.funcClock, [&ctx] { chooseClockView(ctx); }},                            // common/main_window.cpp
        {&f.FuncCustUpdate, [&ctx] { chooseCustomUpdateView(ctx); }},                // common/main_window.cpp
        {&f.funcTermEmul, [&ctx] { chooseTerminalView(ctx); }},                      // common/main_window.cpp
        {&f.disableUpdates, [&ctx] { toggleDisableUpdates(ctx); }},                  // common/main_window.cpp
        {&f.demoMode, [&ctx] { toggleDemoMode(ctx); }},                              // common/main_window.cpp
        {&f.funcControlQuery, [&ctx] { showControlQuery(ctx); }},                    // console/control_query.cpp
        {&f.funcTrend, [this] { trend_->open(); }},                                  // trend/trend_window.cpp
        {&f.alarmNotifications, [this] { shownAge_->toggleAlarmNotifications(); }},  // link/shown_data_age.cpp
        // Style
        {&f.MStyleFont, [&ctx] { openStatusFontChooser(ctx); }},  // config/font_notices.cpp
        {&f.MClockFont, [&ctx] { openClockFontChooser(ctx); }},   // config/font_notices.cpp
        // Help
        {&f.helpMenuItem, [this] { link_->helpClick(); }},  // link/main_commands.cpp
        {&f.mnuAbout, [&ctx] { openAbout(ctx); }},          // config/font_notices.cpp
    });

    FrmShowLog& c = forms.frmShowLog;
    // Control, Query and Service: one item per catalogue entry (console/command_menus.cpp).
    wireCommandMenus(ctx);
    wire({
        // Edit
        {&c.mnuEditItem, [&ctx] { copyLogToClipboard(ctx); }},  // console/control_query.cpp
        // Service
        {&c.mnuFirmware[0], [this] { download_->openWindow(); }},  // download/download_window.cpp
        // Help
        {&c.mnuHelpItem[0], [&ctx] { openHelp(ctx); }},  // common/help.cpp
    });
}

}  // namespace kestrix
