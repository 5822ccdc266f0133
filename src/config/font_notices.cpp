#include "config/font_notices.h"

#include <initializer_list>

#include "platform/platform.h"
#include "state/config_forms.h"
#include "state/display_forms.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr const char* kNoticeLineBreak = "\n\r";

std::string joinedLines(std::initializer_list<const char*> lines) {
    std::string text;
    bool first = true;
    for (const char* line : lines) {
        if (!first) text += kNoticeLineBreak;
        text += line;
        first = false;
    }
    return text;
}

}  // namespace

const std::string statusFontNotice = joinedLines({
    "NOTE: All available fonts will be shown if you select 'Font Select >>'. However, only",
    "non-proportionally spaced fonts will align the status information properly. ",
    "Example fonts include: Courier, Courier New, fixedSys.  Also, you may have to re-size the form to "
    "accommodate your changes.",
});

const std::string clockFontNotice = joinedLines({
    "NOTE: All available fonts will be shown if you select 'Font Select >>'. The size of",
    "the font used to display clock updates will not be controlled by your selection on",
    "the form that appears when you select 'Font Select >>'.  Control the font size with",
    "'Reduce Font' and 'Enlarge Font' choices.",
});

std::string aboutText(const std::optional<std::string>& lastBuilt) {
    const std::string built = "Last Built: " + lastBuilt.value_or("unknown");
    return joinedLines({"", "(for use with Morvandelle GPS Timing Receivers)", "", built.c_str()});
}

void openStatusFontChooser(Context& ctx) {
    FrmFontSelect& chooser = ctx.forms.frmFontSelect;
    chooser.lblFontInfo.caption = statusFontNotice;
    chooser.show();
}

void openClockFontChooser(Context& ctx) {
    FrmClkFontSelect& chooser = ctx.forms.frmClkFontSelect;
    chooser.lblClkFontInfo.caption = clockFontNotice;
    chooser.show();
}

void openAbout(Context& ctx) {
    FrmAbout& about = ctx.forms.frmAbout;
    about.lblAbout.caption = aboutText(ctx.platform.programFile.lastModified());
    ctx.platform.dialogs.showModal(about);
}

void wireAboutBox(Context& ctx) {
    FrmAbout& about = ctx.forms.frmAbout;
    about.cmdAbout.onClick = [&about] { about.hide(); };
}

}  // namespace kestrix
