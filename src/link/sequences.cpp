// The connection sequence (echo check, identification) that runs each time the link comes up,
// and the preparation that readies the receiver for a firmware download.

#include "download/preparation_dialogs.h"
#include "link/link_engine.h"
#include "platform/platform.h"
#include "shared/numbers.h"
#include "state/frm_show_log.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

// The second comma-separated field of an identity reply (manufacturer, model, serial, firmware);
// empty when the reply has fewer than two commas.
std::string modelField(const std::string& identity) {
    const auto first = identity.find(',');
    if (first == std::string::npos) return {};
    const auto second = identity.find(',', first + 1);
    if (second == std::string::npos) return {};
    return identity.substr(first + 1, second - first - 1);
}

bool contains(const std::string& text, char c) { return text.find(c) != std::string::npos; }

}  // namespace

void LinkEngine::connectionSend() {
    v_.timeoutSeconds = 3;
    if (v_.connectStep == 1) v_.connectStep = 2;
    Label& label = ctx_.forms.form1.Label1;
    if (v_.connectStep == 2) {
        writeLine(":syst:comm:ser:fdup?");
        label.caption = "Checking echo...";
    } else if (v_.connectStep == 3) {
        writeLine("*idn?");
        label.caption = "Identifying Product";
    }
    v_.exchangeStart = now();
    awaitReply({ExchangeKind::ConnectionStep});
}

void LinkEngine::connectionReply() {
    LinkState& s = ctx_.state;
    FormRefs& forms = ctx_.forms;
    if (v_.connectStep == 2) {
        v_.fdupReply = v_.replyBuffer;
        v_.echoState = contains(v_.fdupReply, '1') ? 1 : 0;
        forms.form1.Label1.caption = v_.echoState == 1 ? "fdup is on" : "fdup is off";
        v_.connectStep = 3;
        return;
    }
    if (v_.connectStep != 3) return;
    v_.connecting = false;
    forms.form1.Label1.caption = "Identity determined";
    s.modelName = modelField(v_.replyBuffer);
    v_.modelIs73408K = s.modelName == "73408K";
    const std::string shownModel = s.modelName.empty() ? "unknown model" : s.modelName;
    const std::string connection =
        " (connected to " + shownModel + " @Com" + std::to_string(ctx_.platform.serial.commPort()) + ")";
    forms.form1.caption = "Morvandelle Kestrix" + connection;
    forms.frmShowLog.caption = "Control & Query" + connection;
    for (MenuItem* entry : forms.frmShowLog.modelSpecificEntries()) entry->visible = v_.modelIs73408K;
    forms.frmShowLog.mnuQuery.enabled = true;
    forms.frmShowLog.mnuControl.enabled = true;
    forms.frmShowLog.mnuService.enabled = true;
}

std::string LinkEngine::serialPrefix() const { return v_.useSerial2 ? "syst:comm:ser2:" : "syst:comm:ser:"; }

namespace {

// What each step of the download preparation sends; the echo and speed commands go to the
// receiver's serial port in use.
struct PrepCommand {
    int step;
    bool onSerialPort;
    const char* command;
    const char* label;
};
constexpr PrepCommand kPrepCommands[] = {
    {kPrepFindSerialPort, false, "syst:comm?", "checking which serial port"},
    {kPrepCheckEcho, true, "fdup?", "checking echo state"},
    {kPrepTurnEchoOff, true, "fdup 0", "turning off echo"},
    {kPrepCheckSpeed, true, "baud?", "checking baud rate"},
    {kPrepSetSpeed, true, "baud 19200", "changing baud rate to 19200"},
    {kPrepBootLanguage, false, "syst:lang \"install\"", "switching to boot language"},
    {kPrepEraseFlash, false, "diag:eras", "erasing flash memory"},
};

}  // namespace

void LinkEngine::prepSend() {
    LinkState& s = ctx_.state;
    v_.timeoutSeconds = 7;
    const int step = s.prepStep;
    for (const PrepCommand& c : kPrepCommands) {
        if (c.step != step) continue;
        writeLine(c.onSerialPort ? serialPrefix() + c.command : c.command);
        ctx_.forms.form1.Label1.caption = c.label;
    }
    if (step == kPrepSetSpeed) {
        // The user sets the computer's side to the new speed. Whether the speed command's prompt
        // arrives or is lost to the change (a time-out and the link re-established), the speed
        // is asked again next.
        if (showCommSettingsModal) showCommSettingsModal();
        s.prepStep = kPrepCheckSpeed;
    }
    v_.exchangeStart = now();
    awaitReply({.kind = ExchangeKind::PreparationStep, .prepStep = step});
}

// A good reply to the preparation step `step`, the one whose command was sent.
void LinkEngine::prepReply(int step) {
    LinkState& s = ctx_.state;
    FormRefs& forms = ctx_.forms;
    Label& label = forms.form1.Label1;
    v_.consecutiveErrors = 0;
    switch (step) {
        case kPrepFindSerialPort:
            v_.portReply = v_.replyBuffer;
            v_.useSerial2 = contains(v_.portReply, '2');
            label.caption = v_.useSerial2 ? "port is serial 2" : "port is serial 1";
            s.prepStep = kPrepCheckEcho;
            break;
        case kPrepCheckEcho:
            v_.fdupReply = v_.replyBuffer;
            if (contains(v_.fdupReply, '1')) {
                label.caption = "fdup is on";
                v_.echoState = 1;
                // Closed without OK, the echo is asked again.
                if (askToTurnEchoOff(ctx_) == EchoKillAnswer::Ok) s.prepStep = kPrepTurnEchoOff;
            } else {
                label.caption = "fdup is off";
                v_.echoState = 0;
                s.prepStep = kPrepCheckSpeed;
            }
            break;
        case kPrepTurnEchoOff:
            label.caption = "echo is off";
            v_.echoState = 0;
            s.prepStep = kPrepCheckSpeed;
            break;
        case kPrepCheckSpeed:
            label.caption = "have baud rate info" + v_.replyBuffer;
            if (leadingNumber(v_.replyBuffer) != 19200) {
                label.caption = "isnt 19200";
                // "Don't change" goes on at the old speed; closed without a button, the speed is
                // asked again.
                switch (askToChangeBaud(ctx_)) {
                    case ChangeBaudAnswer::SetTo19200: s.prepStep = kPrepSetSpeed; break;
                    case ChangeBaudAnswer::LeaveAsIs: s.prepStep = kPrepBootLanguage; break;
                    case ChangeBaudAnswer::Closed: break;
                }
            } else {
                label.caption = "is 19200";
                s.prepStep = kPrepBootLanguage;
            }
            break;
        case kPrepSetSpeed:
            // Answered at the new speed: the speed query (already the next step) confirms it.
            break;
        case kPrepBootLanguage:
            label.caption = "in boot language";
            s.prepStep = kPrepEraseFlash;
            break;
        case kPrepEraseFlash:
            label.caption = "flash erased";
            s.prepStep = kPrepDone;
            s.readyToDownload = true;
            forms.form1.Timer1.enabled = false;
            s.downloadBurst = leadingNumber(ctx_.platform.serial.settings()) >= 9600 ? 10 : 1;
            break;
        default: break;
    }
}

}  // namespace kestrix
