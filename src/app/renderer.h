#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "app/event_sink.h"
#include "app/window_view.h"
#include "platform/qt/modal_host.h"
#include "platform/qt/twips.h"

class QEventLoop;

namespace kestrix::app {

// Shows the windows of the program. After every action it forwards to a handler it walks the
// state and writes into the widgets what changed since the last time. After the ticks of a paced
// timer it draws the windows on the screen when a run of ticks that changed something ends;
// after those of another timer, at most about as often as a screen refreshes.
// Every action wakes the paced timers (those whose owner says when it needs a tick), so that
// what the user did reaches the link at once.
// Nothing here decides anything about the system: the handlers do.
class Renderer final : public QObject, public EventSink, public platform::qt::ModalHost {
public:
    explicit Renderer(const std::vector<Window*>& windows, platform::qt::Twips twips = platform::qt::Twips::ofScreen());
    ~Renderer() override;

    // Writes the state into the widgets; runs the resize handlers of windows whose size the state
    // changed, and ends the modal loops of windows that were hidden.
    void render();

    bool rendering() const override { return rendering_; }
    void forward(const std::function<void()>& handler) override;
    void tick(Timer& timer) override;
    // Shows the window modally and returns when its state is hidden.
    void runModal(Window& window) override;

    // Runs the next tick of every paced timer at once (input arrived, output drained, an action).
    void wakeTimers();
    // The paced timers' wish for input: the fewest bytes any of them wants before its tick.
    std::size_t inputWanted() const;

    WindowView* viewOf(const Window& window) const;
    TimerView* viewOf(const Timer& timer) const;
    // Times the state was drawn into the widgets.
    std::uint64_t draws() const { return draws_; }
    // Windows drawn in those times: after ticks only those whose state changed are.
    std::uint64_t windowsDrawn() const { return windowsDrawn_; }
    const platform::qt::Twips& twips() const { return twips_; }

    // Runs after each handled action and tick (the application checks there whether to quit).
    std::function<void()> afterEvent;

private:
    void handled();
    void pacedTicks(TimerView& view, bool ran);
    void renderWindows(bool changedOnly);
    void wakeOtherTimers(const TimerView& except);
    // Runs a handler of the program; a failure it lets escape is reported, never fatal.
    template <typename Handler>
    auto guarded(Handler&& handler) -> decltype(handler());

    struct ModalLoop {
        Window* window;
        QEventLoop* loop;
    };

    platform::qt::Twips twips_;
    std::vector<std::unique_ptr<WindowView>> views_;
    std::vector<ModalLoop> modalLoops_;
    bool rendering_ = false;
    bool renderOwed_ = false;  // a paced tick changed something not drawn yet
    bool forwarding_ = false;  // ticks run for a forwarded action are drawn with it
    std::uint64_t draws_ = 0;
    std::uint64_t windowsDrawn_ = 0;
    QElapsedTimer sinceRender_;
    QTimer pendingRender_;  // the render that ticks since the last one are owed
};

}  // namespace kestrix::app
