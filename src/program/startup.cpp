// The main window's load: everything the program does before the user's first action.

#include <functional>

#include "common/fitting.h"
#include "common/main_window.h"
#include "config/comm_settings_dialog.h"
#include "config/ports.h"
#include "config/settings.h"
#include "link/link_engine.h"
#include "program/kestrix.h"
#include "shared/size_samples.h"
#include "windows/clock_window.h"

namespace kestrix {

namespace {

// Applies one stored value to the port; a value the port refuses keeps what it had, and the
// program goes on.
void tryOnPort(const std::function<void()>& apply) {
    try {
        apply();
    } catch (const platform::SerialError&) {}
}

}  // namespace

void Kestrix::start() {
    Form1& form1 = forms.form1;
    platform::Profile& profile = platform_.profile;
    platform::TextMeasurer& measurer = platform_.measurer;

    form1.TextInvisible.geometry.left = 32000;
    form1.TextInvisible.geometry.top = 32000;
    for (MenuItem* hidden : {&form1.mnuFilePrint, &form1.hyph19, &form1.funcTermEmul, &form1.FuncCustUpdate,
                             &form1.hyph3, &form1.CustomCommand})
        hidden->visible = false;

    forms.frmClock.hide();
    forms.frmFontSelect.hide();
    forms.frmShowLog.show();
    forms.frmDownload.hide();
    form1.Term.enabled = true;

    link_->vars().modelIs73408K = false;
    for (MenuItem* entry : forms.frmShowLog.modelSpecificEntries()) entry->visible = false;

    startup.builtInTerminalFont = forms.frmTerminal.txtTerminal.font;
    startup.builtInStatusFont = form1.Term.font;
    startup.builtInClockFont = forms.frmClock.lblClock.font;
    link_->vars().customUpdateCommand = "ptim:tcod?";

    // The starting view.
    const int view = config::readViewCode(profile);
    const std::pair<int, MenuItem*> views[] = {{config::kClockView, &form1.funcClock},
                                               {config::kTerminalView, &form1.funcTermEmul},
                                               {config::kCustomUpdateView, &form1.FuncCustUpdate}};
    MenuItem* checkedView = &form1.funcStatus;
    for (auto [code, item] : views)
        if (code == view) checkedView = item;
    checkOnlyView(form1, *checkedView);
    form1.CustomCommand.enabled = view == config::kCustomUpdateView;
    form1.disableUpdates.enabled = true;
    forms.frmClock.visible = view == config::kClockView;
    if (view == config::kTerminalView) forms.frmTerminal.show();
    forms.frmClock.lblClock.caption.clear();
    if (view != config::kClockView && view != config::kTerminalView) fitMainWindowToView(context);

    // The three display fonts, each set on its element and copied to its window.
    for (const config::DisplayFont& display : config::displayFonts(forms)) {
        display.element = config::readFont(profile, display.section, display.element);
        display.window = display.element;
    }
    if (const auto width = usableWindowSide(measurer.textWidth(lineWidthSample, form1.font)))
        form1.geometry.width = *width;

    FrmTerminal& terminal = forms.frmTerminal;
    const auto terminalWidth = usableWindowSide(measurer.textWidth(lineWidthSample, terminal.font));
    const auto terminalHeight = usableWindowSide(
        static_cast<long long>(measurer.textHeight(screenHeightSample, terminal.font)) + terminal.frameHeight);
    if (terminalWidth && terminalHeight) {
        terminal.geometry.width = *terminalWidth;
        terminal.geometry.height = *terminalHeight;
    }
    refitClockWindow(context);

    if (form1.funcStatus.checked) {
        if (const auto height = usableWindowSide(
                static_cast<long long>(measurer.textHeight(screenHeightSample, form1.font)) + form1.frameHeight))
            form1.geometry.height = *height;
    } else if (const auto height = usableWindowSide(static_cast<long long>(form1.frameHeight) + form1.Line1.y2)) {
        form1.geometry.height = *height;
    }
    if (form1.onResize) form1.onResize();

    form1.Label1.caption = "To start: Select Port Open on the CommPort menu (may need Settings...)";

    // The port, configured but closed.
    platform::SerialPort& port = platform_.serial;
    tryOnPort([&] { port.setCommPort(config::readPort(profile)); });
    tryOnPort([&] { port.setSettings(config::portSettingsText(profile)); });
    tryOnPort([&] { port.setHandshaking(config::readPacing(profile)); });
    commSettings_->setDevicePaths(config::comPortPaths(profile));
    link_->reopenLostPort = config::reopenLostPort(profile);

    state.queryGroup = 0;
    state.queryIndex = 0;
    form1.show();
}

}  // namespace kestrix
