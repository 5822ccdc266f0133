#include "program/monitored_receiver.h"

#include <limits>
#include <utility>

#include "link/link_engine.h"
#include "program/forms.h"

namespace kestrix {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// A query as part of a file name: ":SYNC:TINT?" gives "SYNC_TINT".
std::string fileNamePart(const std::string& query) {
    std::string part;
    for (unsigned char c : query) {
        if (std::isalnum(c)) part += static_cast<char>(c);
        else if (!part.empty() && part.back() != '_') part += '_';
    }
    while (!part.empty() && part.back() == '_') part.pop_back();
    return part.empty() ? "query" : part;
}

}  // namespace

MonitoredReceiver::MonitoredReceiver(const monitor::ReceiverConfig& config, const monitor::MonitorConfig& monitor,
                                     std::unique_ptr<platform::SerialPort> port, platform::HeadlessServices& services,
                                     monitor::Log log)
    : config_(config),
      monitor_(monitor),
      log_(std::move(log)),
      port_(std::move(port)),
      services_(services),
      forms_(std::make_unique<Forms>()),
      platform_{*port_,
                *services.clock,
                services.profile,
                services.dialogs,
                services.measurer,
                services.clipboard,
                services.help,
                services.beeper,
                services.printer,
                services.programFile,
                services.files,
                services.notifier,
                services.serialDevices},
      context_{*forms_, state_, platform_},
      link_(std::make_unique<LinkEngine>(context_)),
      requests_(config, monitor.clearAlarms, readings_) {
    readings_.name = config.name;
    link_->wire();
    link_->pollsView = false;
    link_->trendSampler = &requests_;
    link_->onExchangeEnd = [this](ExchangeEnd how, bool errorPrompt) {
        exchangeEnded(how == ExchangeEnd::Answered, errorPrompt);
    };
    requests_.onSample = [this](const std::string& q, double t, double v, const std::string& r) { record(q, t, v, r); };
    requests_.onStatusRound = [this] { statusRoundEnded(); };
    forms_->form1.Timer1.enabled = true;
    port_->setSettings(config.line.text());
}

MonitoredReceiver::~MonitoredReceiver() = default;

void MonitoredReceiver::logFor(monitor::Level level, const std::string& text) {
    if (log_) log_(level, config_.name + ": " + text);
}

double MonitoredReceiver::nextOpenAt() const { return port_->portOpen() ? kNever : nextOpenAt_; }

void MonitoredReceiver::openIfDue(double utcNow) {
    if (port_->portOpen() || utcNow < nextOpenAt_) return;
    nextOpenAt_ = utcNow + kReopenSeconds;
    try {
        port_->setPortOpen(true);
    } catch (const platform::SerialError& error) {
        if (openFailure_ != error.what()) logFor(monitor::Level::Error, error.what());
        openFailure_ = error.what();
        return;
    }
    wasOpen_ = true;
    firstProbe_ = true;
    link_->portStateChanged();
    // A port that keeps failing (a network port refused as soon as it opens) is told of once.
    if (openFailure_.empty()) logFor(monitor::Level::Notice, "port " + config_.port + " open at " + port_->settings());
    nextTickAt_ = 0;
}

void MonitoredReceiver::service() {
    if (port_->portOpen()) port_->service();  // a port that went away raises onComm; the link closes it
    noticeLoss();
}

void MonitoredReceiver::tick() {
    forms_->form1.Timer1.fire();
    afterTick();
    noticeLoss();
}

void MonitoredReceiver::noticeLoss() {
    if (!wasOpen_ || port_->portOpen()) return;
    wasOpen_ = false;
    const std::string reason =
        port_->lostReason().empty() ? "port " + config_.port + " went away" : port_->lostReason();
    if (reason != openFailure_) logFor(monitor::Level::Error, reason);
    // A failure to open again, seen before the loss was noticed, stays the one told of.
    if (openFailure_.empty()) openFailure_ = reason;
    afterTick();
}

void MonitoredReceiver::exchangeEnded(bool answered, bool errorPrompt) {
    // The quiet wait after an answered probe ends by running out: nothing was asked. And the
    // link's first probe after the port opens times out at once, by design, unless input came.
    const bool firstProbe = std::exchange(firstProbe_, false);
    if (!answered && (link_->vars().reestablished || (firstProbe && link_->vars().tryingToEstablish))) return;
    ++readings_.exchanges;
    if (!answered) ++readings_.timeouts;
    if (errorPrompt) ++readings_.errorReplies;
    if (answered) readings_.lastReply = services_.clock->utcSeconds();
    lastAnswered_ = answered;
}

void MonitoredReceiver::afterTick() {
    const TickDemand demand = link_->nextTickDue();
    const double now = services_.clock->utcSeconds();
    nextTickAt_ = demand.dueInMs ? now + *demand.dueInMs / 1000.0 : kNever;
    const bool idle = port_->portOpen() && !link_->vars().exchange;
    if (idle) nextTickAt_ = std::min(nextTickAt_, requests_.nextDue(now));

    const bool up = port_->portOpen() && lastAnswered_ && !link_->vars().tryingToEstablish;
    if (up != readings_.up) {
        logFor(up ? monitor::Level::Notice : monitor::Level::Warning, up ? "answering" : "not answering");
        if (up) requests_.statusSoon(), nextTickAt_ = now, openFailure_.clear();
        readings_.up = up;
    }
    // No one is there to switch updates back on after a run of errors: the link goes on.
    if (forms_->form1.disableUpdates.checked) {
        forms_->form1.disableUpdates.checked = false;
        nextTickAt_ = now;
    }
    trimUnseenTexts();
}

void MonitoredReceiver::trimUnseenTexts() {
    for (TextBox* text : {&forms_->form1.Term, &forms_->frmTerminal.txtTerminal, &forms_->frmShowLog.txtShowLog})
        if (text->text().size() > kUnseenTextLimit) text->setText("");
}

void MonitoredReceiver::statusRoundEnded() {
    readings_.alarm = monitor::alarmStateOf(readings_);
    if (readings_.alarm == reportedAlarm_) return;
    reportedAlarm_ = readings_.alarm;
    std::string causes;
    for (const std::string& cause : readings_.alarm.causes) causes += (causes.empty() ? "" : ", ") + cause;
    logFor(readings_.alarm.active ? monitor::Level::Warning : monitor::Level::Notice,
           readings_.alarm.active ? "alarm: " + (causes.empty() ? std::string("latched events") : causes)
                                  : "alarm cleared");
    if (onAlarmChange) onAlarmChange(config_.name, readings_.alarm);
}

void MonitoredReceiver::record(const std::string& query, double time, double value, const std::string& reply) {
    if (monitor_.recordFolder.empty()) return;
    auto& writer = records_[query];
    if (!writer) writer = std::make_unique<RecordWriter>(platform_.files);
    if (!writer->isOpen()) {
        const std::string path = monitor_.recordFolder + "/" + config_.name + "-" + fileNamePart(query) + ".csv";
        if (!writer->open(path, config_.intervalSeconds)) {
            if (!recordFailed_) logFor(monitor::Level::Error, writer->error());
            recordFailed_ = true;
            return;
        }
    }
    if (!writer->write({time, query, value, reply})) {
        if (!recordFailed_) logFor(monitor::Level::Error, writer->error());
        recordFailed_ = true;
        return;
    }
    if (recordFailed_) logFor(monitor::Level::Notice, "recording again to " + writer->path());
    recordFailed_ = false;
}

}  // namespace kestrix
