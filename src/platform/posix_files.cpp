#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

namespace {

class PosixOutputFile final : public OutputFile {
public:
    PosixOutputFile(std::string path, int fd, std::uint64_t size) : path_(std::move(path)), file_{fd}, size_(size) {}
    void write(const std::string& bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(file_.fd, bytes.data() + done, bytes.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) throw failure(path_, written < 0 ? std::strerror(errno) : "nothing was written");
            done += static_cast<std::size_t>(written);
            size_ += static_cast<std::uint64_t>(written);
        }
    }
    std::uint64_t size() const override { return size_; }

private:
    std::string path_;
    Descriptor file_;
    std::uint64_t size_;
};

class PosixInputFile final : public InputFile {
public:
    PosixInputFile(std::string path, int fd) : path_(std::move(path)), file_{fd} {}
    std::size_t read(char* into, std::size_t size) override {
        while (true) {
            const ssize_t got = ::read(file_.fd, into, size);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw failure(path_, std::strerror(errno));
        }
    }

private:
    std::string path_;
    Descriptor file_;
};

}  // namespace

std::unique_ptr<OutputFile> PosixFiles::create(const std::string& path) {
    // Without blocking, so that a pipe chosen by mistake cannot hold the program.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) throw failure(path, std::strerror(errno));
    return std::make_unique<PosixOutputFile>(path, fd, 0);
}

std::unique_ptr<OutputFile> PosixFiles::append(const std::string& path) {
    // Each write goes straight to the system at the file's end: a program killed mid-run loses at
    // most the write it was making.
    Descriptor file{::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666)};
    if (file.fd < 0) throw failure(path, std::strerror(errno));
    struct stat facts {};
    if (::fstat(file.fd, &facts) != 0) throw failure(path, std::strerror(errno));
    const int fd = std::exchange(file.fd, -1);
    return std::make_unique<PosixOutputFile>(path, fd, static_cast<std::uint64_t>(facts.st_size));
}

std::unique_ptr<InputFile> PosixFiles::open(const std::string& path) {
    Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) throw failure(path, std::strerror(errno));
    struct stat facts {};
    if (::fstat(file.fd, &facts) != 0) throw failure(path, std::strerror(errno));
    if (!S_ISREG(facts.st_mode)) throw failure(path, "not a regular file");
    return std::make_unique<PosixInputFile>(path, std::exchange(file.fd, -1));
}

}  // namespace kestrix::platform
