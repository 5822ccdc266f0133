#include "config/kestrix.h"

#include "console/control_query.h"
#include "download/preparation_dialogs.h"
#include "link/link_engine.h"

namespace kestrix {

Kestrix::Kestrix(platform::Platform& platform)
    : platform_(platform), link_(std::make_unique<LinkEngine>(context)) {
    link_->wire();
    wirePreparationDialogs(context);
    wireControlQuery(context);
    forms.form1.MFileExit.onClick = [this] { quitRequested_ = true; };
}

Kestrix::~Kestrix() = default;

void Kestrix::start() {
    forms.form1.Label1.caption = "To start: Select Port Open on the CommPort menu (may need Settings...)";
    forms.form1.show();
    forms.frmShowLog.show();
}

void Kestrix::requestClose(bool& cancel) {
    cancel = false;
    quitRequested_ = true;
}

}  // namespace kestrix
