#include "platform/ini_profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/ini_text.h"

namespace kestrix::platform {

namespace {

namespace fs = std::filesystem;

std::string systemReason(int error) { return std::generic_category().message(error); }

// A file's whole text. A missing file (or a missing folder on its path) reads as empty text
// with `exists` false; false and `error` when it is there but cannot be read.
bool readFile(const std::string& path, std::string& text, bool& exists, int& error) {
    text.clear();
    exists = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return true;
        error = errno;
        return false;
    }
    exists = true;
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a write replaces: the target of a symbolic link rather than the link itself.
fs::path replacedFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path) : target;
}

std::atomic<unsigned> temporaryCount{0};

// Opens a new temporary file beside `target`; -1 with errno set when none can be made.
int openTemporary(const fs::path& folder, const fs::path& target, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = (folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                               std::to_string(temporaryCount++) + ".tmp"))
                        .string();
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

IniFileProfile::IniFileProfile(std::string path) : path_(std::move(path)) {}

int IniFileProfile::GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue) {
    std::string text;
    bool exists = false;
    int error = 0;
    if (!readFile(path_, text, exists, error)) text.clear();
    return ini::readInt(text, section, key, defaultValue);
}

std::string IniFileProfile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                     const std::string& defaultValue, int bufferLength) {
    std::string text;
    bool exists = false;
    int error = 0;
    if (!readFile(path_, text, exists, error)) text.clear();
    return ini::readString(text, section, key, defaultValue, bufferLength);
}

bool IniFileProfile::fail(const std::string& reason) {
    lastError_ = "Cannot write " + path_ + ": " + reason;
    return false;
}

bool IniFileProfile::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                                const std::string& value) {
    if (const auto why = ini::unwritableReason(section, key, value); !why.empty()) return fail(why);

    std::string text;
    bool exists = false;
    int error = 0;
    // An existing file that cannot be read is left alone rather than replaced by a new one.
    if (!readFile(path_, text, exists, error)) return fail(systemReason(error));
    const std::string updated = ini::withValue(text, section, key, value);
    if (exists && updated == text) return true;

    const fs::path target = replacedFile(path_);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return fail("cannot create folder " + folder.string() + ": " + ec.message());

    struct stat existing {};
    const bool keepMode = ::stat(target.c_str(), &existing) == 0;
    std::string temporary;
    const int fd = openTemporary(folder, target, temporary);
    if (fd < 0) return fail(systemReason(errno));
    if (keepMode) ::fchmod(fd, existing.st_mode & 07777);

    if (!writeAll(fd, updated) || ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return fail(systemReason(error));
    }
    syncFolder(folder);
    return true;
}

std::string defaultProfilePath() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (configHome != nullptr && configHome[0] == '/') {
        folder = configHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home != nullptr && home[0] != '\0') {
            folder = home;
        } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
            folder = user->pw_dir;
        }
        if (folder.empty()) return "Receiver.INI";
        if (folder.back() != '/') folder += '/';
        folder += ".config";
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder != "/") folder += '/';
    return folder + "kestrix/Receiver.INI";
}

}  // namespace kestrix::platform
