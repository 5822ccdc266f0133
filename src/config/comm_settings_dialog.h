#pragma once

#include <array>
#include <functional>
#include <string>

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
};

// The Communication Settings dialog: shows the live port's parameters when it opens and applies
// the user's choices to the port on OK. It never touches the settings file.
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
    // Called after OK changed whether the port is open; switching an open port to another device
    // calls it once the old device is closed and again once the new one is open (or failed to open).
    std::function<void()> onPortStateChanged;

    const PendingSelection& pending() const { return pending_; }

private:
    void load();
    bool apply(const std::function<void()>& step);
    void choose(OptionButton& button);
    void showWhoSetsTheLine(int port);

    Context& ctx_;
    PendingSelection pending_;
    std::array<std::string, 4> slots_;  // what COM1 to COM4 name: device paths or network addresses
    std::vector<std::pair<OptionButton*, std::function<void()>>> storeValue_;
};

}  // namespace kestrix
