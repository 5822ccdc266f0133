#include "app/key_codes.h"

#include <QKeyEvent>

#include <map>

namespace kestrix::app {

namespace {
const std::map<int, char> kNamedKeys{
    {Qt::Key_Return, 13}, {Qt::Key_Enter, 13}, {Qt::Key_Backspace, 8}, {Qt::Key_Escape, 27}};

constexpr char16_t kDelete = 0x7F;
}  // namespace

bool heldForCommand(const QKeyEvent& event) {
    return (event.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0;
}

bool typesText(const QKeyEvent& event) {
    const QString text = event.text();
    return !text.isEmpty() && text.front().isPrint();
}

std::optional<char> keyAscii(const QKeyEvent& event) {
    if (heldForCommand(event)) return std::nullopt;
    if (const auto named = kNamedKeys.find(event.key()); named != kNamedKeys.end()) return named->second;
    const QString text = event.text();
    if (text.size() != 1) return std::nullopt;
    const char16_t code = text.front().unicode();
    if (code == 0 || code == kDelete || code > 0xFF) return std::nullopt;
    if (code == u'\t') return std::nullopt;  // Tab moves the focus
    if (code < 0x20) return std::nullopt;
    return static_cast<char>(code);
}

bool typesForeignCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    return text.size() == 1 && text.front().unicode() > 0xFF && text.front().isPrint();
}

}  // namespace kestrix::app
