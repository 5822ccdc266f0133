#include "platform/memory_profile.h"

#include "platform/ini_text.h"

namespace kestrix::platform {

const ini::Document& MemoryProfile::document() {
    if (!document_ || document_->text() != text) document_ = std::make_shared<const ini::Document>(text);
    return *document_;
}

int MemoryProfile::GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) {
    return ini::readInt(document(), section, key, defaultValue);
}

std::string MemoryProfile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                    const std::string& defaultValue, int bufferLength) {
    return ini::readString(document(), section, key, defaultValue, bufferLength);
}

bool MemoryProfile::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                               const std::string& value) {
    ++writes;
    const std::string reason = failWrites.empty() ? ini::unwritableReason(section, key, value) : failWrites;
    if (!reason.empty()) {
        lastError_ = reason;
        return false;
    }
    text = document().withValue(section, key, value);
    return true;
}

}  // namespace kestrix::platform
