#include "common/main_window.h"

#include <algorithm>
#include <string>

#include "common/fitting.h"
#include "platform/platform.h"
#include "shared/size_samples.h"
#include "state/display_forms.h"
#include "state/frm_show_log.h"

namespace kestrix {

namespace {

// A view whose replies the scheduler polls for.
struct PolledView {
    MenuItem Form1::*item;
    bool clockShown;
    bool customCommandEnabled;
};

constexpr PolledView kStatusView{&Form1::funcStatus, false, false};
constexpr PolledView kClockView{&Form1::funcClock, true, false};
constexpr PolledView kCustomUpdateView{&Form1::FuncCustUpdate, false, true};

void choosePolledView(Context& ctx, const PolledView& view) {
    FormRefs& forms = ctx.forms;
    Form1& form1 = forms.form1;
    if (view.clockShown) forms.frmClock.show();
    else forms.frmClock.hide();
    checkOnlyView(form1, form1.*view.item);
    form1.CustomCommand.enabled = view.customCommandEnabled;
    form1.disableUpdates.enabled = true;
    ctx.state.termReady = false;
    forms.frmClock.lblClock.caption.clear();
    fitMainWindowToView(ctx);
}

void resize(Window& window, int width, int height) {
    window.geometry.width = width;
    window.geometry.height = height;
    if (window.onResize) window.onResize();
}

}  // namespace

// The status display fills the window below the band, reaching below its visible area.
void layoutMainWindow(Form1& form1) {
    const int innerWidth = form1.innerWidth();
    form1.Line1.x2 = innerWidth;
    form1.Line1.geometry.width = innerWidth;
    form1.Term.geometry = {innerWidth / 200, form1.Line1.y2, innerWidth, form1.innerHeight() + form1.Line1.y2};
    form1.placeAlarmMark();
}

// In the status view to 82 by 25 characters of the status font (which the window takes from
// Term), in every other view down to the band above Line1. A size that cannot be computed leaves
// the window's size as it was.
void fitMainWindowToView(Context& ctx) {
    Form1& form1 = ctx.forms.form1;
    if (!form1.funcStatus.checked) {
        if (const auto height = usableWindowSide(static_cast<long long>(form1.frameHeight) + form1.Line1.y2))
            resize(form1, form1.geometry.width, *height);
        return;
    }
    form1.font = form1.Term.font;
    platform::TextMeasurer& measurer = ctx.platform.measurer;
    // The width holds a line without any frame allowance, the height adds the frame and menu bar.
    const auto width = usableWindowSide(measurer.textWidth(lineWidthSample, form1.font));
    const auto height = usableWindowSide(static_cast<long long>(measurer.textHeight(screenHeightSample, form1.font)) +
                                         form1.frameHeight);
    if (width && height) resize(form1, *width, *height);
}

void checkOnlyView(Form1& form1, MenuItem& view) {
    for (MenuItem* item : {&form1.funcStatus, &form1.funcClock, &form1.funcTermEmul, &form1.FuncCustUpdate})
        item->checked = item == &view;
}

void chooseStatusView(Context& ctx) { choosePolledView(ctx, kStatusView); }
void chooseClockView(Context& ctx) { choosePolledView(ctx, kClockView); }
void chooseCustomUpdateView(Context& ctx) { choosePolledView(ctx, kCustomUpdateView); }

// What the other views showed and what was collected for the line are dropped.
void switchToTerminalView(Context& ctx) {
    FormRefs& forms = ctx.forms;
    Form1& form1 = forms.form1;
    checkOnlyView(form1, form1.funcTermEmul);
    form1.CustomCommand.enabled = false;
    form1.Term.setText("");
    forms.frmClock.lblClock.caption.clear();
    ctx.state.termLineBuffer.clear();
}

// The terminal view keeps the main window's size: the terminal window is where it shows.
void chooseTerminalView(Context& ctx) {
    FormRefs& forms = ctx.forms;
    forms.frmTerminal.show();
    forms.frmClock.hide();
    forms.form1.disableUpdates.enabled = false;
    ctx.state.termReady = false;
    switchToTerminalView(ctx);
}

void toggleDisableUpdates(Context& ctx) {
    MenuItem& item = ctx.forms.form1.disableUpdates;
    item.checked = !item.checked;
}

// Leaving demo mode takes the last characters off the caption whatever it reads by then.
void toggleDemoMode(Context& ctx) {
    FormRefs& forms = ctx.forms;
    Form1& form1 = forms.form1;
    if (form1.demoMode.checked) {
        form1.demoMode.checked = false;
        form1.Timer1.intervalMs = kLinkTickMs;
        const std::size_t suffixLength = std::string(kDemoCaptionSuffix).size();
        form1.caption.erase(form1.caption.size() - std::min(suffixLength, form1.caption.size()));
    } else {
        form1.demoMode.checked = true;
        form1.Timer1.intervalMs = kDemoTickMs;
        forms.frmShowLog.mnuQuery.enabled = true;
        forms.frmShowLog.mnuControl.enabled = true;
        forms.frmShowLog.mnuService.enabled = true;
        form1.caption += kDemoCaptionSuffix;
    }
}

}  // namespace kestrix
