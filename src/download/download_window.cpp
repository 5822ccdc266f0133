// The Firmware Download window: choosing the file, checking it whole before the erasure warning,
// starting, stopping and closing; the small dialogs around it; the Service menu's entry.

#include <cctype>

#include "download/firmware_download.h"
#include "download/firmware_file.h"
#include "platform/platform.h"
#include "state/download_forms.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr const char* kFileFilter = "Download Files (*.s)|*.s|All Files (*.*)|*.*";
// Larger than any firmware file of S-records for these receivers by far; a file beyond it is not one.
constexpr std::size_t kMaxFileBytes = std::size_t{128} * 1024 * 1024;

constexpr const char* kErasedAdvice =
    " The receiver's flash memory has been erased and it runs its boot code: it needs a complete download "
    "before it runs again. Press Download to start the download again.";
constexpr const char* kNotErasedAdvice =
    " The receiver's firmware was not erased. If it was already switched to its boot language, the command "
    ":SYST:LANG \"PRIMARY\" in Control & Query returns it to normal operation.";

}  // namespace

FirmwareDownload::FirmwareDownload(Context& context) : ctx_(context) {}

void FirmwareDownload::wire() {
    FormRefs& forms = ctx_.forms;
    FrmDownload& w = forms.frmDownload;
    w.Timer1.onTick = [this] {
        noteTickStart();
        tick();
    };
    w.Timer1.demand = [this] { return nextTickDue(); };
    w.cmdGetDownFile.onClick = [this] { chooseFileClick(); };
    w.cmdDoDownload.onClick = [this] { downloadClick(); };
    w.cmdStopDownload.onClick = [this] { stopClick(); };
    w.cmdCloseDownForm.onClick = [this] { closeClick(); };
    w.onCloseRequest = [this](bool& cancel) { closeRequest(cancel); };
    forms.frmEraseWarn.cmdReallyDownload.onClick = [this] { confirmErasureClick(); };
    forms.frmEraseWarn.cmdDontDownload.onClick = [&forms] { forms.frmEraseWarn.hide(); };
    forms.frmPortNotOpen.Command1.onClick = [&forms] { forms.frmPortNotOpen.hide(); };
    forms.frmEnterFile.Command1.onClick = [&forms] { forms.frmEnterFile.hide(); };
}

void FirmwareDownload::openWindow() {
    FrmDownload& w = ctx_.forms.frmDownload;
    w.Text4.setText({});
    w.Text1.setText({});
    ctx_.platform.dialogs.showModal(w);
}

void FirmwareDownload::chooseFileClick() {
    try {
        if (const auto path = ctx_.platform.dialogs.openFile(kFileFilter))
            ctx_.forms.frmDownload.txtDownFile.setText(*path);
    } catch (const std::exception&) {
        // A dialog that fails ends the command; the file box keeps its text.
    }
}

void FirmwareDownload::downloadClick() {
    v_.downloadFileName = ctx_.forms.frmDownload.txtDownFile.text();
    if (v_.downloadFileName.empty()) {
        ctx_.platform.dialogs.showModal(ctx_.forms.frmEnterFile);
        return;
    }
    if (!checkChosenFile()) return;
    ctx_.platform.dialogs.showModal(ctx_.forms.frmEraseWarn);
}

// The whole file is read and checked before the erasure is offered; what is sent is what was
// checked.
bool FirmwareDownload::checkChosenFile() {
    std::string bytes;
    try {
        bytes = ctx_.platform.files.readAll(v_.downloadFileName, kMaxFileBytes);
    } catch (const platform::FileError& error) {
        refuseFile(std::string("It cannot be read: ") + error.what() + ".");
        return false;
    }
    auto checked = checkFirmwareFile(bytes);
    if (const auto* fault = std::get_if<FirmwareFault>(&checked)) {
        std::string reason = describe(*fault);
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
        refuseFile("It is not a firmware file of S-records. " + reason + ".");
        return false;
    }
    checkedRecords_ = std::move(std::get<FirmwareImage>(checked).records);
    ctx_.forms.frmDownload.lblOutcome.caption =
        "The file holds " + std::to_string(checkedRecords_.size()) + " records, all well formed.";
    return true;
}

void FirmwareDownload::refuseFile(const std::string& why) {
    checkedRecords_.clear();
    const std::string nothingDone = "Nothing has been sent to the receiver and its firmware has not been erased.";
    ctx_.forms.frmDownload.lblOutcome.caption = "The file was refused. " + why + " " + nothingDone;
    ctx_.platform.dialogs.msgBox(
        "The file cannot be downloaded.\n\n" + v_.downloadFileName + "\n" + why + "\n\n" + nothingDone,
        "Firmware File Refused", platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

void FirmwareDownload::confirmErasureClick() {
    if (!ctx_.state.portIsOpen) {
        ctx_.platform.dialogs.showModal(ctx_.forms.frmPortNotOpen);
        return;
    }
    ctx_.forms.frmDownload.Timer1.enabled = true;
    v_.downloadStartRequest = true;
    ctx_.forms.frmEraseWarn.hide();
    showRunningButtons();
}

void FirmwareDownload::stopClick() { endEarly("The download was stopped."); }

// The download ends before the receiver has its firmware: nothing more goes out, and the window
// says what state the receiver is left in.
void FirmwareDownload::endEarly(const std::string& why) {
    LinkState& s = ctx_.state;
    FrmDownload& w = ctx_.forms.frmDownload;
    const bool started = s.downloadPrep || v_.downloadStartRequest || v_.settling;
    const bool erased = v_.flashMayBeErased || s.readyToDownload || (s.downloadPrep && s.prepStep >= kPrepEraseFlash);
    s.downloadPrep = false;
    v_.downloadStartRequest = false;
    v_.settling = false;
    w.Timer1.enabled = false;
    showIdleButtons();
    v_.records.clear();
    if (started) v_.lineMayBeBusy = true;
    w.lblOutcome.caption = why + (erased ? kErasedAdvice : kNotErasedAdvice);
}

void FirmwareDownload::endAutomatically(const std::string& why) {
    endEarly(why);
    ctx_.forms.form1.Label1.caption = "download ended early";
    ctx_.platform.beeper.beep();
    ctx_.platform.dialogs.msgBox(ctx_.forms.frmDownload.lblOutcome.caption, "Download Ended Early",
                                 platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

void FirmwareDownload::closeClick() {
    FrmDownload& w = ctx_.forms.frmDownload;
    w.hide();
    w.Timer1.enabled = false;
    ctx_.forms.form1.Timer1.enabled = true;
    w.Label4.visible = false;
    w.Text4.visible = false;
}

// The window's frame closes it as "Close" does; while a download runs it stays, since leaving
// would not stop the transfer and only "Stop Download" ends it.
void FirmwareDownload::closeRequest(bool& cancel) {
    cancel = true;
    if (ctx_.forms.frmDownload.cmdCloseDownForm.enabled) closeClick();
}

void FirmwareDownload::showIdleButtons() {
    FrmDownload& w = ctx_.forms.frmDownload;
    w.cmdStopDownload.visible = false;
    w.cmdGetDownFile.enabled = true;
    w.cmdDoDownload.enabled = true;
    w.cmdCloseDownForm.enabled = true;
}

void FirmwareDownload::showRunningButtons() {
    FrmDownload& w = ctx_.forms.frmDownload;
    w.cmdStopDownload.visible = true;
    w.cmdGetDownFile.enabled = false;
    w.cmdDoDownload.enabled = false;
    w.cmdCloseDownForm.enabled = false;
}

}  // namespace kestrix
