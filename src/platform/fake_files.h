#pragma once

#include <map>
#include <string>

#include "platform/files.h"

namespace kestrix::platform {

// Files the test puts in place; a path with a failure set throws that description.
class FakeFiles final : public Files {
public:
    std::string readAll(const std::string& path, std::size_t limit) override {
        ++reads;
        if (auto failure = failures.find(path); failure != failures.end()) throw FileError(failure->second);
        auto file = contents.find(path);
        if (file == contents.end()) throw FileError(path + ": No such file or directory");
        if (file->second.size() > limit) throw FileError(path + ": too large");
        return file->second;
    }
    std::map<std::string, std::string> contents;
    std::map<std::string, std::string> failures;
    int reads = 0;
};

}  // namespace kestrix::platform
