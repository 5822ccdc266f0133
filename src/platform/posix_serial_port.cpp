#include "platform/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix_custom_speed.h"
#include "platform/posix_line_settings.h"
#include "platform/posix_open_errors.h"

namespace kestrix::platform {

namespace {

// How long a look that found the driver empty stands for those that follow it: far less than a
// character takes at any speed a receiver runs at, so what comes meanwhile is only seen a
// little later, never lost (the event loop is woken for it all the same).
constexpr auto kEmptyLookStands = std::chrono::microseconds(50);

// Closes a descriptor on leaving scope unless released.
class DescriptorGuard {
public:
    explicit DescriptorGuard(int fd) : fd_(fd) {}
    ~DescriptorGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    DescriptorGuard(const DescriptorGuard&) = delete;
    DescriptorGuard& operator=(const DescriptorGuard&) = delete;
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace

PosixSerialPort::PosixSerialPort(std::function<std::string(int port)> devicePathOf)
    : devicePathOf_(std::move(devicePathOf)) {}

PosixSerialPort::~PosixSerialPort() { close(); }

void PosixSerialPort::setSettings(const std::string& text) {
    const SerialSettings parsed = parseSerialSettings(text);
    if (portOpen()) applyLine(parsed, handshaking_);
    settings_ = parsed;
}

void PosixSerialPort::setHandshaking(int handshaking) {
    checkHandshaking(handshaking);
    if (portOpen()) applyLine(settings_, handshaking);
    handshaking_ = handshaking;
}

// Opened without becoming the controlling terminal, so a hang-up never sends this program SIGHUP.
void PosixSerialPort::open() {
    if (portOpen()) return;
    const std::string path = devicePathOf_ ? devicePathOf_(port_) : std::string();
    if (path.empty()) throw SerialError("No serial device is set for " + portName());

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw SerialError(openFailureText(portName(), path, errno));
    DescriptorGuard guard(fd);
    // TIOCEXCL keeps other programs from opening the device, except those running as root; the
    // advisory lock stops those that lock it too.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && wouldBlock(errno)) throw SerialError(portBusyText(portName(), path));
    termios line{};
    if (tcgetattr(fd, &line) != 0) throw SerialError(notSerialText(portName(), path, errno));
    ioctl(fd, TIOCEXCL);

    fd_ = guard.release();
    path_ = path;
    try {
        applyLine(settings_, handshaking_);
    } catch (...) {
        close();
        throw;
    }
    tcflush(fd_, TCIOFLUSH);
    inBuffer_.clear();
    driverFoundEmptyAt_.reset();
    failure_.clear();
    lostReason_.clear();
    lineEvents_.start(fd_);
}

void PosixSerialPort::close() {
    if (!portOpen()) return;
    // Unsent output is dropped so that closing never waits on a line that does not take it.
    tcflush(fd_, TCIOFLUSH);
    ioctl(fd_, TIOCNXCL);  // the flag would outlive us while anyone else has the device open
    ::close(fd_);          // releases the lock
    fd_ = -1;
    outQueue_.clear();
    failure_.clear();
}

void PosixSerialPort::applyLine(const SerialSettings& settings, int handshaking) {
    const auto refused = [&](int error) {
        return SerialError("Cannot set " + portName() + " (" + path_ + ") to " + settings.text() + ": " +
                           std::strerror(error));
    };
    termios line{};
    if (tcgetattr(fd_, &line) != 0) throw refused(errno);
    applyLineSettings(line, settings, handshaking);
    const speed_t speed = standardSpeed(settings.baud);
    if (speed != B0) {
        line.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);  // no separate input rate left from a custom one
        cfsetispeed(&line, speed);
        cfsetospeed(&line, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &line) != 0) throw refused(errno);
    if (speed == B0 && !setCustomLineSpeed(fd_, settings.baud)) throw refused(errno);
}

void PosixSerialPort::setInBufferCount(int count) {
    if (count != 0) return;
    inBuffer_.clear();
    if (!portOpen() || driverStillEmpty()) return;
    tcflush(fd_, TCIFLUSH);
    noteDriverEmpty();
}

int PosixSerialPort::outBufferCount() {
    writeQueued();
    std::size_t inDriver = 0;
    int held = 0;
    if (portOpen() && failure_.empty()) {
        if (ioctl(fd_, TIOCOUTQ, &held) == 0) inDriver = held > 0 ? static_cast<std::size_t>(held) : 0;
        else noteError(errno);
    }
    return clampedCount(outQueue_.size() + inDriver);
}

void PosixSerialPort::output(const std::string& bytes) {
    if (!portOpen()) throw SerialError("Port is not open");
    outQueue_.append(bytes);
    writeQueued();
}

void PosixSerialPort::writeQueued() {
    if (!portOpen() || !failure_.empty()) return;
    if (const int error =
            outQueue_.writeWith([this](const char* bytes, std::size_t count) { return ::write(fd_, bytes, count); }))
        noteError(error);
}

// With VMIN and VTIME 0 a read returns 0 when nothing is waiting, so an end of file is not a
// hang-up; checkHangUp asks poll() about that.
void PosixSerialPort::readWaiting(Look look) {
    if (look == Look::mayRepeatEmpty && driverStillEmpty()) return;
    char chunk[16384];
    while (portOpen() && failure_.empty() && inBuffer_.size() < kInputLimit) {
        const ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got > 0) {
            inBuffer_.append(chunk, static_cast<std::size_t>(got));
            received_ += static_cast<std::uint64_t>(got);
            // A short read took all the driver held: asking again would only be told so.
            if (static_cast<std::size_t>(got) < sizeof chunk) {
                noteDriverEmpty();
                return;
            }
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got == 0 || wouldBlock(errno)) noteDriverEmpty();
        else noteError(errno);
        return;
    }
    driverFoundEmptyAt_.reset();
}

bool PosixSerialPort::driverStillEmpty() const {
    return driverFoundEmptyAt_ && std::chrono::steady_clock::now() - *driverFoundEmptyAt_ < kEmptyLookStands;
}

void PosixSerialPort::noteDriverEmpty() { driverFoundEmptyAt_ = std::chrono::steady_clock::now(); }

void PosixSerialPort::checkHangUp() {
    pollfd watch{fd_, POLLIN, 0};
    if (poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL))) noteError(0);
}

void PosixSerialPort::noteError(int error) { noteFailure(error != 0 ? std::strerror(error) : "the device hung up"); }

void PosixSerialPort::service() {
    if (!portOpen()) return;
    writeQueued();
    const std::uint64_t receivedBefore = received_;
    readWaiting(Look::fresh);
    // A device that has just given bytes is there; a hang-up shows at a look that brings none.
    if (failure_.empty() && received_ == receivedBefore) checkHangUp();
    std::vector<int> codes;
    if (failure_.empty()) codes = lineEvents_.changes(fd_);
    if (!failure_.empty()) {
        lostReason_ = portName() + " (" + path_ + ") was disconnected: " + failure_;
        close();
        codes.push_back(comm::erPortLost);
    }
    raise(std::move(codes));
}

}  // namespace kestrix::platform
