#include "config/comm_settings_dialog.h"

#include <cctype>

#include "platform/platform.h"
#include "platform/port_address.h"
#include "shared/numbers.h"
#include "state/config_forms.h"

namespace kestrix {

namespace {

// The character `offset` places after the first comma of a settings text, or 0.
char afterComma(const std::string& settings, std::size_t offset) {
    const auto comma = settings.find(',');
    if (comma == std::string::npos || comma + offset >= settings.size()) return 0;
    return settings[comma + offset];
}

}  // namespace

CommSettingsDialog::CommSettingsDialog(Context& context) : ctx_(context) {}

void CommSettingsDialog::wire() {
    ConfigScrn& d = ctx_.forms.configScrn;
    PendingSelection& p = pending_;
    for (int i = 1; i <= 4; ++i) storeValue_.push_back({&d.ComPort[i], [&p, i] { p.port = i; }});
    for (OptionButton* baud : {&d.Baud3, &d.Baud6, &d.Baud12, &d.Baud24, &d.Baud48, &d.Baud96, &d.Baud19dot2})
        storeValue_.push_back({baud, [&p, baud] { p.baud = baud->caption; }});
    const std::pair<OptionButton*, const char*> parities[] = {{&d.NoParity, "N"},
                                                              {&d.OddParity, "O"},
                                                              {&d.EvenParity, "E"},
                                                              {&d.optMarkParity, "M"},
                                                              {&d.optSpaceParity, "S"}};
    for (auto [button, letter] : parities)
        storeValue_.push_back({button, [&p, letter = letter] { p.parity = letter; }});
    for (OptionButton* bits : {&d.Data7, &d.Data8})
        storeValue_.push_back({bits, [&p, bits] { p.dataBits = bits->caption; }});
    for (OptionButton* bits : {&d.Stop1, &d.Stop2})
        storeValue_.push_back({bits, [&p, bits] { p.stopBits = bits->caption; }});
    OptionButton* flows[] = {&d.NoFlow, &d.XonFlow, &d.RTSFlow, &d.BothFlow};
    for (int code = 0; code < 4; ++code) storeValue_.push_back({flows[code], [&p, code] { p.flow = code; }});

    for (auto& [button, store] : storeValue_) button->onClick = [this, b = button] { choose(*b); };
    d.OKButton.onClick = [this] { ok(); };
    d.CancelButton.onClick = [this] { cancel(); };
    d.onCloseRequest = [this](bool& keep) {
        keep = true;
        cancel();
    };
}

void CommSettingsDialog::setDevicePaths(const std::array<std::string, 4>& paths) {
    slots_ = paths;
    // A long path (such as one under /dev/serial/by-id) is cut in the middle to fit beside its
    // button; the whole path is its tool tip.
    for (int i = 1; i <= 4; ++i) {
        Label& path = ctx_.forms.configScrn.lblComPath[i];
        path.caption = paths[i - 1];
        path.toolTip = paths[i - 1];
    }
}

void CommSettingsDialog::choose(OptionButton& button) {
    ConfigScrn& d = ctx_.forms.configScrn;
    button.select(d.optionButtons());
    for (auto& [b, store] : storeValue_)
        if (b == &button) store();
    for (int i = 1; i <= 4; ++i)
        if (&button == &d.ComPort[i]) showWhoSetsTheLine(i);
}

// A raw TCP port carries bytes only: its line is set at the far end (the terminal server's own
// configuration), so the dialog says so rather than offer settings that would reach nothing.
void CommSettingsDialog::showWhoSetsTheLine(int port) {
    ConfigScrn& d = ctx_.forms.configScrn;
    const std::string& slot = slots_[static_cast<std::size_t>(port - 1)];
    const bool farEnd = platform::parsePortAddress(slot).kind == platform::PortAddress::Kind::tcp;
    for (OptionButton* b : d.lineButtons()) b->enabled = !farEnd;
    d.lblFarEnd.visible = farEnd;
    d.lblFarEnd.caption =
        farEnd ? "This port's speed, framing and flow control are set at the far end, in the server's own settings."
               : "";
}

void CommSettingsDialog::open() {
    ConfigScrn& d = ctx_.forms.configScrn;
    if (d.visible) {
        d.raiseRequested = true;  // brought forward; the opening step runs once per opening
        return;
    }
    load();
    d.show();
}

void CommSettingsDialog::openModal() {
    load();
    ctx_.platform.dialogs.showModal(ctx_.forms.configScrn);
}

// The opening step: the live port's parameters select their buttons (and fill the selection).
void CommSettingsDialog::load() {
    ConfigScrn& d = ctx_.forms.configScrn;
    platform::SerialPort& port = ctx_.platform.serial;
    pending_ = {};
    for (OptionButton* b : d.optionButtons()) b->value = false;

    const int portNumber = port.commPort();
    if (portNumber >= 1 && portNumber <= 4) choose(d.ComPort[portNumber]);

    const std::string settings = port.settings();
    const long baud = static_cast<long>(leadingNumber(settings.substr(0, settings.find(','))));
    for (OptionButton* b : {&d.Baud3, &d.Baud6, &d.Baud12, &d.Baud24, &d.Baud48, &d.Baud96, &d.Baud19dot2})
        if (std::to_string(baud) == b->caption) choose(*b);

    const std::pair<char, OptionButton*> parities[] = {{'N', &d.NoParity},
                                                       {'E', &d.EvenParity},
                                                       {'O', &d.OddParity},
                                                       {'M', &d.optMarkParity},
                                                       {'S', &d.optSpaceParity}};
    const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(afterComma(settings, 1))));
    for (auto [letter, button] : parities)
        if (letter == parity) choose(*button);

    const char dataBits = afterComma(settings, 3);
    if (dataBits == '7') choose(d.Data7);
    if (dataBits == '8') choose(d.Data8);
    const char stopBits = afterComma(settings, 5);
    if (stopBits == '1') choose(d.Stop1);
    if (stopBits == '2') choose(d.Stop2);

    OptionButton* flows[] = {&d.NoFlow, &d.XonFlow, &d.RTSFlow, &d.BothFlow};
    const int flow = port.handshaking();
    if (flow >= 0 && flow <= 3) choose(*flows[flow]);

    d.EchoOn.enabled = false;
    d.EchoOff.enabled = false;
    d.EchoOff.select(d.optionButtons());
}

