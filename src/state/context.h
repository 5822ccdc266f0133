#pragma once

#include "shared/link_state.h"
#include "state/form_refs.h"

namespace kestrix {

namespace platform {
struct Platform;
}

// What every part of the program works on: the windows, the shared link state and the platform.
// A part includes the state of each window it touches (see state/form_refs.h) and
// platform/platform.h where it uses the platform.
struct Context {
    FormRefs forms;
    LinkState& state;
    platform::Platform& platform;
};

}  // namespace kestrix
