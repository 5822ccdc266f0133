#pragma once

#include "platform/platform.h"
#include "program/forms.h"
#include "shared/link_state.h"

namespace kestrix {

// What every part of the program works on: the windows, the shared link state and the platform.
struct Context {
    Forms& forms;
    LinkState& state;
    platform::Platform& platform;
};

}  // namespace kestrix
