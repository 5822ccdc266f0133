#pragma once

#include <string>

namespace kestrix::platform {

// The private-profile calls on the settings file "Receiver.INI". Section and key names match
// without regard to case; blanks around names and values are dropped on reading; a value in a
// pair of matching quotes is read without them; a missing file, section or key gives the default.
// Lines end at CR, LF or CR LF; a leading UTF-8 byte-order mark is skipped.
class Profile {
public:
    virtual ~Profile() = default;
    // Decimal digits after leading blanks and an optional sign; a present value with no digits
    // gives 0.
    virtual int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) = 0;
    // At most bufferLength - 1 characters of the value (or of the default, less its trailing
    // blanks).
    virtual std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue, int bufferLength) = 0;
    // Replaces the value in place or adds the key, its section and the file. False when the
    // file could not be written; lastError() then says why.
    virtual bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                            const std::string& value) = 0;
    virtual std::string lastError() const = 0;
};

// The whole value of a text key, however long: read as a caller of the buffered call does, with
// a larger buffer while the value fills the one it had.
inline std::string readWholeString(Profile& profile, const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
    int bufferLength = 256;
    for (;;) {
        std::string value = profile.GetPrivateProfileStringA(section, key, defaultValue, bufferLength);
        if (value.size() + 1 < static_cast<std::size_t>(bufferLength) || bufferLength > (1 << 29)) return value;
        bufferLength *= 2;
    }
}

}  // namespace kestrix::platform
