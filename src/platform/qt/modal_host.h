#pragma once

namespace kestrix {
struct Window;
}

namespace kestrix::platform::qt {

// What shows a window of the program modally: it returns when the window's state is hidden.
class ModalHost {
public:
    virtual ~ModalHost() = default;
    virtual void runModal(Window& window) = 0;
};

}  // namespace kestrix::platform::qt
