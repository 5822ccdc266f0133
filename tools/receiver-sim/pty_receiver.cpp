#include "receiver-sim/pty_receiver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace kestrix::sim {

namespace {

// A line end with nothing after it for this long is a bare CR.
constexpr auto kSettleTime = std::chrono::milliseconds{20};

[[noreturn]] void fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::chrono::nanoseconds characterTime(const LineSettings& line) {
    const double cps = line.baud > 0 ? line.charactersPerSecond() : 1e9;
    return std::chrono::nanoseconds{static_cast<long long>(std::llround(1e9 / cps))};
}

void earliest(std::optional<std::chrono::steady_clock::time_point>& deadline, std::chrono::steady_clock::time_point t) {
    if (!deadline || t < *deadline) deadline = t;
}

}  // namespace

PtyReceiver::PtyReceiver(const SimOptions& options, ReceiverModel::Clock clock) : model_(options, std::move(clock)) {}

PtyReceiver::~PtyReceiver() { stop(); }

void PtyReceiver::start(const std::string& linkPath) {
    std::unique_lock lock(mutex_);
    if (thread_.joinable()) return;
    masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd_ < 0) fail("posix_openpt");
    if (::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0) fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(masterFd_, name, sizeof name) != 0) fail("ptsname_r");
    slavePath_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveFd_ < 0) fail("open " + slavePath_);
    termios attributes{};
    if (::tcgetattr(slaveFd_, &attributes) != 0) fail("tcgetattr");
    ::cfmakeraw(&attributes);
    attributes.c_cflag |= CLOCAL | CREAD;
    applyLineSettings(attributes, model_.line());
    if (::tcsetattr(slaveFd_, TCSANOW, &attributes) != 0) fail("tcsetattr");
    if (::fcntl(masterFd_, F_SETFL, ::fcntl(masterFd_, F_GETFL) | O_NONBLOCK) != 0) fail("fcntl");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) fail("pipe2");
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    if (!linkPath.empty()) {
        struct stat existing {};
        if (::lstat(linkPath.c_str(), &existing) == 0) {
            if (!S_ISLNK(existing.st_mode)) {
                errno = EEXIST;
                fail(linkPath + " exists and is not a link");
            }
            ::unlink(linkPath.c_str());
        }
        if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) fail("symlink " + linkPath);
        linkPath_ = linkPath;
    }
    stopping_ = false;
    hungUp_ = false;  // started again after a hang-up: a new line
    input_.clear();
    output_.clear();
    thread_ = std::thread([this] { serve(); });
}

void PtyReceiver::stop() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable()) thread_.join();
    std::unique_lock lock(mutex_);
    closeFd(masterFd_);
    closeFd(slaveFd_);
    closeFd(wakeRead_);
    if (const int fd = wakeWrite_.exchange(-1); fd >= 0) ::close(fd);
    if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

std::string PtyReceiver::slavePath() const {
    std::unique_lock lock(mutex_);
    return slavePath_;
}

std::string PtyReceiver::linkPath() const {
    std::unique_lock lock(mutex_);
    return linkPath_;
}

std::string PtyReceiver::devicePath() const {
    std::unique_lock lock(mutex_);
    return linkPath_.empty() ? slavePath_ : linkPath_;
}

SimOptions PtyReceiver::options() const {
    std::unique_lock lock(mutex_);
    return model_.options();
}

void PtyReceiver::setOptions(const SimOptions& options) {
    {
        std::unique_lock lock(mutex_);
        model_.setOptions(options);
    }
    wake();
}

std::vector<std::string> PtyReceiver::storedRecords() const {
    std::unique_lock lock(mutex_);
    return model_.flash().storedRecords();
}

std::vector<std::string> PtyReceiver::receivedRecords() const {
    std::unique_lock lock(mutex_);
    return model_.flash().receivedRecords();
}

std::size_t PtyReceiver::linesReceived() const {
    std::unique_lock lock(mutex_);
    return model_.linesReceived();
}

void PtyReceiver::sendRaw(std::string bytes) {
    {
        std::unique_lock lock(mutex_);
        queue({Transmission{std::move(bytes), {}, model_.line(), false}}, std::chrono::steady_clock::now());
    }
    wake();
}

void PtyReceiver::hangUp() {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) {
        closeLine();
        return;
    }
    hangUpRequested_ = true;
    lock.unlock();
    wake();
    lock.lock();
    lineClosed_.wait(lock, [this] { return hungUp_ || stopping_; });
}

bool PtyReceiver::hungUp() const {
    std::unique_lock lock(mutex_);
    return hungUp_;
}

void PtyReceiver::setTrace(std::function<void(char, std::string_view)> trace) {
    std::unique_lock lock(mutex_);
    trace_ = std::move(trace);
}

void PtyReceiver::wake() {
    const int fd = wakeWrite_.load();
    if (fd < 0) return;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
}

