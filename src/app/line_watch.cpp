#include "app/line_watch.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "platform/serial_settings.h"

namespace kestrix::app {

namespace {
// How often the counters and modem lines are looked at while the port is open; a device that
// reports neither is still looked at now and then, for a hang-up while no input is awaited.
constexpr int kLineEventsMs = 250;
constexpr int kNoLineEventsMs = 1000;
// The longest sleep while input gathers, so that a reply shorter than the last one is noticed.
constexpr double kLongestGatherMs = 100;
// The look for the last byte wanted comes this long after the byte is due.
constexpr double kArrivalMarginMs = 1;
// An end of input further off than this is looked at so many characters early.
constexpr double kNearEndMs = 8;
constexpr double kEarlyBytes = 4;
// A reply at least this long has its last kTailBytes watched one by one.
constexpr std::size_t kLongReply = 256;
constexpr std::size_t kTailBytes = 4;
// Input gathers in the device's buffer at most this much, far below what it holds.
constexpr double kGatherBytes = 2048;
// An answer later than the last ones moves the look for the next at most so many characters
// later: one late answer (a receiver or a machine busy for a moment) says little of the next.
constexpr double kLaterStepBytes = 4;
// So many bytes gathered tell how fast the line brings them.
constexpr int kRateSampleBytes = 8;
// Input of no known length is looked at this often until the line goes quiet.
constexpr double kUnknownGatherMs = 20;
constexpr std::size_t kUnknownLength = std::numeric_limits<std::size_t>::max();
}  // namespace

LineWatch::LineWatch(platform::SerialPort& port) : port_(port) {
    gather_.setSingleShot(true);
    gather_.setTimerType(Qt::PreciseTimer);
    connect(&gather_, &QTimer::timeout, this, [this] { gatherDue(); });
    connect(&lineEvents_, &QTimer::timeout, this, [this] { lookAtLine(); });
}

LineWatch::~LineWatch() = default;

void LineWatch::follow() {
    const int fd = port_.portOpen() ? port_.fileDescriptor() : -1;
    if (fd != fd_) watch(fd);
    if (fd_ < 0) return;
    writeNotifier_->setEnabled(port_.outputWaiting());
    const int waiting = port_.inBufferCount();
    if (gathered_ >= 0) {
        // Input the ticks took leaves nothing to gather: wait for the next byte.
        if (waiting == 0) judgeInput(false);
        return;
    }
    if (inputLeftFull()) {
        readNotifier_->setEnabled(false);
        return;
    }
    if (waiting == 0 && awaitReply()) return;
    readNotifier_->setEnabled(true);
    // Bytes read in while looking arrived without the notifier's word, so they wake the ticks
    // here; input a tick left alone does not wake it again.
    if (waiting > 0 && port_.bytesReceived() != receivedSeen_) judgeInput(false);
    receivedSeen_ = port_.bytesReceived();
}

namespace {
// A notifier may be retired from inside its own signal (the device went away while read): it is
// deleted once that has returned.
void retire(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier) return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}
}  // namespace

void LineWatch::watch(int fd) {
    ++watches_;
    retire(readNotifier_);
    retire(writeNotifier_);
    gather_.stop();
    gathered_ = -1;
    receivedSeen_ = port_.bytesReceived();
    awaiting_ = timingFirstByte_ = timeFirstByteAgain_ = false;
    firstByteMs_ = -1;
    fd_ = fd;
    if (fd_ < 0) {
        lineEvents_.stop();
        return;
    }
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, [this] { readable(); });
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, [this] { writable(); });
    lineEvents_.start(port_.reportsLineEvents() ? kLineEventsMs : kNoLineEventsMs);
}

void LineWatch::readable() {
    ++wakeUps_;
    if (!serviceAndStayOnTheLine()) return;
    if (std::exchange(timingFirstByte_, false)) learnFirstByte(msSince(sinceAwaited_));
    if (inputLeftFull()) {
        readNotifier_->setEnabled(false);
        return;
    }
    judgeInput(false);
}

