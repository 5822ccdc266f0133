#pragma once

#include <string>

#include "platform/profile.h"

namespace kestrix::platform {

// The profile calls on an INI file on disk. Every call reads the file afresh; a missing or
// unreadable file reads as empty. A write replaces the file atomically (a temporary file in the
// same folder, flushed to disk, then renamed over it), creating the folder and its parents when
// they are missing, so the file is never left half written. The new file keeps the old one's
// mode, owner and group as far as the process may set them. A path that is a symbolic link
// (also one to a file not yet made) is written through to the link's target; the link stays.
class IniFileProfile final : public Profile {
public:
    explicit IniFileProfile(std::string path);

    int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) override;
    std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, int bufferLength) override;
    bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                    const std::string& value) override;
    // "Cannot write <path>: <the system's reason>" after a failed write.
    std::string lastError() const override { return lastError_; }

    const std::string& path() const { return path_; }

private:
    bool fail(const std::string& reason);

    std::string path_;
    std::string lastError_;
};

// Where the settings file lives: $XDG_CONFIG_HOME/kestrix/Receiver.INI, or
// ~/.config/kestrix/Receiver.INI when XDG_CONFIG_HOME is unset, empty or not an absolute path.
// The home folder is $HOME, or the user's entry in the password database when HOME is unset or
// empty; without either the file is "Receiver.INI" in the working folder.
std::string defaultProfilePath();

}  // namespace kestrix::platform