void PtyReceiver::serve() {
    while (true) {
        Step next;
        int master = -1;
        int wakeRead = -1;
        {
            std::unique_lock lock(mutex_);
            if (stopping_) return;
            if (hangUpRequested_) closeLine();
            next = step(std::chrono::steady_clock::now());
            master = masterFd_;
            wakeRead = wakeRead_;
        }
        pollfd fds[2] = {{wakeRead, POLLIN, 0},
                         {master, static_cast<short>(POLLIN | (next.wantWrite ? POLLOUT : 0)), 0}};
        int timeout = -1;
        if (next.deadline) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(*next.deadline - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::clamp<long long>(wait.count(), 0, 60000));
        }
        const int ready = ::poll(fds, master >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) return;
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {}
        }
        if (ready > 0 && master >= 0 && (fds[1].revents & POLLIN)) {
            std::unique_lock lock(mutex_);
            readLine(std::chrono::steady_clock::now());
        }
    }
}

PtyReceiver::Step PtyReceiver::step(SteadyTime now) {
    Step result;
    if (masterFd_ < 0) return result;
    std::string arrived;
    while (!input_.empty() && input_.front().due <= now) {
        arrived += input_.front().byte;
        input_.pop_front();
    }
    if (!arrived.empty()) {
        lastInputTaken_ = now;
        queue(model_.receive(arrived), now);
    }
    if (!input_.empty()) earliest(result.deadline, input_.front().due);
    if (input_.empty() && model_.lineEndPending()) {
        if (now - lastInputTaken_ >= kSettleTime) queue(model_.settle(), now);
        else earliest(result.deadline, lastInputTaken_ + kSettleTime);
    }
    writeDue(now, consoleLine(), result);
    return result;
}

void PtyReceiver::readLine(SteadyTime now) {
    if (masterFd_ < 0) return;
    char buffer[4096];
    const auto count = ::read(masterFd_, buffer, sizeof buffer);
    if (count <= 0) return;
    const LineSettings console = consoleLine();
    const std::string received =
        inputGarbler_.garble(std::string_view(buffer, static_cast<std::size_t>(count)), console, model_.line());
    trace('<', received);
    const bool paced = model_.options().emulateLineSpeed;
    const auto perCharacter = characterTime(console);
    for (char c : received) {
        SteadyTime due = now;
        if (paced) {
            due = std::max(now, lastInputDue_) + perCharacter;
            lastInputDue_ = due;
        }
        input_.push_back({c, due});
    }
}

void PtyReceiver::queue(std::vector<Transmission> transmissions, SteadyTime now) {
    for (auto& t : transmissions) output_.push_back({std::move(t.bytes), 0, now + t.delay, t.line, t.hangUp});
}

void PtyReceiver::writeDue(SteadyTime now, const LineSettings& console, Step& result) {
    const SimOptions options = model_.options();
    while (!output_.empty() && masterFd_ >= 0) {
        PendingOutput& head = output_.front();
        if (head.hangUp) {
            closeLine();
            return;
        }
        const SteadyTime allowedAt = std::max(head.due, pauseUntil_);
        if (now < allowedAt) {
            earliest(result.deadline, allowedAt);
            return;
        }
        std::size_t count = head.bytes.size() - head.sent;
        if (options.chunkSize > 0) count = std::min(count, static_cast<std::size_t>(options.chunkSize));
        const auto perCharacter = characterTime(head.line);
        if (options.emulateLineSpeed) {
            if (nextCharacterAt_ + perCharacter < now) nextCharacterAt_ = now;
            if (nextCharacterAt_ > now) {
                earliest(result.deadline, nextCharacterAt_);
                return;
            }
            const auto onTime = static_cast<std::size_t>((now - nextCharacterAt_) / perCharacter) + 1;
            count = std::min(count, onTime);
        }
        if (count == 0) {
            output_.pop_front();
            continue;
        }
        const std::string bytes =
            outputGarbler_.garble(std::string_view(head.bytes).substr(head.sent, count), head.line, console);
        const auto written = ::write(masterFd_, bytes.data(), bytes.size());
        if (written <= 0) {
            result.wantWrite = true;
            return;
        }
        trace('>', std::string_view(bytes).substr(0, static_cast<std::size_t>(written)));
        head.sent += static_cast<std::size_t>(written);
        if (options.emulateLineSpeed) nextCharacterAt_ += perCharacter * written;
        if (options.chunkSize > 0) pauseUntil_ = now + options.chunkPause;
        if (head.sent == head.bytes.size()) output_.pop_front();
    }
}

// A pseudo-terminal keeps the speed and stop bits the console sets but always reads as 8 data
// bits without parity, so those two are taken to agree with the receiver's.
LineSettings PtyReceiver::consoleLine() const {
    const LineSettings receiver = model_.line();
    termios attributes{};
    if (slaveFd_ < 0 || ::tcgetattr(slaveFd_, &attributes) != 0) return receiver;
    LineSettings console = lineSettingsOf(attributes);
    console.dataBits = receiver.dataBits;
    console.parity = receiver.parity;
    return console;
}

void PtyReceiver::closeLine() {
    hangUpRequested_ = false;
    closeFd(masterFd_);
    closeFd(slaveFd_);
    input_.clear();
    output_.clear();
    hungUp_ = true;
    lineClosed_.notify_all();
}

void PtyReceiver::trace(char direction, std::string_view bytes) {
    if (trace_ && !bytes.empty()) trace_(direction, bytes);
}

}  // namespace kestrix::sim
