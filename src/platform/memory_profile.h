#pragma once

#include <memory>
#include <string>

#include "platform/profile.h"

namespace kestrix::platform {

namespace ini {
class Document;
}

// The test double of the profile file: the same rules as the file on disk, on `text`.
// An empty text is a missing file. With `failWrites` set, every write fails with that reason
// and leaves the text alone. The text is split into lines once and again only after it changes,
// so that a test making hundreds of calls on one text does not split it hundreds of times.
class MemoryProfile final : public Profile {
public:
    MemoryProfile() = default;
    explicit MemoryProfile(std::string initialText) : text(std::move(initialText)) {}

    int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) override;
    std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, int bufferLength) override;
    bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                    const std::string& value) override;
    std::string lastError() const override { return lastError_; }

    std::string text;
    std::string failWrites;
    int writes = 0;  // write calls, failed ones included

private:
    // The text as last split; shared by copies, never changed once made.
    const ini::Document& document();

    std::string lastError_;
    std::shared_ptr<const ini::Document> document_;
};

}  // namespace kestrix::platform
