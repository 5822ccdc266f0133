#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "config/port_choice.h"
#include "shared/controls.h"
#include "state/context.h"

namespace kestrix {

// The choices made in the Communication Settings dialog, applied to the port only on OK.
struct PendingSelection {
    int port = 0;
    std::string baud;
    std::string parity;
    std::string dataBits;
    std::string stopBits;
    int flow = 0;
    std::array<std::string, 4> paths;  // the device or network address behind COM1 to COM4
};

// The Communication Settings dialog: shows the live port's parameters when it opens and applies
// the user's choices to the port on OK. The devices chosen for the COM slots are kept for this
// run and written to the settings file's "Ports" section when the program ends.
class CommSettingsDialog {
public:
    explicit CommSettingsDialog(Context& context);
    void wire();

    // "Settings..." on the CommPort menu: not modal; a second call only brings it forward.
    void open();
    // From the download preparation: returns when the dialog is closed.
    void openModal();
    void ok();
    void cancel();

    // The device path each of COM1 to COM4 stands for, shown beside its button.
    void setDevicePaths(const std::array<std::string, 4>& paths);
    // The device or network address behind COM `port` (1 to 4): the one chosen in this dialog,
    // else the settings file's as it is now; empty for another port.
    std::string devicePath(int port) const;
    // Writes the slots chosen in this run that differ from the file to its "Ports" section,
    // every other line kept; the reason when the file could not be written.
    std::optional<std::string> saveChosenPaths();
    // Called after OK changed whether the port is open; switching an open port to another device
    // calls it once the old device is closed and again once the new one is open (or failed to open).
    std::function<void()> onPortStateChanged;

    const PendingSelection& pending() const { return pending_; }

private:
    void load();
    bool apply(const std::function<void()>& step);
    void choose(OptionButton& button);
    void showDevice(int port);
    void takeDevice(int port);
    bool applyPaths();
    void showWhoSetsTheLine(int port);

    Context& ctx_;
    PendingSelection pending_;
    std::array<std::string, 4> slots_;  // what COM1 to COM4 name: device paths or network addresses
    std::vector<std::pair<OptionButton*, std::function<void()>>> storeValue_;
    std::array<std::string, 4> paths_;           // as read at start-up, or as chosen
    std::array<bool, 4> chosen_{};               // chosen in this run: saved when the program ends
    std::vector<config::DeviceChoice> devices_;  // the devices listed, as found at opening
};

}  // namespace kestrix
