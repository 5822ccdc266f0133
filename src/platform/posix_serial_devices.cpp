#include "platform/posix_serial_devices.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace kestrix::platform {

namespace fs = std::filesystem;

namespace {

bool startsWithAny(const std::string& name, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes)
        if (name.starts_with(prefix)) return true;
    return false;
}

}  // namespace

bool PosixSerialDevices::uartAnswers(const std::string& name) const {
    std::ifstream type(sys_ + "/" + name + "/type");
    int uart = 0;
    if (type >> uart) return uart != 0;
    const int fd = ::open((dev_ + "/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios attributes{};
    const bool answers = ::tcgetattr(fd, &attributes) == 0;
    ::close(fd);
    return answers;
}

std::vector<SerialDeviceEntry> PosixSerialDevices::scan() {
    std::vector<SerialDeviceEntry> found;
    std::error_code error;
    for (const auto& link : fs::directory_iterator(dev_ + "/serial/by-id", error)) {
        std::error_code broken;
        const fs::path target = fs::canonical(link.path(), broken);
        if (!broken) found.push_back({link.path().string(), target.string(), true});
    }
    for (const auto& entry : fs::directory_iterator(dev_, error)) {
        const std::string name = entry.path().filename().string();
        if (startsWithAny(name, {"ttyUSB", "ttyACM"})) found.push_back({entry.path().string(), {}, true});
        else if (name.starts_with("ttyS")) found.push_back({entry.path().string(), {}, uartAnswers(name)});
    }
    return found;
}

}  // namespace kestrix::platform
