#pragma once

// Plain HTTP/1.0 GETs on loopback with a deadline, and child processes a test starts and stops:
// enough to drive a service and a Prometheus server from a test.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kestrix::testing {

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
inline int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

// A connection to 127.0.0.1:port, or -1.
inline int connectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct HttpAnswer {
    int status = 0;
    std::string body;
};

// GET `target` from 127.0.0.1:port; nothing when no complete answer came within `limit`.
inline std::optional<HttpAnswer> httpGet(int port, const std::string& target,
                                         std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const int fd = connectLoopback(port);
    if (fd < 0) return std::nullopt;
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string text;
    char buffer[8192];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            ::close(fd);
            return std::nullopt;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    const auto headerEnd = text.find("\r\n\r\n");
    if (headerEnd == std::string::npos || text.size() < 12) return std::nullopt;
    return HttpAnswer{std::stoi(text.substr(9, 3)), text.substr(headerEnd + 4)};
}

// A program the test started, stopped (SIGTERM, then SIGKILL) when the test ends.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, const std::string& outputFile) {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            std::vector<char*> args;
            for (std::string& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    bool running() {
        if (pid_ <= 0) return false;
        return ::waitpid(pid_, &status_, WNOHANG) == 0;
    }
    // The exit code once it ended by itself, after waiting at most `limit`; -1 when it did not.
    int waitExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
            }
            ::usleep(10000);
        }
        return -1;
    }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        if (waitExit(std::chrono::seconds(5)) == -1 && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    // Resident memory in kB, from /proc.
    long residentKb() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
        return -1;
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

inline std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace kestrix::testing
