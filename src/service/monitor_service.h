#pragma once

// kestrix-monitor's running part: every receiver of the configuration on its own link, one event
// loop waiting on their ports, the OnAlarm command, and the readings handed to the metrics
// endpoint after every turn of the loop.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/monitor_config.h"
#include "monitor/monitor_log.h"
#include "monitor/receiver_readings.h"
#include "platform/command_runner.h"
#include "platform/headless_services.h"
#include "program/monitored_receiver.h"

namespace kestrix::service {

// The readings as the loop last changed them, for the endpoint's threads. They are shared, never
// changed once published: a scrape takes them with the lock held only to copy a pointer, and the
// loop publishes new ones beside them.
class ReadingsBoard {
public:
    using Readings = std::vector<monitor::ReceiverReadings>;
    void publish(std::shared_ptr<const Readings> readings);
    std::shared_ptr<const Readings> read() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<const Readings> readings_ = std::make_shared<const Readings>();
};

class MonitorService {
public:
    // The longest the loop sleeps, so that OnAlarm's commands are looked after.
    static constexpr int kLongestWaitMs = 500;
    // How often every port is looked at though its descriptor said nothing: the modem lines of a
    // serial port change without waking poll(). Between those looks a port is serviced only when
    // its descriptor or its receiver's tick asks, so that a turn brought by one line's character
    // costs no system call on the others.
    static constexpr double kLineLookSeconds = 0.25;

    MonitorService(monitor::MonitorConfig config, monitor::Log log, ReadingsBoard& board);
    ~MonitorService();

    // Makes every receiver's port; false (with the reasons logged) when an address is refused.
    bool build();
    // Runs until `stop` is set or a signal fd becomes readable.
    void run(const std::atomic<bool>& stop, int wakeFd = -1);
    // One turn: waits at most `maxWaitMs` for a port or a due time, then serves every receiver.
    void turn(int maxWaitMs);

    std::vector<std::unique_ptr<MonitoredReceiver>>& receivers() { return receivers_; }

private:
    void alarmChanged(const std::string& name, const monitor::AlarmState& state);
    // Hands the readings to the board when a receiver's changed since they were last handed.
    void publish();

    monitor::MonitorConfig config_;
    monitor::Log log_;
    ReadingsBoard& board_;
    platform::HeadlessServices services_;
    platform::PosixCommandRunner runner_;
    std::vector<std::unique_ptr<MonitoredReceiver>> receivers_;
    std::shared_ptr<const ReadingsBoard::Readings> published_;
    double nextLineLookAt_ = 0;
    int wakeFd_ = -1;
};

}  // namespace kestrix::service
