#include "platform/posix_open_errors.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace kestrix::platform {

namespace {

// The group that may use the device; Debian gives serial ports to "dialout".
std::string owningGroup(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && info.st_gid != 0)
        if (const group* g = getgrgid(info.st_gid)) return g->gr_name;
    return "dialout";
}

std::string described(const std::string& portName, const std::string& path) { return portName + " (" + path + ")"; }

}  // namespace

std::string openFailureText(const std::string& portName, const std::string& path, int error) {
    if (error == EBUSY) return portBusyText(portName, path);
    std::string text = "Cannot open " + described(portName, path) + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM) {
        const std::string group = owningGroup(path);
        text += ".\nOnly members of the group \"" + group +
                "\" may use this port: add your user to it (sudo adduser $USER " + group + ") and log in again.";
    }
    return text;
}

std::string portBusyText(const std::string& portName, const std::string& path) {
    return described(portName, path) + " is in use by another program (" + std::strerror(EBUSY) + ")";
}

std::string notSerialText(const std::string& portName, const std::string& path, int error) {
    return "Cannot open " + described(portName, path) + ": " + std::strerror(error) + " (it is not a serial port)";
}

}  // namespace kestrix::platform
