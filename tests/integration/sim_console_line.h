#pragma once

// The console's end of the simulator's line, on raw POSIX calls: opens the slave side of the
// pseudo-terminal as a console opens a serial port, and reads with a deadline.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "receiver-sim/line_settings.h"

namespace kestrix::sim::testing {

using namespace std::chrono_literals;

// True when text ends with "scpi > " or with an error prompt "E-nnn> ".
inline bool endsWithPrompt(std::string_view text) {
    if (text.size() < 7) return false;
    const std::string_view tail = text.substr(text.size() - 7);
    return tail == "scpi > " || (tail.substr(0, 2) == "E-" && tail.substr(5) == "> ");
}

class ConsoleLine {
public:
    explicit ConsoleLine(const std::string& path, const LineSettings& line = {}) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        termios attributes{};
        ::tcgetattr(fd_, &attributes);
        ::cfmakeraw(&attributes);
        attributes.c_cflag |= CLOCAL | CREAD;
        applyLineSettings(attributes, line);
        ::tcsetattr(fd_, TCSANOW, &attributes);
    }
    ~ConsoleLine() {
        if (fd_ >= 0) ::close(fd_);
    }
    ConsoleLine(const ConsoleLine&) = delete;
    ConsoleLine& operator=(const ConsoleLine&) = delete;

    void setLine(const LineSettings& line) {
        termios attributes{};
        ::tcgetattr(fd_, &attributes);
        applyLineSettings(attributes, line);
        ::tcsetattr(fd_, TCSANOW, &attributes);
    }

    void write(std::string_view bytes) {
        while (!bytes.empty()) {
            const auto n = ::write(fd_, bytes.data(), bytes.size());
            if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
            else if (n < 0 && errno != EAGAIN) throw std::runtime_error("write failed");
            else waitFor(POLLOUT, 100ms);
        }
    }

    // Each read's bytes, separately, until the text read so far satisfies done or the limit passes.
    template <typename Done>
    std::vector<std::string> readPieces(Done done, std::chrono::milliseconds limit = 3000ms) {
        std::vector<std::string> pieces;
        std::string all;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done(all) && std::chrono::steady_clock::now() < deadline) {
            if (!waitFor(POLLIN, 20ms)) continue;
            char buffer[4096];
            const auto n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) continue;
                hungUp_ = true;
                break;
            }
            pieces.emplace_back(buffer, static_cast<std::size_t>(n));
            all += pieces.back();
        }
        return pieces;
    }

    template <typename Done>
    std::string readUntil(Done done, std::chrono::milliseconds limit = 3000ms) {
        std::string all;
        for (const auto& piece : readPieces(done, limit)) all += piece;
        return all;
    }

    std::string readPrompted(std::chrono::milliseconds limit = 3000ms) {
        return readUntil([](const std::string& text) { return endsWithPrompt(text); }, limit);
    }

    // Sends a command line and returns everything up to and including its prompt.
    std::string exchange(std::string_view command) {
        write(std::string(command) + "\r\n");
        return readPrompted();
    }

    // The line reads as closed: end of file or an error other than "try again".
    bool readsAsHungUp() const { return hungUp_; }
    int fd() const { return fd_; }

private:
    bool waitFor(short events, std::chrono::milliseconds limit) {
        pollfd p{fd_, events, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(limit.count()));
        if (ready > 0 && (p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN)) hungUp_ = true;
        return ready > 0 && (p.revents & (events | POLLHUP | POLLERR));
    }

    int fd_ = -1;
    bool hungUp_ = false;
};

// Polls a condition until it holds or the limit passes.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = 3000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::usleep(2000);
    }
    return true;
}

}  // namespace kestrix::sim::testing
