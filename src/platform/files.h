#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace kestrix::platform {

// A file that cannot be read, carrying the description the user is shown.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reading the user's files as bytes.
class Files {
public:
    virtual ~Files() = default;
    // The whole of a regular file, to its end. Throws FileError when it cannot be opened or read,
    // is not a regular file (a directory, a device, a pipe), or holds more than `limit` bytes.
    virtual std::string readAll(const std::string& path, std::size_t limit) = 0;
};

// Files on the local file system.
class PosixFiles final : public Files {
public:
    std::string readAll(const std::string& path, std::size_t limit) override;
};

}  // namespace kestrix::platform
