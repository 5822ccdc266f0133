#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/files.h"

namespace kestrix::platform {

// Files the test puts in place; a path with a failure set throws that description. A created or
// appended file writes into `contents` until its path is in `writeFailures`; a file opened for
// reading reads what `contents` held when it was opened, in blocks, and throws once its path is
// in `readFailures`.
class FakeFiles final : public Files {
public:
    std::unique_ptr<OutputFile> create(const std::string& path) override {
        if (auto failure = failures.find(path); failure != failures.end()) throw FileError(failure->second);
        contents[path].clear();
        return std::make_unique<Written>(*this, path);
    }
    std::unique_ptr<OutputFile> append(const std::string& path) override {
        if (auto failure = failures.find(path); failure != failures.end()) throw FileError(failure->second);
        contents[path];
        return std::make_unique<Written>(*this, path);
    }
    std::unique_ptr<InputFile> open(const std::string& path) override {
        ++reads;
        if (auto failure = failures.find(path); failure != failures.end()) throw FileError(failure->second);
        auto file = contents.find(path);
        if (file == contents.end()) throw FileError(path + ": No such file or directory");
        return std::make_unique<Read>(*this, path, file->second);
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
    std::map<std::string, std::string> readFailures;
    int reads = 0;

private:
    struct Written final : OutputFile {
        Written(FakeFiles& files, std::string path) : files(files), path(std::move(path)) {}
        void write(const std::string& bytes) override {
            if (auto failure = files.writeFailures.find(path); failure != files.writeFailures.end())
                throw FileError(failure->second);
            files.contents[path] += bytes;
        }
        std::uint64_t size() const override { return files.contents[path].size(); }
        FakeFiles& files;
        std::string path;
    };
    struct Read final : InputFile {
        Read(FakeFiles& files, std::string path, std::string bytes)
            : files(files), path(std::move(path)), bytes(std::move(bytes)) {}
        std::size_t read(char* into, std::size_t size) override {
            if (auto failure = files.readFailures.find(path); failure != files.readFailures.end())
                throw FileError(failure->second);
            const std::size_t got = bytes.copy(into, size, at);
            at += got;
            return got;
        }
        FakeFiles& files;
        std::string path;
        std::string bytes;
        std::size_t at = 0;
    };
};

}  // namespace kestrix::platform
