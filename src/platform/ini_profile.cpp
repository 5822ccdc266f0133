#include "platform/ini_profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
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

// The file a write replaces: the end of a chain of symbolic links rather than the link itself,
// also when that end does not exist yet, so that the links stay and the file appears where they
// point. A relative target is taken from the link's own folder.
fs::path replacedFile(const std::string& path) {
    fs::path file = path;
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(file, ec)) return file;
        const fs::path target = fs::read_symlink(file, ec);
        if (ec) return file;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file;
}

// The owner and group a new file or folder made by the superuser takes: those of the folder it
// is made in, so that a run under sudo in a user's own folder leaves nothing the user's later
// runs cannot replace. Nothing for other users, whose new files are their own.
std::optional<struct stat> inheritedOwner(const fs::path& folder) {
    struct stat info {};
    if (::geteuid() != 0 || ::stat(folder.c_str(), &info) != 0) return std::nullopt;
    return info;
}

// Gives an open file the owner and group of `wanted` when they differ from the process's own.
// The superuser may give both; another user at most a group of its own; failing that the file
// stays the process's.
void takeOwner(int fd, const struct stat& wanted) {
    if (wanted.st_uid == ::geteuid() && wanted.st_gid == ::getegid()) return;
    if (::fchown(fd, wanted.st_uid, wanted.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), wanted.st_gid) != 0) {
        // Neither is allowed: the file stays the process's own.
    }
}

// Makes `folder` and its missing parents; each new one takes its parent's owner when the
// superuser makes it (see inheritedOwner).
bool makeFolders(const fs::path& folder, std::error_code& ec) {
    if (folder.empty() || fs::is_directory(folder, ec)) return true;
    if (!makeFolders(folder.parent_path(), ec)) return false;
    if (::mkdir(folder.c_str(), 0777) != 0) {
        const int error = errno;
        if (error == EEXIST && fs::is_directory(folder, ec)) return true;  // made meanwhile
        ec.assign(error == EEXIST ? ENOTDIR : error, std::generic_category());
        return false;
    }
    if (const auto owner = inheritedOwner(folder.parent_path().empty() ? "." : folder.parent_path())) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            takeOwner(fd, *owner);
            ::close(fd);
        }
    }
    ec.clear();
    return true;
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
    if (!makeFolders(folder, ec)) return fail("cannot create folder " + folder.string() + ": " + ec.message());

    // The new file keeps the old one's mode, owner and group (or, new, takes its folder's owner).
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    const auto owner = replacing ? std::optional<struct stat>(existing) : inheritedOwner(folder);
    std::string temporary;
    const int fd = openTemporary(folder, target, temporary);
    if (fd < 0) return fail(systemReason(errno));
    if (owner) takeOwner(fd, *owner);
    if (replacing) ::fchmod(fd, existing.st_mode & 07777);

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
