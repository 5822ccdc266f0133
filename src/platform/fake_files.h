#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/files.h"

namespace kestrix::platform {

// Files the test puts in place; a path with a failure set throws that description. A created file
// writes into `contents` until its path is in `writeFailures`.
class FakeFiles final : public Files {
public:
    std::unique_ptr<OutputFile> create(const std::string& path) override {
        if (auto failure = failures.find(path); failure != failures.end()) throw FileError(failure->second);
        contents[path].clear();
        return std::make_unique<Written>(*this, path);
    }
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
    std::map<std::string, std::string> writeFailures;
    int reads = 0;

private:
    struct Written final : OutputFile {
        Written(FakeFiles& files, std::string path) : files(files), path(std::move(path)) {}
        void write(const std::string& bytes) override {
            if (auto failure = files.writeFailures.find(path); failure != files.writeFailures.end())
                throw FileError(failure->second);
            files.contents[path] += bytes;
        }
        FakeFiles& files;
        std::string path;
    };
};

}  // namespace kestrix::platform
