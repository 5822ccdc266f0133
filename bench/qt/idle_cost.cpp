// What Kestrix costs while it waits, and how fast it reacts, measured on the desktop assembly
// the program runs (offscreen) against the receiver simulator on a pseudo-terminal at 9600 baud,
// its characters flowing at the line's rate:
// - CPU of the whole program (the simulator's thread left out) over a stretch of each state:
//   port closed, status view polling, clock view polling, terminal view idle, and waiting to
//   reopen a line that vanished (with the time it takes to poll again once the line is back);
// - ticks run, ticks that found nothing to do, and times the user-interface thread woke, per second;
// - reaction from the last byte of a status screen reaching the port to `Term` showing it, and
//   from a click on "Send Cmd" to the command on the line;
// - CPU of the status view polling with the Trend window shown and sampling its two series
//   (time interval and EFC) every second, beside the status view alone.
//   bench_idle_cost [--seconds N] [--trend-only | --clock-only]    (60 s a stretch by default;
//   --trend-only measures the status view alone and with the trend, --clock-only the clock view)
// - beside the clock view, the floor under it: a bare loop that only writes the clock view's
//   command and reads its answer over the same line, waking once an exchange when the answer
//   should be whole, with none of the program's rules or drawing. It runs in the same process
//   beside the program with its port closed, so its figure holds the port-closed one too;
//   and under that, the same exchanges with no event loop at all (the program's loop is not run
//   meanwhile, so this figure holds nothing else).

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "link/link_engine.h"
#include "receiver-sim/pty_receiver.h"
#include "trend/trend_window.h"

namespace {

using namespace kestrix;
using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Nanoseconds on the CPU from a schedstat file, 0 when it cannot be read.
double cpuNs(const std::string& path) {
    std::ifstream in(path);
    double ns = 0;
    in >> ns;
    return ns;
}

// Voluntary context switches of the calling process's main thread: the times it went to sleep.
long sleepsOfMainThread() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::atol(line.c_str() + 24);
    return 0;
}

void serveFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

bool serveUntil(const std::function<bool()>& done, double ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(static_cast<long>(ms));
    while (!done()) {
        if (Clock::now() > end) return false;
        serveFor(10);
    }
    return true;
}

// What crossed the line, seen from the simulator's side.
struct LineLog {
    std::mutex mutex;
    std::atomic<long> simulatorThread{0};
    std::string sentTail;                // the last bytes the receiver sent
    Clock::time_point lastPromptSent{};  // when a prompt's last byte went out
    long promptsSent = 0;
    std::string receivedTail;
    Clock::time_point commandReceived{};
    std::string awaitedCommand;

    void trace(char direction, std::string_view bytes) {
        if (simulatorThread == 0) simulatorThread = static_cast<long>(::syscall(SYS_gettid));
        const auto now = Clock::now();
        std::lock_guard lock(mutex);
        std::string& tail = direction == '>' ? sentTail : receivedTail;
        tail.append(bytes);
        if (tail.size() > 256) tail.erase(0, tail.size() - 256);
        if (direction == '>' && tail.ends_with("scpi > ")) {
            lastPromptSent = now;
            ++promptsSent;
        }
        if (direction == '<' && !awaitedCommand.empty() && tail.ends_with(awaitedCommand + "\r\n"))
            commandReceived = now;
    }
};

struct Stretch {
    const char* state;
    double seconds = 0;
    double cpuPercent = 0;
    double ticksPerSecond = 0;
    double idleTicksPerSecond = 0;
    double wakeUpsPerSecond = 0;
    double windowsDrawnPerSecond = 0;
    double exchangesPerSecond = 0;  // prompts the receiver sent
};

class Bench {
public:
    std::uint64_t reopenTicks = 0;  // ticks of the timer that reopens a port that went away

    Bench(app::Desktop& desktop, LineLog& log) : desktop_(desktop), log_(log) {
        Form1& form1 = desktop.program().forms.form1;
        auto inner = form1.Timer1.onTick;
        form1.Timer1.onTick = [this, inner] {
            ++ticks_;
            inner();
        };
        auto reopen = form1.reopenTimer.onTick;
        form1.reopenTimer.onTick = [this, reopen] {
            ++reopenTicks;
            reopen();
        };
        auto afterEvent = desktop.renderer().afterEvent;
        desktop.renderer().afterEvent = [this, afterEvent] {
            noteScreenShown();
            if (afterEvent) afterEvent();
        };
    }

