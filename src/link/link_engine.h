#pragma once

#include <string>

#include "shared/context.h"

namespace kestrix {

// The main window's serial link: the tick of Timer1 and the main window's commands.
class LinkEngine {
public:
    explicit LinkEngine(Context& context);
    void wire();
    void tick();

private:
    Context& ctx_;
};

}  // namespace kestrix
