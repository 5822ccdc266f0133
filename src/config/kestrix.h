#pragma once

#include <memory>

#include "shared/context.h"
#include "shared/startup_values.h"

namespace kestrix {

class LinkEngine;

// The whole program without its widgets: every window as state, the shared link state and the
// parts that work on them, wired to the platform. The Qt layer renders `forms` and forwards the
// user's actions to the handlers wired here.
class Kestrix {
    platform::Platform& platform_;

public:
    explicit Kestrix(platform::Platform& platform);
    ~Kestrix();

    // The main window's load: start-up, leaving the port closed.
    void start();
    // The main window's close request; `cancel` keeps the program running.
    void requestClose(bool& cancel);
    // Set when the program must end (File, Exit, or a completed close).
    bool quitRequested() const { return quitRequested_; }

    Forms forms;
    LinkState state;
    StartupValues startup;
    Context context{forms, state, platform_};
    LinkEngine& link() { return *link_; }

private:
    std::unique_ptr<LinkEngine> link_;
    bool quitRequested_ = false;
};

}  // namespace kestrix