    // A stretch of the given state, served by Qt's event loop or by the given run of its own.
    Stretch measure(const char* state, double seconds, const std::function<void(double ms)>& run = serveFor) {
        const long simulator = log_.simulatorThread.load();
        const std::string simulatorStat = "/proc/self/task/" + std::to_string(simulator) + "/schedstat";
        const auto cpu = [&] { return processNs() - (simulator ? cpuNs(simulatorStat) : 0); };
        const double cpu0 = cpu();
        const long ticks0 = ticks_, idle0 = idleTicks(), sleeps0 = sleepsOfMainThread();
        const auto drawn0 = desktop_.renderer().windowsDrawn();
        const long prompts0 = promptsSent();
        const auto t0 = Clock::now();
        phase = state;
        run(seconds * 1000);
        phase = "between";
        const double elapsed = msBetween(t0, Clock::now()) / 1000;
        Stretch s{state, elapsed};
        s.cpuPercent = (cpu() - cpu0) / 1e9 / elapsed * 100;
        s.ticksPerSecond = (ticks_ - ticks0) / elapsed;
        s.idleTicksPerSecond = (idleTicks() - idle0) / elapsed;
        s.wakeUpsPerSecond = (sleepsOfMainThread() - sleeps0) / elapsed;
        s.windowsDrawnPerSecond = static_cast<double>(desktop_.renderer().windowsDrawn() - drawn0) / elapsed;
        s.exchangesPerSecond = static_cast<double>(promptsSent() - prompts0) / elapsed;
        return s;
    }

    std::vector<double> screenReactions;
    const char* phase = "start";

private:
    static double processNs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e9 + t.tv_nsec;
    }
    long promptsSent() const {
        std::lock_guard lock(log_.mutex);
        return log_.promptsSent;
    }
    long idleTicks() const { return static_cast<long>(desktop_.program().link().idleTicks()); }

    // A new status screen counts as shown once the state holding it has been drawn: in the
    // event that brought it, or in a later one.
    void noteScreenShown() {
        const TextBox& term = desktop_.program().forms.form1.Term;
        const std::uint64_t draws = desktop_.renderer().draws();
        const bool drawnNow = draws != drawsSeen_;
        drawsSeen_ = draws;
        if (term.revision() != termRevision_) {
            termRevision_ = term.revision();
            screenPending_ = term.text().find("Receiver Status") != std::string::npos;
        }
        if (!screenPending_ || !drawnNow) return;
        screenPending_ = false;
        const auto now = Clock::now();
        std::lock_guard lock(log_.mutex);
        if (log_.lastPromptSent == Clock::time_point{} || std::string(phase) != "status view") return;
        screenReactions.push_back(msBetween(log_.lastPromptSent, now));
        if (std::getenv("IDLE_COST_TRACE"))
            std::fprintf(stderr, "screen %.2f ms, %zu bytes, phase %s\n", screenReactions.back(),
                         desktop_.program().forms.form1.Term.text().size(), phase);
    }

    app::Desktop& desktop_;
    LineLog& log_;
    long ticks_ = 0;
    std::uint64_t termRevision_ = 0;
    bool screenPending_ = false;
    std::uint64_t drawsSeen_ = 0;  // the renderer's draws at the last event
};

constexpr std::string_view kClockCommand = ":ptim:str?\r\n";
constexpr double kCharacterMs = 10.0 / 9.6;  // ten bits at 9600 baud

