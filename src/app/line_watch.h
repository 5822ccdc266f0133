#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/serial_port.h"

namespace kestrix::app {

// Waits on the serial port instead of polling it. The event loop wakes when the device has
// input, has room for queued output, or hangs up; the line's error counters and modem lines,
// which no descriptor reports, are looked at now and then while the port is open.
//
// Input that the ticks cannot use yet (the middle of a reply whose length is known from the
// last time) is left to gather: the watch sleeps until the bytes wanted should be there, and
// wakes the ticks when they are there or when no more came. Once it knows how soon the receiver
// answers, it sleeps through a reply of known length from the start, without waking for its
// first byte. Any other input wakes the ticks at once.
class LineWatch final : public QObject {
public:
    explicit LineWatch(platform::SerialPort& port);
    ~LineWatch() override;

    // The fewest bytes a tick wants before it runs (1: any byte at once).
    std::function<std::size_t()> inputWanted;
    // Runs the ticks at once: input they want arrived, or queued output has left.
    std::function<void()> wakeTicks;

    // Follows the port after anything that may have opened, closed or written to it: watches
    // the descriptor it has now, for writing while output waits.
    void follow();

    // Times the event loop woke for the line.
    std::uint64_t wakeUps() const { return wakeUps_; }

private:
    bool serviceAndStayOnTheLine();
    void readable();
    void writable();
    void gatherDue();
    void lookAtLine();
    void judgeInput(bool quiet);
    bool awaitReply();
    void lookAtAwaitedReply();
    void learnFirstByte(double ms);
    bool inputLeftFull() const;
    std::size_t wantedNow() const;
    static double msSince(const QElapsedTimer& timer);
    double characterMs();
    double byteMs(int waiting);
    void watch(int fd);

    platform::SerialPort& port_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer gather_;                   // the next look at input left to gather
    QTimer lineEvents_;               // the next look at the line's counters and modem lines
    int gathered_ = -1;               // bytes waiting at the last look while gathering; -1: not gathering
    std::uint64_t receivedSeen_ = 0;  // the port's bytes received when last looked at
    QElapsedTimer sinceGatherStart_;
    int gatherStartCount_ = 0;
    std::uint64_t wakeUps_ = 0;
    std::uint64_t watches_ = 0;        // descriptors watched so far, the closed port's -1 among them
    bool awaiting_ = false;            // a reply of known length is awaited with the notifier off
    bool timingFirstByte_ = false;     // the first byte of an awaited reply is being timed
    QElapsedTimer sinceAwaited_;       // since the reply began to be awaited
    double firstByteMs_ = -1;          // how long its first byte is expected to take; -1: not known
    bool timeFirstByteAgain_ = false;  // a look found nothing in: a first byte is timed before sleeping
    std::string settingsSeen_;         // the port's settings characterMs_ was worked out for
    double characterMs_ = 1.0;
};

}  // namespace kestrix::app
