#include "common/help.h"

#include "platform/platform.h"

namespace kestrix {

void openHelp(Context& ctx) {
    const std::string failure = ctx.platform.help.showKeyword(kHelpFile, kHelpKeyword);
    if (failure.empty()) return;
    ctx.platform.dialogs.msgBox(failure, "Kestrix", platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

}  // namespace kestrix
