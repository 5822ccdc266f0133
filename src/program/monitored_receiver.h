#pragma once

// One receiver of the monitor: the console's own link engine on the receiver's port, with no
// window shown, given the monitor's queries instead of a view to poll. The service's loop opens the
// port (again, after it went away), services it and ticks the link when it asks to be ticked.

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "monitor/monitor_config.h"
#include "monitor/monitor_log.h"
#include "monitor/receiver_readings.h"
#include "monitor/receiver_requests.h"
#include "platform/headless_services.h"
#include "platform/platform.h"
#include "platform/serial_port.h"
#include "state/context.h"
#include "trend/record.h"

namespace kestrix {

class LinkEngine;
struct Forms;

class MonitoredReceiver {
public:
    // Seconds between attempts to open a port that is missing or went away.
    static constexpr double kReopenSeconds = 5;
    // Past this, a text of a window nobody sees is emptied, so a long run stays bounded.
    static constexpr std::size_t kUnseenTextLimit = std::size_t{16} * 1024;

    MonitoredReceiver(const monitor::ReceiverConfig& config, const monitor::MonitorConfig& monitor,
                      std::unique_ptr<platform::SerialPort> port, platform::HeadlessServices& services,
                      monitor::Log log);
    ~MonitoredReceiver();
    MonitoredReceiver(const MonitoredReceiver&) = delete;
    MonitoredReceiver& operator=(const MonitoredReceiver&) = delete;

    // The alarm state changed (after a status round): the receiver's name and its new state.
    std::function<void(const std::string& name, const monitor::AlarmState& state)> onAlarmChange;

    // Opens the port when it is closed and its next attempt is due.
    void openIfDue(double utcNow);
    // Moves the port's bytes; notices a port that went away.
    void service();
    // One tick of the link, then what it changed.
    void tick();
    // When the next tick is needed (UTC seconds); infinity when only input can give it work.
    double nextTickAt() const { return nextTickAt_; }
    // When the port should next be tried; infinity while it is open.
    double nextOpenAt() const;

    platform::SerialPort& port() { return *port_; }
    const monitor::ReceiverReadings& readings() const { return readings_; }
    LinkEngine& link() { return *link_; }
    Forms& forms() { return *forms_; }

private:
    void exchangeEnded(bool answered, bool errorPrompt);
    void afterTick();
    void noticeLoss();
    void statusRoundEnded();
    void record(const std::string& query, double time, double value, const std::string& reply);
    void trimUnseenTexts();
    void logFor(monitor::Level level, const std::string& text);

    const monitor::ReceiverConfig& config_;
    const monitor::MonitorConfig& monitor_;
    monitor::Log log_;
    std::unique_ptr<platform::SerialPort> port_;
    platform::HeadlessServices& services_;
    std::unique_ptr<Forms> forms_;  // every window, none of them shown
    LinkState state_;
    platform::Platform platform_;
    Context context_;
    std::unique_ptr<LinkEngine> link_;
    monitor::ReceiverReadings readings_;
    monitor::ReceiverRequests requests_;
    monitor::AlarmState reportedAlarm_;
    std::map<std::string, std::unique_ptr<RecordWriter>> records_;
    bool recordFailed_ = false;

    bool lastAnswered_ = false;
    bool wasOpen_ = false;
    bool firstProbe_ = false;  // the exchange under way is the first since the port opened
    double nextOpenAt_ = 0;
    std::string openFailure_;  // why the port last failed (to open, or once open), logged once until it answers
    double nextTickAt_ = 0;
};

}  // namespace kestrix
