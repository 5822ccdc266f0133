#include "program/kestrix.h"

#include "common/main_window.h"
#include "config/comm_settings_dialog.h"
#include "config/font_notices.h"
#include "console/control_query.h"
#include "download/firmware_download.h"
#include "download/preparation_dialogs.h"
#include "link/link_engine.h"
#include "link/session_recorder.h"
#include "link/shown_data_age.h"
#include "trend/trend_window.h"
#include "windows/clock_window.h"
#include "windows/font_choosers.h"
#include "windows/terminal_window.h"

namespace kestrix {

Kestrix::Kestrix(platform::Platform& platform)
    : recordedPort_(platform.serial),
      platform_(platform.withSerial(recordedPort_)),
      link_(std::make_unique<LinkEngine>(context)),
      commSettings_(std::make_unique<CommSettingsDialog>(context)),
      download_(std::make_unique<FirmwareDownload>(context)),
      trend_(std::make_unique<TrendWindow>(context, forms.frmTrend)),
      shownAge_(std::make_unique<ShownDataAge>(context)),
      recorder_(std::make_unique<SessionRecorder>(context, recordedPort_)) {
    link_->wire();
    download_->wire();
    commSettings_->wire();
    commSettings_->onPortStateChanged = [this] { link_->portStateChanged(); };
    link_->showCommSettingsModal = [this] { commSettings_->openModal(); };
    link_->downloadStarting = [this] { return download_->vars().downloadStartRequest; };
    wirePreparationDialogs(context);
    wireTerminalWindow(context);
    wireClockWindow(context);
    wireFontChoosers(context, startup);
    wireAboutBox(context);
    wireControlQuery(context);
    trend_->wire();
    link_->trendSampler = &trend_->sampler();
    shownAge_->wire();
    recorder_->wire();
    link_->shownAge = shownAge_.get();
    // After each of the link's ticks, and the download's while it holds the link, the trend's
    // bottom line follows what the link does (and samples held back reach the plot).
    for (Timer* timer : {&forms.form1.Timer1, &forms.frmDownload.Timer1})
        timer->onTick = [this, tick = timer->onTick] {
            tick();
            trend_->refreshInfo();
        };
    wireMenus();
    forms.form1.onCloseRequest = [this](bool& cancel) { requestClose(cancel); };
    forms.form1.onResize = [this] { layoutMainWindow(forms.form1); };
}

Kestrix::~Kestrix() = default;

}  // namespace kestrix
