#pragma once

#include <QObject>
#include <QTimer>

#include "app/event_sink.h"
#include "shared/controls.h"

namespace kestrix::app {

// Runs a timer of the program on a QTimer that follows its interval and enabled flag. A tick
// that falls due while the previous one is still running (a modal dialog opened inside it) is
// skipped.
//
// A timer whose owner fills its demand does not tick at every interval: after each tick the
// QTimer is set for the moment the owner asks for (at once after a tick that did something, the
// next time-out after one that did nothing) or left stopped until wake() (input arrived, output
// drained, the user did something).
class TimerView final : public QObject {
public:
    TimerView(Timer& timer, EventSink& sink);
    void render();
    const QTimer& qtimer() const { return qtimer_; }
    Timer& timer() const { return timer_; }

    bool paced() const { return static_cast<bool>(timer_.demand); }
    // Sets the next tick after a tick of a paced timer, as its owner asked. A QTimer already set
    // for the same moment is left running (a poll that waits on the same time-out each exchange).
    void schedule(const TickDemand& demand);
    // The owner asked for its next tick at once and the caller runs it now: no QTimer is set.
    void runNextAtOnce(const TickDemand& demand);
    // Runs a paced timer's next tick at once.
    void wake();
    // What the owner asked for after the last tick.
    const TickDemand& lastDemand() const { return demand_; }

private:
    Timer& timer_;
    QTimer qtimer_;
    TickDemand demand_;
    bool wasEnabled_ = false;
    bool wokenInTick_ = false;
};

}  // namespace kestrix::app