void LineWatch::writable() {
    ++wakeUps_;
    if (!serviceAndStayOnTheLine()) return;
    if (!port_.outputWaiting()) {
        follow();
        if (wakeTicks) wakeTicks();
    }
}

void LineWatch::gatherDue() {
    ++wakeUps_;
    if (!serviceAndStayOnTheLine()) return;
    if (std::exchange(awaiting_, false)) lookAtAwaitedReply();
    else judgeInput(port_.inBufferCount() == gathered_);
}

// Moves the line's bytes and events, from inside a notifier's or timer's signal. The events are
// handled there and then, and may close the port (the device went away) or open it again (a
// dialog among them): the notifiers of the old descriptor are retired, to be deleted once the
// signal has returned, and the look ends without touching them. False when it so ended; the
// ticks are woken for the line as it now stands.
bool LineWatch::serviceAndStayOnTheLine() {
    const std::uint64_t watching = watches_;
    port_.service();
    if (watches_ == watching && port_.fileDescriptor() == fd_) return true;
    if (watches_ == watching) follow();  // nothing followed the port yet
    if (wakeTicks) wakeTicks();
    return false;
}

// A reply of known length is awaited and nothing of it is in yet. Once it is known how long its
// first byte takes to come, the watch sleeps until all of it should be in, rather than waking
// for its first byte and again for its end; until then it times the first byte.
// True while it so sleeps.
bool LineWatch::awaitReply() {
    const std::size_t wanted = wantedNow();
    if (wanted <= 1 || wanted == kUnknownLength) {
        awaiting_ = timingFirstByte_ = false;
        gather_.stop();
        return false;
    }
    if (awaiting_) return true;
    if (!timingFirstByte_) {
        sinceAwaited_.start();
        timingFirstByte_ = true;
    }
    if (firstByteMs_ < 0 || timeFirstByteAgain_) return false;
    timingFirstByte_ = false;
    awaiting_ = true;
    readNotifier_->setEnabled(false);
    const double until = firstByteMs_ + static_cast<double>(wanted) * characterMs() + kArrivalMarginMs;
    gather_.start(static_cast<int>(std::ceil(std::clamp(until, kArrivalMarginMs, kLongestGatherMs))));
    return true;
}

// The look at an awaited reply: all of it in (the next one is looked at a little sooner, to
// follow a receiver that answers faster), part of it (its first byte came as long before as its
// length tells), or none (the first byte is waited for again, and timed).
void LineWatch::lookAtAwaitedReply() {
    const int waiting = port_.inBufferCount();
    const double elapsed = msSince(sinceAwaited_);
    const double perByte = characterMs();
    if (waiting <= 0) {
        timeFirstByteAgain_ = timingFirstByte_ = true;
    } else if (static_cast<std::size_t>(waiting) >= wantedNow()) {
        firstByteMs_ = std::max(0.0, firstByteMs_ - perByte / 2);
    } else {
        learnFirstByte(elapsed - static_cast<double>(waiting) * perByte);
    }
    gathered_ = -1;
    judgeInput(false);
}

// How long the first byte of an answer took: the first time as it is, later ones no more than a
// few characters later than expected, so that the replies after a late one are not each waited
// for as long.
void LineWatch::learnFirstByte(double ms) {
    const double latest = firstByteMs_ < 0 ? ms : firstByteMs_ + kLaterStepBytes * characterMs();
    firstByteMs_ = std::clamp(ms, 0.0, std::max(0.0, latest));
    timeFirstByteAgain_ = false;
}

// Nothing more can be taken in and nothing new came since the last look: the input buffer is
// full and no tick takes from it (demo mode leaves the line alone), so it is not listened to.
bool LineWatch::inputLeftFull() const { return port_.inputFull() && port_.bytesReceived() == receivedSeen_; }

std::size_t LineWatch::wantedNow() const { return inputWanted ? std::max<std::size_t>(1, inputWanted()) : 1; }