// The simulator's line, raw at 9600 baud and not blocking, as the bare loops use it.
int openRawLine(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// When the bare loops look for an answer. The first exchanges are watched byte by byte, and the
// first look comes a millisecond after their median answer was whole; from then on, as the
// program's watch does, an answer whole at the look brings the next look half a character
// sooner, and one that was not moves it to when that answer was whole, at most a few characters
// later.
class AnswerTiming {
public:
    bool learnt() const { return learnt_; }
    void note(double msToWhole, std::size_t bytes, bool wholeAtFirstLook) {
        if (learnt_) {
            lookAfterMs_ = wholeAtFirstLook
                               ? std::max(0.0, lookAfterMs_ - kCharacterMs / 2)
                               : std::min(msToWhole + kMarginMs, lookAfterMs_ + kLaterStepBytes * kCharacterMs);
            return;
        }
        firstAnswersMs_.push_back(msToWhole);
        answerBytes_ = std::max(answerBytes_, bytes);
        if (firstAnswersMs_.size() < kExchangesWatched) return;
        std::sort(firstAnswersMs_.begin(), firstAnswersMs_.end());
        lookAfterMs_ = firstAnswersMs_[firstAnswersMs_.size() / 2] + kMarginMs;
        learnt_ = true;
    }
    double lookAfterMs() const { return lookAfterMs_; }
    std::size_t answerBytes() const { return answerBytes_; }

private:
    static constexpr std::size_t kExchangesWatched = 11;
    static constexpr double kMarginMs = 1;
    static constexpr double kLaterStepBytes = 4;
    bool learnt_ = false;
    std::vector<double> firstAnswersMs_;
    double lookAfterMs_ = 0;
    std::size_t answerBytes_ = 0;
};

// The clock view's input and output and nothing else, on Qt's event loop: its command written,
// one look when the answer should be whole, a look for the rest of an answer that was not.
class BareExchangeLoop {
public:
    explicit BareExchangeLoop(const std::string& device) : fd_(openRawLine(device)) {
        if (fd_ < 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        notifier_->setEnabled(false);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { take(); });
        look_.setSingleShot(true);
        look_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&look_, &QTimer::timeout, [this] { take(); });
    }
    ~BareExchangeLoop() {
        notifier_.reset();
        if (fd_ >= 0) ::close(fd_);
    }

    bool open() const { return fd_ >= 0; }
    void start() { send(); }
    void stop() {
        stopped_ = true;
        look_.stop();
        notifier_->setEnabled(false);
    }

private:
    void lookIn(double ms) { look_.start(static_cast<int>(std::ceil(ms))); }

    void send() {
        if (stopped_) return;
        answer_.clear();
        sentAt_ = Clock::now();
        if (::write(fd_, kClockCommand.data(), kClockCommand.size()) != static_cast<ssize_t>(kClockCommand.size()))
            return;
        looks_ = 0;
        if (!timing_.learnt()) notifier_->setEnabled(true);
        else lookIn(timing_.lookAfterMs());
    }

    void take() {
        ++looks_;
        char buffer[512];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            answer_.append(buffer, static_cast<std::size_t>(n));
        if (!answer_.ends_with("scpi > ")) {
            if (timing_.learnt() && answer_.size() < timing_.answerBytes())
                lookIn(static_cast<double>(timing_.answerBytes() - answer_.size()) * kCharacterMs);
            else notifier_->setEnabled(true);
            return;
        }
        notifier_->setEnabled(false);
        timing_.note(msBetween(sentAt_, Clock::now()), answer_.size(), looks_ == 1);
        send();
    }

    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer look_;
    std::string answer_;
    Clock::time_point sentAt_;
    AnswerTiming timing_;
    int looks_ = 0;  // at the answer of this exchange
    bool stopped_ = false;
};

// The same exchanges with no event loop at all, as a terminal program would run them: the command
// written, one sleep until the answer should be whole (as AnswerTiming tells), one read, and a
// short sleep for the rest of an answer that was not.
void plainExchanges(const std::string& device, double ms) {
    const int fd = openRawLine(device);
    if (fd < 0) return;
    const auto sleepMs = [](double wait) {
        const auto ns = static_cast<long>(wait * 1e6);
        const timespec span{ns / 1'000'000'000, ns % 1'000'000'000};
        ::nanosleep(&span, nullptr);
    };
    AnswerTiming timing;
    const auto end = Clock::now() + std::chrono::milliseconds(static_cast<long>(ms));
    while (Clock::now() < end) {
        const auto sent = Clock::now();
        if (::write(fd, kClockCommand.data(), kClockCommand.size()) != static_cast<ssize_t>(kClockCommand.size()))
            break;
        const bool learning = !timing.learnt();
        if (!learning) sleepMs(timing.lookAfterMs());
        std::string answer;
        char buffer[512];
        int looks = 0;
        while (!answer.ends_with("scpi > ") && Clock::now() < end) {
            ++looks;
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                answer.append(buffer, static_cast<std::size_t>(n));
            if (answer.ends_with("scpi > ")) break;
            if (learning || answer.size() >= timing.answerBytes()) {
                pollfd readable{fd, POLLIN, 0};
                ::poll(&readable, 1, 100);
            } else {
                sleepMs(static_cast<double>(timing.answerBytes() - answer.size()) * kCharacterMs);
            }
        }
        timing.note(msBetween(sent, Clock::now()), answer.size(), looks == 1);
    }
    ::close(fd);
}

