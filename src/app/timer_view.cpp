#include "app/timer_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace kestrix::app {

namespace {
// A due time further off than this is set in steps (a QTimer interval is an int of milliseconds).
constexpr double kLongestWaitMs = 3'600'000;
// A QTimer due this close to a moment asked for is taken as set for it.
constexpr int kSameMomentMs = 1;
}  // namespace

TimerView::TimerView(Timer& timer, EventSink& sink) : timer_(timer) {
    qtimer_.setTimerType(Qt::PreciseTimer);
    connect(&qtimer_, &QTimer::timeout, this, [this, &sink] { sink.tick(timer_); });
}

void TimerView::render() {
    if (paced()) {
        const bool enabled = timer_.enabled && timer_.intervalMs > 0;
        if (!enabled) qtimer_.stop();
        else if (!wasEnabled_) wake();  // turned on: its first tick at once
        wasEnabled_ = enabled;
        return;
    }
    qtimer_.setSingleShot(false);
    // An interval of 0 stops the timer.
    const bool running = timer_.enabled && timer_.intervalMs > 0;
    if (running && qtimer_.interval() != timer_.intervalMs) qtimer_.setInterval(timer_.intervalMs);
    if (running != qtimer_.isActive()) {
        if (running) qtimer_.start();
        else qtimer_.stop();
    }
}

void TimerView::schedule(const TickDemand& demand) {
    demand_ = demand;
    // Woken while its tick was held (a modal dialog inside it): the wake is served now.
    if (std::exchange(wokenInTick_, false)) demand_.dueInMs = 0.0;
    if (!timer_.enabled || timer_.intervalMs <= 0 || !demand_.dueInMs) {
        qtimer_.stop();
        return;
    }
    const int due = static_cast<int>(std::clamp(std::ceil(*demand_.dueInMs), 0.0, kLongestWaitMs));
    const bool setForThen = qtimer_.isActive() && qtimer_.isSingleShot() && due > 0 &&
                            std::abs(qtimer_.remainingTime() - due) <= kSameMomentMs;
    if (setForThen) return;
    qtimer_.setSingleShot(true);
    qtimer_.start(due);
}

void TimerView::runNextAtOnce(const TickDemand& demand) {
    demand_ = demand;
    wokenInTick_ = false;  // the tick run now serves the wake
}

void TimerView::wake() {
    if (!paced() || !timer_.enabled || timer_.intervalMs <= 0) return;
    if (timer_.inTick()) {
        wokenInTick_ = true;
        return;
    }
    qtimer_.setSingleShot(true);
    qtimer_.start(0);
}

}  // namespace kestrix::app
