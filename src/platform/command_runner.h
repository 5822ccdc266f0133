#pragma once

// Running a user's command (the monitor's OnAlarm) without waiting for it: the command runs
// through the shell with variables added to its environment; one that runs too long is stopped.
// What happened to each is told through a log callback, so a failing or hanging command never
// holds up the program.

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::platform {

using Environment = std::vector<std::pair<std::string, std::string>>;

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Starts `command`; returns empty when it started, otherwise why not.
    virtual std::string start(const std::string& command, const Environment& environment) = 0;
    // Collects commands that ended and stops those past their time. Never blocks.
    virtual void service() = 0;
    virtual std::size_t running() const = 0;
};

// Commands in child processes, each in its own process group (stopping one stops what it
// started). At most `limit` run at once; a further one is refused.
class PosixCommandRunner final : public CommandRunner {
public:
    // Told of every command that ended badly or was stopped, and of one that ended well.
    std::function<void(bool failed, const std::string& text)> onEnd;

    explicit PosixCommandRunner(std::chrono::milliseconds timeLimit = std::chrono::seconds(30), std::size_t limit = 8);
    ~PosixCommandRunner() override;
    std::string start(const std::string& command, const Environment& environment) override;
    void service() override;
    std::size_t running() const override { return children_.size(); }

private:
    struct Child {
        int pid;
        std::string command;
        std::chrono::steady_clock::time_point started;
        bool killed = false;
    };
    std::string limitText() const;
    std::chrono::milliseconds timeLimit_;
    std::size_t limit_;
    std::vector<Child> children_;
};

}  // namespace kestrix::platform