double LineWatch::msSince(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

void LineWatch::lookAtLine() {
    ++wakeUps_;
    port_.service();
    follow();
}

// Wakes the ticks for the input waiting, or lets it gather and sets the next look.
void LineWatch::judgeInput(bool quiet) {
    if (fd_ < 0) return;  // the port closed meanwhile: nothing to judge, nothing to listen to
    const int waiting = port_.inBufferCount();
    receivedSeen_ = port_.bytesReceived();
    const std::size_t wanted = wantedNow();
    if (waiting <= 0) {
        gathered_ = -1;
        gather_.stop();
        readNotifier_->setEnabled(true);
        return;
    }
    if (quiet || static_cast<std::size_t>(waiting) >= wanted) {
        gathered_ = -1;
        gather_.stop();
        timingFirstByte_ = false;
        // What to listen for next is set once the ticks have taken the input, so that the
        // notifier is not turned on for the moment between a reply and the next command.
        if (wakeTicks) wakeTicks();
        follow();
        return;
    }
    if (gathered_ < 0) {
        sinceGatherStart_.start();
        gatherStartCount_ = waiting;
    }
    gathered_ = waiting;
    const double perByte = byteMs(waiting);
    if (wanted == kUnknownLength) {
        // Nothing tells where the input ends: it ends when the line goes quiet.
        readNotifier_->setEnabled(false);
        gather_.start(static_cast<int>(std::min(kUnknownGatherMs, kGatherBytes * perByte)));
        return;
    }
    const std::size_t missing = wanted - static_cast<std::size_t>(waiting);
    const double untilEnd = static_cast<double>(missing) * perByte;
    // The last characters of a long reply (a status screen) each wake the watch, so that it is
    // taken the moment it is all in; the timer notices a line gone quiet.
    const bool longReply = wanted >= kLongReply;
    if (longReply && missing <= kTailBytes) {
        readNotifier_->setEnabled(true);
        gather_.start(static_cast<int>(std::ceil(untilEnd + kArrivalMarginMs)));
        return;
    }
    // Otherwise the watch sleeps: for a long reply until its last characters could be there at
    // the line's full speed (a receiver that sends in bursts ends faster than its average), for a
    // short one until it should be in, a far end looked at a few characters early so that a
    // small error in the line's rate does not make the last look late.
    readNotifier_->setEnabled(false);
    const double longest = std::min(kLongestGatherMs, kGatherBytes * perByte);
    double until = untilEnd + kArrivalMarginMs;
    if (longReply) until = static_cast<double>(missing - kTailBytes) * characterMs();
    else if (untilEnd > kNearEndMs) until = untilEnd - kEarlyBytes * perByte;
    gather_.start(static_cast<int>(std::ceil(std::clamp(until, kArrivalMarginMs, longest))));
}

// Milliseconds between bytes: as many as the line has taken since the input began to gather, and
// never fewer than its speed allows.
double LineWatch::byteMs(int waiting) {
    const double nominal = characterMs();
    const int arrived = waiting - gatherStartCount_;
    if (arrived < kRateSampleBytes || !sinceGatherStart_.isValid()) return nominal;
    return std::max(nominal, static_cast<double>(sinceGatherStart_.elapsed()) / arrived);
}

// Milliseconds one character takes on the line at the port's speed and framing.
double LineWatch::characterMs() {
    std::string settings = port_.settings();
    if (settings == settingsSeen_) return characterMs_;
    try {
        const platform::SerialSettings line = platform::parseSerialSettings(settings);
        const int bits = 1 + line.dataBits + (line.parity == 'n' ? 0 : 1) + line.stopBits;
        characterMs_ = 1000.0 * bits / std::max(1, line.baud);
    } catch (const std::exception&) {
        characterMs_ = 1.0;
    }
    settingsSeen_ = std::move(settings);
    return characterMs_;
}

}  // namespace kestrix::app
