#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shared/font.h"

namespace kestrix {
struct Window;
}

namespace kestrix::platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgResult { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// Message boxes, modal windows and the common dialogs. Each call returns when the user has
// answered; a modal call made inside a timer tick holds that tick until it returns.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MsgResult msgBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) = 0;
    // Shows `window` modally and returns when it is hidden again.
    virtual void showModal(Window& window) = 0;
    // The file-open dialog; the filter is "Description|pattern|..." . Empty when cancelled.
    virtual std::optional<std::string> openFile(const std::string& filter) = 0;
    // The file-save dialog titled `title`, offering `suggested`; it asks before replacing a file.
    // Empty when cancelled.
    virtual std::optional<std::string> saveFile(const std::string& title, const std::string& filter,
                                                const std::string& suggested) = 0;
    // The font dialog, starting from `font`. Empty when cancelled.
    virtual std::optional<FontSpec> chooseFont(const FontSpec& font) = 0;
    // The print dialog; the number of copies, or empty when cancelled.
    virtual std::optional<int> choosePrintCopies() = 0;
};

}  // namespace kestrix::platform
