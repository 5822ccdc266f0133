#pragma once

#include <string>

namespace kestrix::platform {

// The private-profile calls on the settings file "Receiver.INI". Section and key names match
// without regard to case; blanks around names and values are dropped on reading; a value in a
// pair of matching quotes is read without them; a missing file, section or key gives the default.
class Profile {
public:
    virtual ~Profile() = default;
    // Decimal digits after leading blanks; a present value with no digits gives 0.
    virtual int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) = 0;
    // At most bufferLength - 1 characters of the value (or of the default).
    virtual std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue, int bufferLength) = 0;
    // Replaces the value in place or adds the key, its section and the file. False when the
    // file could not be written; lastError() then says why.
    virtual bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                            const std::string& value) = 0;
    virtual std::string lastError() const = 0;
};

}  // namespace kestrix::platform
