#pragma once

#include "platform/dialogs.h"

namespace kestrix::platform::qt {

class ModalHost;
class QtPrinter;

// Message boxes and the common dialogs of the desktop; modal windows of the program are shown by
// the renderer set with setModalHost().
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QtPrinter& printer) : printer_(printer) {}
    void setModalHost(ModalHost* host) { host_ = host; }

    MsgResult msgBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
    void showModal(Window& window) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& filter,
                                        const std::string& suggested) override;
    std::optional<FontSpec> chooseFont(const FontSpec& font) override;
    std::optional<int> choosePrintCopies() override;

private:
    QtPrinter& printer_;
    ModalHost* host_ = nullptr;
};

}  // namespace kestrix::platform::qt
