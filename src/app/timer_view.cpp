#include "app/timer_view.h"

namespace kestrix::app {

TimerView::TimerView(Timer& timer, EventSink& sink) : timer_(timer) {
    qtimer_.setTimerType(Qt::PreciseTimer);
    connect(&qtimer_, &QTimer::timeout, this, [this, &sink] { sink.tick(timer_); });
}

void TimerView::render() {
    // An interval of 0 stops the timer.
    const bool running = timer_.enabled && timer_.intervalMs > 0;
    if (running && qtimer_.interval() != timer_.intervalMs) qtimer_.setInterval(timer_.intervalMs);
    if (running != qtimer_.isActive()) {
        if (running)
            qtimer_.start();
        else
            qtimer_.stop();
    }
}

}  // namespace kestrix::app
