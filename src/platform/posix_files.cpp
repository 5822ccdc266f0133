#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace kestrix::platform {

namespace {

FileError failure(const std::string& path, const std::string& why) { return FileError(path + ": " + why); }

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::string PosixFiles::readAll(const std::string& path, std::size_t limit) {
    // Opened without blocking, so that a pipe or a device chosen by mistake cannot hold the program.
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) throw failure(path, std::strerror(errno));
    struct stat facts {};
    if (::fstat(file.fd, &facts) != 0) throw failure(path, std::strerror(errno));
    if (!S_ISREG(facts.st_mode)) throw failure(path, "not a regular file");
    if (static_cast<unsigned long long>(facts.st_size) > limit)
        throw failure(path, "too large (" + std::to_string(facts.st_size) + " bytes)");

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(facts.st_size));
    char chunk[65536];
    while (true) {
        const ssize_t got = ::read(file.fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw failure(path, std::strerror(errno));
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
        if (bytes.size() > limit) throw failure(path, "too large (more than " + std::to_string(limit) + " bytes)");
    }
    return bytes;
}

}  // namespace kestrix::platform