std::string summary(std::vector<double> values) {
    if (values.empty()) return "no samples";
    std::sort(values.begin(), values.end());
    char text[160];
    std::snprintf(text, sizeof text, "median %.2f ms, 90th percentile %.2f ms, max %.2f ms over %zu",
                  values[values.size() / 2], values[values.size() * 9 / 10], values.back(), values.size());
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60;
    bool trendOnly = false;
    bool clockOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--seconds" && i + 1 < argc) seconds = std::atof(argv[i + 1]);
        if (std::string(argv[i]) == "--trend-only") trendOnly = true;
        if (std::string(argv[i]) == "--clock-only") clockOnly = true;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    // A settings file of its own whose COM1 is the simulator's line.
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("kestrix-idle-cost-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work / "config" / "kestrix");
    LineLog log;
    sim::SimOptions options;
    options.emulateLineSpeed = true;
    sim::PtyReceiver receiver(options);
    receiver.setTrace([&log](char direction, std::string_view bytes) { log.trace(direction, bytes); });
    receiver.start((work / "ttyKESTRIX").string());
    std::ofstream(work / "config" / "kestrix" / "Receiver.INI")
        << "[Ports]\r\nCom1=" << receiver.devicePath() << "\r\n";
    qputenv("XDG_CONFIG_HOME", (work / "config").string().c_str());

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int status = 0;
    {
        app::Desktop desktop;
        if (!desktop.start()) return 1;
        Bench bench(desktop, log);
        Kestrix& program = desktop.program();
        Forms& forms = program.forms;
        app::Renderer& renderer = desktop.renderer();
        std::vector<Stretch> stretches;
        double trendSamplesPerSecond = 0;
        std::size_t trendSeries = 0;

        serveFor(1000);
        if (!trendOnly && !clockOnly) stretches.push_back(bench.measure("port closed", seconds));

        renderer.forward([&] { forms.form1.MOpen.onClick(); });
        const bool up =
            serveUntil([&] { return forms.form1.Term.text().find("Receiver Status") != std::string::npos; }, 30000);
        if (!up) {
            std::fprintf(stderr, "the link did not come up: %s\n", forms.form1.Label1.caption.c_str());
            status = 1;
        } else if (!clockOnly) {
            serveFor(3000);  // a screen or two, so that its length is known
            stretches.push_back(bench.measure("status view", seconds));

            // The Trend window shown, sampling time interval and EFC every second between polls.
            TrendWindow& trend = program.trend();
            renderer.forward([&] { forms.form1.funcTrend.onClick(); });
            renderer.forward([&] { forms.frmTrend.mnuTrendTint.onClick(); });
            renderer.forward([&] { forms.frmTrend.mnuTrendEfc.onClick(); });
            renderer.forward([&] { forms.frmTrend.mnuInterval1s.onClick(); });
            serveFor(3000);
            const auto samples = [&] {
                std::size_t n = 0;
                for (const auto& series : trend.series()) n += series->ring.size();
                return n;
            };
            const std::size_t samples0 = samples();
            stretches.push_back(bench.measure("status + trend 1 s", seconds));
            trendSamplesPerSecond = static_cast<double>(samples() - samples0) / stretches.back().seconds;
            trendSeries = trend.series().size();
            renderer.forward([&] { forms.frmTrend.mnuTrendPause.onClick(); });
            renderer.forward([&] { forms.frmTrend.mnuTrendClose.onClick(); });
            serveFor(1000);
        }
        if (up && clockOnly) {
            renderer.forward([&] { forms.form1.funcClock.onClick(); });
            serveFor(2000);
            stretches.push_back(bench.measure("clock view", seconds));
        }
        if (up && !trendOnly && !clockOnly) {
            // Send Cmd with the view polls stopped, so that the link is idle when it is clicked.
            renderer.forward([&] { forms.form1.disableUpdates.onClick(); });
            serveUntil([&] { return forms.form1.Label1.caption == "Idle"; }, 10000);
            std::vector<double> sendReactions;
            for (int i = 0; i < 20; ++i) {
                serveFor(150);
                {
                    std::lock_guard lock(log.mutex);
                    log.awaitedCommand = ":ptim:time?";
                    log.commandReceived = {};
                }
                forms.frmShowLog.cmbSendSCPI.text = ":ptim:time?";
                const auto clicked = Clock::now();
                renderer.forward([&] { forms.frmShowLog.cmdSendSCPI.onClick(); });
                serveUntil(
                    [&] {
                        std::lock_guard lock(log.mutex);
                        return log.commandReceived != Clock::time_point{};
                    },
                    5000);
                std::lock_guard lock(log.mutex);
                if (log.commandReceived != Clock::time_point{})
                    sendReactions.push_back(msBetween(clicked, log.commandReceived));
            }
            serveUntil([&] { return forms.frmShowLog.cmdSendSCPI.enabled; }, 5000);
            renderer.forward([&] { forms.form1.disableUpdates.onClick(); });

            renderer.forward([&] { forms.form1.funcClock.onClick(); });
            serveFor(2000);
            stretches.push_back(bench.measure("clock view", seconds));

            renderer.forward([&] { forms.form1.funcTermEmul.onClick(); });
            serveFor(4000);
            stretches.push_back(bench.measure("terminal view idle", seconds));

            std::printf("Reaction, last byte of a status screen to Term showing it: %s\n",
                        summary(bench.screenReactions).c_str());
            std::printf("Reaction, click on \"Send Cmd\" to the command on the line: %s\n",
                        summary(sendReactions).c_str());

            // The line vanishes (the pseudo-terminal closed, its link removed): the program waits
            // to reopen it. Then a new one appears at the same path.
            renderer.forward([&] { forms.form1.funcStatus.onClick(); });
            serveFor(2000);
            const std::string linkPath = receiver.devicePath();
            receiver.hangUp();
            receiver.stop();
            serveUntil([&] { return program.link().waitingToReopen(); }, 5000);
            serveFor(2000);  // past the first quick tries
            const std::uint64_t tries0 = bench.reopenTicks;
            stretches.push_back(bench.measure("waiting to reopen", seconds));
            const double triesPerMinute =
                static_cast<double>(bench.reopenTicks - tries0) * 60.0 / stretches.back().seconds;
            receiver.start(linkPath);
            const auto back = Clock::now();
            const bool reopened = serveUntil([&] { return desktop.serial().portOpen(); }, 30000);
            const double reopenedMs = msBetween(back, Clock::now());
            const std::uint64_t screens = forms.form1.Term.revision();
            const bool polling = reopened && serveUntil([&] { return forms.form1.Term.revision() != screens; }, 30000);
            std::printf(
                "Waiting to reopen: %.1f reopen ticks a minute; reopened %.1f s and a status screen shown "
                "%.1f s after the line came back%s\n",
                triesPerMinute, reopenedMs / 1000.0, msBetween(back, Clock::now()) / 1000.0,
                polling ? "" : " (it was not)");
        }
        if (up) {
            // The program's port closed, the bare loop on the same line.
            renderer.forward([&] { forms.form1.MOpen.onClick(); });
            serveFor(1000);
            BareExchangeLoop bare(receiver.devicePath());
            if (bare.open()) {
                bare.start();
                serveFor(2000);
                stretches.push_back(bench.measure("bare exchanges", seconds));
                bare.stop();
            }
            serveFor(1000);
            stretches.push_back(bench.measure("plain exchanges", seconds,
                                              [&](double ms) { plainExchanges(receiver.devicePath(), ms); }));
        }
        if (trendSeries > 0)
            std::printf("Trend: %zu series, %.2f samples a second in all\n", trendSeries, trendSamplesPerSecond);
        std::printf("%-20s %8s %12s %12s %12s %12s %12s\n", "state", "CPU %", "ticks/s", "idle/s", "wake-ups/s",
                    "windows/s", "exchanges/s");
        for (const Stretch& s : stretches)
            std::printf("%-20s %8.3f %12.1f %12.1f %12.1f %12.1f %12.1f\n", s.state, s.cpuPercent, s.ticksPerSecond,
                        s.idleTicksPerSecond, s.wakeUpsPerSecond, s.windowsDrawnPerSecond, s.exchangesPerSecond);
        std::fflush(stdout);
        renderer.forward([&] { program.exitNow(); });
    }
    receiver.stop();
    std::filesystem::remove_all(work);
    return status;
}
