#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace kestrix::platform {

// A file that cannot be read, carrying the description the user is shown.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file written as it goes: each write has reached the system when it returns, so what was
// written survives the program. Throws FileError when the system refuses (a full disk, a removed
// medium).
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual void write(const std::string& bytes) = 0;
    // The bytes in the file, those it held before it was opened and those written since.
    virtual std::uint64_t size() const = 0;
};

// A file read a block at a time, for files too large to hold whole.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Up to `size` bytes into `into`; 0 at the end of the file. Throws FileError when the system
    // refuses.
    virtual std::size_t read(char* into, std::size_t size) = 0;
};

// Reading the user's files as bytes, and writing new ones.
class Files {
public:
    virtual ~Files() = default;
    // The whole of a regular file, to its end. Throws FileError when it cannot be opened or read,
    // is not a regular file (a directory, a device, a pipe), or holds more than `limit` bytes.
    virtual std::string readAll(const std::string& path, std::size_t limit) = 0;
    // A new file at `path`, replacing one that is there. Throws FileError when it cannot be made.
    virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
    // The file at `path` for writing at its end, made when there is none. Throws FileError when it
    // cannot be opened.
    virtual std::unique_ptr<OutputFile> append(const std::string& path) = 0;
    // A regular file for reading a block at a time. Throws FileError when it cannot be opened or
    // is not a regular file.
    virtual std::unique_ptr<InputFile> open(const std::string& path) = 0;
};

// Files on the local file system.
class PosixFiles final : public Files {
public:
    std::string readAll(const std::string& path, std::size_t limit) override;
    std::unique_ptr<OutputFile> create(const std::string& path) override;
    std::unique_ptr<OutputFile> append(const std::string& path) override;
    std::unique_ptr<InputFile> open(const std::string& path) override;
};

}  // namespace kestrix::platform
