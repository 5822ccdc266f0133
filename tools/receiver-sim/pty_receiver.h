#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "receiver-sim/line_noise.h"
#include "receiver-sim/receiver_model.h"
#include "receiver-sim/sim_options.h"

namespace kestrix::sim {

// The simulated receiver on a pseudo-terminal, served on its own thread. The console opens the
// slave side (or the link to it) as it would a serial port; the receiver sits on the master side.
//
// Both ends of a pseudo-terminal share one set of terminal attributes, and those are what the
// console set: whenever data crosses, the receiver compares them with its own speed and stop bits
// and, when they differ, each side receives garbage, as on a real line. (A pseudo-terminal does
// not keep data bits and parity; they always count as agreeing.)
//
//   PtyReceiver receiver(options);
//   receiver.start();                       // or start("/tmp/x/ttyKESTRIX") for a link
//   int fd = open(receiver.devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
//
// Every member is safe to call from any thread.
class PtyReceiver {
public:
    explicit PtyReceiver(const SimOptions& options = {}, ReceiverModel::Clock clock = ReceiverModel::systemNow);
    ~PtyReceiver();
    PtyReceiver(const PtyReceiver&) = delete;
    PtyReceiver& operator=(const PtyReceiver&) = delete;

    // Opens the pseudo-terminal, makes a symbolic link to its slave at linkPath when one is
    // given (replacing an old link, never another kind of file), and starts serving. Throws
    // std::system_error when the system refuses.
    // Started again after stop(), it serves a new pseudo-terminal (at the same link, when given),
    // as a receiver whose adapter was pulled out and plugged in again.
    void start(const std::string& linkPath = {});
    // Stops serving, closes the pseudo-terminal and removes the link. Also done on destruction.
    void stop();

    // "/dev/pts/7"
    std::string slavePath() const;
    std::string linkPath() const;
    // The path a console opens: the link when there is one, else the slave.
    std::string devicePath() const;

    SimOptions options() const;
    // Takes effect at once; fault counters count from here.
    void setOptions(const SimOptions& options);

    // The firmware records in memory, in file order, and every record accepted in arrival order.
    std::vector<std::string> storedRecords() const;
    std::vector<std::string> receivedRecords() const;
    std::size_t linesReceived() const;

    // Runs f on the receiver under the server's lock, for a test to read or build any state
    // (status registers, settings) the commands reach.
    template <typename F>
    auto withModel(F&& f) {
        std::unique_lock lock(mutex_);
        struct Waker {
            PtyReceiver* self;
            ~Waker() { self->wake(); }
        } waker{this};
        return f(model_);
    }

    // Sends bytes as if the receiver had sent them, after what is already queued.
    void sendRaw(std::string bytes);
    // Closes the master end: the console's side of the line goes dead. Returns once it is closed.
    void hangUp();
    bool hungUp() const;

    // Watches the traffic: direction '<' for bytes received (as the receiver got them), '>'
    // for bytes sent (as they went out). Called on the serving thread.
    void setTrace(std::function<void(char direction, std::string_view bytes)> trace);

private:
    using SteadyTime = std::chrono::steady_clock::time_point;
    struct PendingInput {
        char byte;
        SteadyTime due;
    };
    struct PendingOutput {
        std::string bytes;
        std::size_t sent = 0;
        SteadyTime due;
        LineSettings line;
        bool hangUp = false;
    };
    struct Step {
        std::optional<SteadyTime> deadline;
        bool wantWrite = false;
    };

    void serve();
    Step step(SteadyTime now);
    void readLine(SteadyTime now);
    void queue(std::vector<Transmission> transmissions, SteadyTime now);
    void writeDue(SteadyTime now, const LineSettings& consoleLine, Step& result);
    LineSettings consoleLine() const;
    void closeLine();
    void wake();
    void trace(char direction, std::string_view bytes);

    mutable std::mutex mutex_;
    std::condition_variable lineClosed_;
    ReceiverModel model_;
    std::thread thread_;
    bool stopping_ = false;
    bool hangUpRequested_ = false;
    bool hungUp_ = false;
    int masterFd_ = -1;
    int slaveFd_ = -1;  // held open so the line stays up while no console has it open
    int wakeRead_ = -1;
    std::atomic<int> wakeWrite_{-1};
    std::string slavePath_;
    std::string linkPath_;

    std::deque<PendingInput> input_;
    SteadyTime lastInputDue_{};
    SteadyTime lastInputTaken_{};
    std::deque<PendingOutput> output_;
    SteadyTime nextCharacterAt_{};
    SteadyTime pauseUntil_{};
    LineGarbler inputGarbler_;
    LineGarbler outputGarbler_;
    std::function<void(char, std::string_view)> trace_;
};

}  // namespace kestrix::sim