// Runs one step of applying the selection; a failure is shown with the port's own description.
bool CommSettingsDialog::apply(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const platform::SerialError& error) {
        ctx_.platform.dialogs.msgBox(error.what(), ctx_.forms.configScrn.caption, platform::MsgIcon::Exclamation,
                                     platform::MsgButtons::Ok);
        return false;
    }
}

void CommSettingsDialog::ok() {
    platform::SerialPort& port = ctx_.platform.serial;
    const int oldPort = port.commPort();
    if (pending_.port != oldPort) {
        const bool switched = apply([&] {
            const bool wasOpen = port.portOpen();
            if (wasOpen) {
                port.setPortOpen(false);
                // The exchange under way (and any reply still to come) belongs to the old device:
                // the link gives it up before the new device is opened, and probes that one afresh.
                if (onPortStateChanged) onPortStateChanged();
            }
            port.setCommPort(pending_.port);
            if (wasOpen) port.setPortOpen(true);
        });
        if (!switched) {
            if (!port.portOpen()) {
                try {
                    port.setCommPort(oldPort);
                } catch (const platform::SerialError&) {}
            }
        }
        if (onPortStateChanged) onPortStateChanged();
        if (!switched) return;
    }
    const std::string settings =
        pending_.baud + "," + pending_.parity + "," + pending_.dataBits + "," + pending_.stopBits;
    if (!apply([&] { port.setSettings(settings); })) return;
    if (!apply([&] { port.setHandshaking(pending_.flow); })) return;
    ctx_.forms.configScrn.hide();
}

void CommSettingsDialog::cancel() { ctx_.forms.configScrn.hide(); }

}  // namespace kestrix
