#include "platform/memory_profile.h"

#include "platform/ini_text.h"

namespace kestrix::platform {

int MemoryProfile::GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) {
    return ini::readInt(text, section, key, defaultValue);
}

std::string MemoryProfile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                    const std::string& defaultValue, int bufferLength) {
    return ini::readString(text, section, key, defaultValue, bufferLength);
}

bool MemoryProfile::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                               const std::string& value) {
    ++writes;
    const std::string reason = failWrites.empty() ? ini::unwritableReason(section, key, value) : failWrites;
    if (!reason.empty()) {
        lastError_ = reason;
        return false;
    }
    text = ini::withValue(text, section, key, value);
    return true;
}

}  // namespace kestrix::platform
