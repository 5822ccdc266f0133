#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kestrix::app {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the starting terminal) into a call on
// the event loop, so the program can end as File, Exit does, with its settings saved.
class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kestrix::app
