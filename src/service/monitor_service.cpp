#include "service/monitor_service.h"

#include <poll.h>

#include <algorithm>
#include <cmath>

#include "monitor/alarm_command.h"
#include "platform/port_factory.h"

namespace kestrix::service {

void ReadingsBoard::publish(std::shared_ptr<const Readings> readings) {
    std::lock_guard lock(mutex_);
    readings_ = std::move(readings);
}

std::shared_ptr<const ReadingsBoard::Readings> ReadingsBoard::read() const {
    std::lock_guard lock(mutex_);
    return readings_;
}

MonitorService::MonitorService(monitor::MonitorConfig config, monitor::Log log, ReadingsBoard& board)
    : config_(std::move(config)), log_(std::move(log)), board_(board) {
    services_.dialogs.log = [this](const std::string& text) { log_(monitor::Level::Warning, text); };
    runner_.onEnd = [this](bool failed, const std::string& text) {
        log_(failed ? monitor::Level::Error : monitor::Level::Info, "OnAlarm: " + text);
    };
}

MonitorService::~MonitorService() = default;

bool MonitorService::build() {
    bool good = true;
    for (const monitor::ReceiverConfig& config : config_.receivers) {
        std::string why;
        auto port = platform::makeReceiverPort(config.port, why);
        if (!port) {
            log_(monitor::Level::Error, config.name + ": Port=" + config.port + ": " + why);
            good = false;
            continue;
        }
        auto receiver = std::make_unique<MonitoredReceiver>(config, config_, std::move(port), services_, log_);
        receiver->onAlarmChange = [this](const std::string& name, const monitor::AlarmState& state) {
            alarmChanged(name, state);
        };
        receivers_.push_back(std::move(receiver));
    }
    publish();
    return good;
}

void MonitorService::alarmChanged(const std::string& name, const monitor::AlarmState& state) {
    if (config_.onAlarm.empty()) return;
    const std::string refused = runner_.start(config_.onAlarm, monitor::alarmEnvironment(name, state));
    if (!refused.empty()) log_(monitor::Level::Error, "OnAlarm for " + name + " not run: " + refused);
}

void MonitorService::publish() {
    // The loop turns on every character a line brings; the readings change about once an exchange.
    const auto unchanged = [this] {
        for (std::size_t i = 0; i < receivers_.size(); ++i)
            if (!(receivers_[i]->readings() == (*published_)[i])) return false;
        return true;
    };
    if (published_ && published_->size() == receivers_.size() && unchanged()) return;
    auto readings = std::make_shared<ReadingsBoard::Readings>();
    readings->reserve(receivers_.size());
    for (const auto& receiver : receivers_) readings->push_back(receiver->readings());
    published_ = readings;
    board_.publish(std::move(readings));
}

void MonitorService::turn(int maxWaitMs) {
    const double now = services_.clock->utcSeconds();
    double wakeAt = std::min(now + maxWaitMs / 1000.0, nextLineLookAt_);
    std::vector<pollfd> fds;
    fds.reserve(receivers_.size() + 1);
    for (auto& receiver : receivers_) {
        receiver->openIfDue(now);
        platform::SerialPort& port = receiver->port();
        wakeAt = std::min({wakeAt, receiver->nextTickAt(), receiver->nextOpenAt()});
        short events = 0;
        if (port.fileDescriptor() >= 0 && !port.inputFull()) events |= POLLIN;
        if (port.outputWaiting()) events |= POLLOUT;
        fds.push_back({port.fileDescriptor(), events, 0});
    }
    if (wakeFd_ >= 0) fds.push_back({wakeFd_, POLLIN, 0});
    const double waitMs = std::clamp((wakeAt - now) * 1000.0, 0.0, static_cast<double>(maxWaitMs));
    ::poll(fds.data(), fds.size(), static_cast<int>(std::ceil(waitMs)));

    const double after = services_.clock->utcSeconds();
    const bool lookAtEveryLine = after >= nextLineLookAt_;
    if (lookAtEveryLine) nextLineLookAt_ = after + kLineLookSeconds;
    for (std::size_t i = 0; i < receivers_.size(); ++i) {
        MonitoredReceiver& receiver = *receivers_[i];
        // A hang-up or an error shows in revents whatever was asked, so a lost port is noticed here.
        const bool lineActive = fds[i].fd >= 0 && fds[i].revents != 0;
        const bool tickDue = lineActive || after >= receiver.nextTickAt();
        if (tickDue || lookAtEveryLine || fds[i].fd < 0) receiver.service();
        if (tickDue) receiver.tick();
    }
    runner_.service();
    publish();
}

void MonitorService::run(const std::atomic<bool>& stop, int wakeFd) {
    wakeFd_ = wakeFd;
    while (!stop.load()) {
        turn(kLongestWaitMs);
        if (wakeFd_ >= 0) {
            pollfd p{wakeFd_, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) break;
        }
    }
}

}  // namespace kestrix::service
