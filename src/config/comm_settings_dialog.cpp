#include "config/comm_settings_dialog.h"

#include <algorithm>
#include <cctype>

#include "config/ports.h"
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

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

CommSettingsDialog::CommSettingsDialog(Context& context) : ctx_(context) {}

void CommSettingsDialog::wire() {
    ConfigScrn& d = ctx_.forms.configScrn;
    PendingSelection& p = pending_;
    // Choosing another port keeps what was chosen for the one before and shows its own device.
    for (int i = 1; i <= 4; ++i)
        storeValue_.push_back({&d.ComPort[i], [this, i] {
                                   if (pending_.port == i) return;
                                   takeDevice(pending_.port);
                                   pending_.port = i;
                                   showDevice(i);
                               }});
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
    d.cboDevice.onClick = [&d] { d.txtNetAddress.setText({}); };  // a device replaces an address
    d.OKButton.onClick = [this] { ok(); };
    d.CancelButton.onClick = [this] { cancel(); };
    d.onCloseRequest = [this](bool& keep) {
        keep = true;
        cancel();
    };
}

void CommSettingsDialog::setDevicePaths(const std::array<std::string, 4>& paths) {
    paths_ = paths;
    slots_ = paths;
    // A long path (such as one under /dev/serial/by-id) is cut in the middle to fit beside its
    // button; the whole path is its tool tip.
    for (int i = 1; i <= 4; ++i) {
        Label& path = ctx_.forms.configScrn.lblComPath[i];
        path.caption = paths[i - 1];
        path.toolTip = paths[i - 1];
    }
}

std::string CommSettingsDialog::devicePath(int port) const {
    if (port < 1 || port > 4) return {};
    const auto slot = static_cast<std::size_t>(port - 1);
    return chosen_[slot] ? paths_[slot] : config::comPortPaths(ctx_.platform.profile)[slot];
}

std::optional<std::string> CommSettingsDialog::saveChosenPaths() {
    platform::Profile& profile = ctx_.platform.profile;
    const auto inFile = config::comPortPaths(profile);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        if (!chosen_[i] || paths_[i] == inFile[i]) continue;
        if (!profile.WritePrivateProfileStringA("Ports", "Com" + std::to_string(i + 1), paths_[i]))
            return profile.lastError();
    }
    return std::nullopt;
}

// The list of the devices present, with the port's own device chosen in it (added at the head
// when it is not there now), or its network address in the address field.
void CommSettingsDialog::showDevice(int port) {
    ConfigScrn& d = ctx_.forms.configScrn;
    d.cboDevice.clearItems();
    for (const auto& device : devices_) d.cboDevice.addItem(device.label);
    d.cboDevice.text.clear();
    d.txtNetAddress.setText({});
    if (port < 1 || port > 4) return;
    const std::string& path = pending_.paths[static_cast<std::size_t>(port - 1)];
    if (config::isNetworkAddress(path)) {
        d.txtNetAddress.setText(path);
        return;
    }
    const auto listed = std::find_if(devices_.begin(), devices_.end(), [&](const auto& c) { return c.path == path; });
    d.cboDevice.text = listed != devices_.end() ? listed->label : path;
}

// What the fields say for `port`: an address typed, else a device chosen from the list (or a
// path typed into it).
void CommSettingsDialog::takeDevice(int port) {
    if (port < 1 || port > 4) return;
    ConfigScrn& d = ctx_.forms.configScrn;
    std::string& path = pending_.paths[static_cast<std::size_t>(port - 1)];
    const std::string address = trimmed(d.txtNetAddress.text());
    const std::string typed = trimmed(d.cboDevice.text);
    const auto listed = std::find_if(devices_.begin(), devices_.end(), [&](const auto& c) { return c.label == typed; });
    if (!address.empty()) path = address;
    else if (listed != devices_.end()) path = listed->path;
    else if (!typed.empty()) path = typed;
}

// Keeps the devices chosen; false (with the reason shown) when an address cannot be used.
bool CommSettingsDialog::applyPaths() {
    takeDevice(pending_.port);
    for (const std::string& path : pending_.paths) {
        if (!config::isNetworkAddress(path)) continue;
        if (std::string problem = config::networkAddressProblem(path); !problem.empty()) {
            problem += ".\n\n";
            problem += path;
            ctx_.platform.dialogs.msgBox(problem, ctx_.forms.configScrn.caption, platform::MsgIcon::Exclamation,
                                         platform::MsgButtons::Ok);
            return false;
        }
    }
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        if (pending_.paths[i] == paths_[i]) continue;
        chosen_[i] = true;
        paths_[i] = pending_.paths[i];
    }
    setDevicePaths(paths_);
    return true;
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
    const std::string& slot = pending_.paths[static_cast<std::size_t>(port - 1)];
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
    for (int i = 1; i <= 4; ++i) pending_.paths[static_cast<std::size_t>(i - 1)] = devicePath(i);
    devices_ = config::deviceChoices(ctx_.platform.serialDevices.scan());
    showDevice(0);

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
    const std::string oldPath = devicePath(pending_.port);
    if (!applyPaths()) return;
    // Another port, or another device behind the open one: the port is opened on it afresh.
    if (pending_.port != oldPort || (port.portOpen() && devicePath(pending_.port) != oldPath)) {
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
