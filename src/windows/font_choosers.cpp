#include "windows/font_choosers.h"

#include "common/main_window.h"
#include "state/main_window_form.h"
#include "windows/clock_window.h"
#include "windows/font_choice.h"

namespace kestrix {

namespace {

// The platform may round a size to one its fonts have; a size it cuts by more than this is
// beyond the largest it accepts.
constexpr float kSizeRoundingTolerance = 0.05f;

}  // namespace

void statusFontSelect(Context& ctx) {
    TextBox& term = ctx.forms.form1.Term;
    const auto chosen = chooseFontWithSize(ctx, term.font);
    if (!chosen) return;
    term.font = *chosen;
    fitMainWindowToView(ctx);
}

void statusFontDefaults(Context& ctx, const StartupValues& startup) {
    Form1& form1 = ctx.forms.form1;
    form1.Term.font = {startup.builtInStatusFont.name, startup.builtInStatusFont.size, false, false};
    form1.font = form1.Term.font;
    fitMainWindowToView(ctx);
}

// Face, bold and italic come from the dialog; the size stays, and so does the window.
void clockFontSelect(Context& ctx) {
    FontSpec& clockFont = ctx.forms.frmClock.lblClock.font;
    const auto chosen = askForFont(ctx, clockFont);
    if (!chosen) return;
    clockFont.name = chosen->name;
    clockFont.bold = chosen->bold;
    clockFont.italic = chosen->italic;
}

// Without an upper limit of its own: past the largest size the platform accepts, nothing changes.
void clockFontEnlarge(Context& ctx) {
    FontSpec& clockFont = ctx.forms.frmClock.lblClock.font;
    FontSpec enlarged = clockFont;
    enlarged.size = clockFont.size * kClockEnlargeFactor;
    const auto reported = usableFontSize(ctx, enlarged);
    if (!reported || *reported < enlarged.size * (1.0f - kSizeRoundingTolerance)) return;
    enlarged.size = *reported;
    clockFont = enlarged;
    refitClockWindow(ctx);
}

void clockFontReduce(Context& ctx) {
    FontSpec& clockFont = ctx.forms.frmClock.lblClock.font;
    FontSpec reduced = clockFont;
    reduced.size = clockFont.size * kClockReduceFactor;
    const auto reported = usableFontSize(ctx, reduced);
    reduced.size = reported && *reported >= kSmallestClockSize ? *reported : kSmallestClockSize;
    clockFont = reduced;
    refitClockWindow(ctx);
}

void wireFontChoosers(Context& ctx, const StartupValues& startup) {
    FrmFontSelect& status = ctx.forms.frmFontSelect;
    status.cmdFontSelect.onClick = [&ctx] { statusFontSelect(ctx); };
    status.cmdFontDefaults.onClick = [&ctx, &startup] { statusFontDefaults(ctx, startup); };
    status.cmdDontChange.onClick = [&status] { status.hide(); };

    FrmClkFontSelect& clock = ctx.forms.frmClkFontSelect;
    clock.cmdClkFontSelect.onClick = [&ctx] { clockFontSelect(ctx); };
    clock.cmdFontBigger.onClick = [&ctx] { clockFontEnlarge(ctx); };
    clock.cmdFontSmaller.onClick = [&ctx] { clockFontReduce(ctx); };
    clock.cmdAllDone.onClick = [&clock] { clock.hide(); };
}

}  // namespace kestrix
