#pragma once

// Debian's ser2net, started on a loopback port in front of a device (the simulator's
// pseudo-terminal), with its configuration in a folder of its own; stopped on destruction.

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_http.h"

extern char** environ;

namespace kestrix::testing {

class Ser2net {
public:
    enum class Protocol { rfc2217, tcp };

    Ser2net(const std::string& device, Protocol protocol) : protocol_(protocol) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-ser2net-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        port_ = freeLoopbackPort();
        const std::string accepter = protocol == Protocol::rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
        std::ofstream(folder_ / "ser2net.yaml") << "%YAML 1.1\n---\n"
                                                << "connection: &receiver\n"
                                                << "  accepter: " << accepter << ",127.0.0.1," << port_ << "\n"
                                                << "  connector: serialdev," << device << ",9600n81,local\n"
                                                << "  options:\n    kickolduser: true\n";
        start();
    }
    ~Ser2net() {
        stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Runs ser2net and waits until it accepts; false when it does not within a few seconds.
    bool start() {
        const std::string config = (folder_ / "ser2net.yaml").string();
        const std::string log = (folder_ / "ser2net.log").string();
        std::vector<std::string> args{"ser2net", "-n", "-u", "-c", config, "-P", (folder_ / "pid").string()};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        const int spawned = posix_spawnp(&pid_, "ser2net", &files, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (spawned != 0) {
            pid_ = -1;
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            if (accepts()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    bool running() const { return pid_ > 0; }
    int port() const { return port_; }
    // The address a COM slot names it by.
    std::string address() const {
        return std::string(protocol_ == Protocol::rfc2217 ? "rfc2217" : "tcp") +
               "://127.0.0.1:" + std::to_string(port_);
    }

private:
    // Listening: a connection is accepted (and closed again at once).
    bool accepts() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    }

    Protocol protocol_;
    std::filesystem::path folder_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace kestrix::testing
