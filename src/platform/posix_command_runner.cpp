#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/command_runner.h"

extern char** environ;

namespace kestrix::platform {

PosixCommandRunner::PosixCommandRunner(std::chrono::milliseconds timeLimit, std::size_t limit)
    : timeLimit_(timeLimit), limit_(limit) {}

PosixCommandRunner::~PosixCommandRunner() {
    for (const Child& child : children_) {
        ::kill(-child.pid, SIGKILL);
        ::waitpid(child.pid, nullptr, 0);
    }
}

std::string PosixCommandRunner::start(const std::string& command, const Environment& environment) {
    service();
    if (children_.size() >= limit_) return std::to_string(children_.size()) + " earlier commands are still running";
    // Everything the child needs is made before fork: the child only calls async-signal-safe functions.
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : environment) replaced = replaced || entry.starts_with(name + "=");
        if (!replaced) entries.push_back(entry);
    }
    for (const auto& [name, value] : environment) entries.push_back(std::string(name).append("=").append(value));
    std::vector<char*> envp;
    envp.reserve(entries.size() + 1);
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};

    const pid_t pid = ::fork();
    if (pid < 0) return std::string("cannot start a process: ") + std::strerror(errno);
    if (pid == 0) {
        ::setpgid(0, 0);
        // Standard input is nothing; output goes where the program's own goes (the journal).
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) ::dup2(null, 0);
        ::close_range(3, ~0U, 0);  // the ports and the endpoint's socket stay the program's
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve("/bin/sh", const_cast<char* const*>(argv), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    children_.push_back({pid, command, std::chrono::steady_clock::now()});
    return {};
}

std::string PosixCommandRunner::limitText() const {
    const auto ms = timeLimit_.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

void PosixCommandRunner::service() {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = children_.begin(); it != children_.end();) {
        int status = 0;
        const pid_t done = ::waitpid(it->pid, &status, WNOHANG);
        if (done == it->pid || (done < 0 && errno == ECHILD)) {
            if (onEnd) {
                if (it->killed)
                    onEnd(true, "\"" + it->command + "\" ran longer than " + limitText() + " and was stopped");
                else if (done < 0) onEnd(true, "\"" + it->command + "\" was lost");
                else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) onEnd(false, "\"" + it->command + "\" ended");
                else if (WIFEXITED(status))
                    onEnd(true, "\"" + it->command + "\" failed with exit code " + std::to_string(WEXITSTATUS(status)));
                else onEnd(true, "\"" + it->command + "\" ended by signal " + std::to_string(WTERMSIG(status)));
            }
            it = children_.erase(it);
            continue;
        }
        if (!it->killed && now - it->started > timeLimit_) {
            ::kill(-it->pid, SIGKILL);
            it->killed = true;
        }
        ++it;
    }
}

}  // namespace kestrix::platform
