#pragma once

#include <QObject>
#include <QTimer>

#include "app/event_sink.h"
#include "shared/controls.h"

namespace kestrix::app {

// Runs a timer of the program on a QTimer that follows its interval and enabled flag. A tick
// that falls due while the previous one is still running (a modal dialog opened inside it) is
// skipped.
class TimerView final : public QObject {
public:
    TimerView(Timer& timer, EventSink& sink);
    void render();
    const QTimer& qtimer() const { return qtimer_; }

private:
    Timer& timer_;
    QTimer qtimer_;
};

}  // namespace kestrix::app
