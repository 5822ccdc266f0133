#include "app/renderer.h"

#include <QEventLoop>

#include <algorithm>
#include <exception>
#include <limits>

namespace kestrix::app {

namespace {
// Resize handlers may size other windows; a few rounds settle any sensible layout.
constexpr int kMaxRenderRounds = 4;
// The shortest time between two renders that timer ticks ask for.
constexpr qint64 kTickRenderMs = 15;
// At most so many ticks asked for at once run one after the other before the event loop runs.
constexpr int kTicksInARow = 8;

struct RenderingScope {
    bool& flag;
    explicit RenderingScope(bool& f) : flag(f) { flag = true; }
    ~RenderingScope() { flag = false; }
};
}  // namespace

Renderer::Renderer(const std::vector<Window*>& windows, platform::qt::Twips twips) : twips_(twips) {
    for (Window* window : windows) views_.push_back(std::make_unique<WindowView>(*window, twips_, *this));
    pendingRender_.setSingleShot(true);
    connect(&pendingRender_, &QTimer::timeout, this, [this] { renderWindows(true); });
}

Renderer::~Renderer() = default;

template <typename Handler>
auto Renderer::guarded(Handler&& handler) -> decltype(handler()) {
    try {
        return handler();
    } catch (const std::exception& failure) {
        qWarning("A handler failed: %s", failure.what());
    } catch (...) {
        qWarning("A handler failed");
    }
    return decltype(handler())();
}

void Renderer::render() { renderWindows(false); }

// After a tick only the windows on the screen whose state changed are drawn; a hidden one is
// drawn whole when it is shown (its timers follow the state all the same).
void Renderer::renderWindows(bool changedOnly) {
    if (rendering_) return;
    for (int round = 0; round < kMaxRenderRounds; ++round) {
        {
            RenderingScope scope(rendering_);
            for (auto& view : views_) {
                if (changedOnly && (!view->shown() || view->drawnAsItStands())) {
                    view->renderTimers();
                } else {
                    view->render();
                    ++windowsDrawn_;
                }
            }
        }
        bool resized = false;
        for (auto& view : views_) {
            if (!view->takeResize() || !view->window().onResize) continue;
            resized = true;
            guarded([&] { view->window().onResize(); });
        }
        if (!resized) break;
    }
    for (const ModalLoop& modal : modalLoops_)
        if (!modal.window->visible) modal.loop->quit();
    ++draws_;
    renderOwed_ = false;
    pendingRender_.stop();
    sinceRender_.restart();
}

void Renderer::forward(const std::function<void()>& handler) {
    if (rendering_) return;
    guarded(handler);
    // What the user did reaches the paced timers' ticks before anything is drawn.
    // A timer still inside a tick (the action came from a modal dialog opened there) ticks
    // again at once when that tick ends.
    forwarding_ = true;
    for (const auto& view : views_)
        for (const auto& timer : view->timers()) {
            if (!timer->paced() || !timer->timer().enabled) continue;
            if (timer->timer().inTick()) timer->wake();
            else tick(timer->timer());
        }
    forwarding_ = false;
    handled();
}

void Renderer::tick(Timer& timer) {
    if (rendering_) return;
    TimerView* view = viewOf(timer);
    const std::uint64_t ticksBefore = timer.ticksRun();
    const bool ran = guarded([&] { return timer.fire(); });
    if (timer.ticksRun() == ticksBefore) return;  // held by a tick still running, or turned off
    if (view && view->paced()) {
        pacedTicks(*view, ran);
        return;
    }
    const qint64 elapsed = sinceRender_.isValid() ? sinceRender_.elapsed() : kTickRenderMs;
    if (elapsed >= kTickRenderMs) {
        renderWindows(true);
        if (afterEvent) afterEvent();
        return;
    }
    if (!pendingRender_.isActive()) pendingRender_.start(static_cast<int>(kTickRenderMs - elapsed));
    if (afterEvent) afterEvent();
}

// After a paced timer's tick: its next one is set as its owner asks. Ticks asked for at once
// run here, a few in a row, rather than each on a pass of the event loop of its own.
void Renderer::pacedTicks(TimerView& view, bool ran) {
    Timer& timer = view.timer();
    for (int inARow = 1;; ++inARow) {
        TickDemand demand;
        demand.dueInMs = std::max(1, timer.intervalMs);  // a tick that failed is tried again
        if (ran) demand = guarded([&] { return timer.demand(); });
        // Ticks for a forwarded action are drawn with it; a long run lets the event loop in.
        const bool mayRunInARow = !forwarding_ && inARow < kTicksInARow;
        if (mayRunInARow && demand.dueInMs == 0.0) view.runNextAtOnce(demand);
        else view.schedule(demand);
        // The timers hand work to each other through the state they share (the main timer's
        // preparation readies the download): a tick that did something wakes the others.
        if (demand.didWork) wakeOtherTimers(view);
        // A run of ticks that follow each other at once is drawn when it ends.
        renderOwed_ = renderOwed_ || demand.didWork;
        const bool atOnce = view.lastDemand().dueInMs == 0.0;
        if (renderOwed_ && !atOnce && !forwarding_) {
            renderOwed_ = false;
            renderWindows(true);
        }
        if (!atOnce || !mayRunInARow) break;
        const std::uint64_t ticksBefore = timer.ticksRun();
        ran = guarded([&] { return timer.fire(); });
        if (timer.ticksRun() == ticksBefore) {  // held or turned off: the event loop runs it
            view.schedule(view.lastDemand());
            break;
        }
    }
    if (afterEvent) afterEvent();
}

void Renderer::handled() {
    render();
    if (afterEvent) afterEvent();
}

void Renderer::runModal(Window& window) {
    WindowView* view = viewOf(window);
    if (!view) {
        window.show();
        window.hide();
        return;
    }
    view->beginModal();
    window.show();
    render();
    QEventLoop loop;
    modalLoops_.push_back({&window, &loop});
    if (window.visible) loop.exec();
    modalLoops_.erase(std::find_if(modalLoops_.begin(), modalLoops_.end(),
                                   [&](const ModalLoop& modal) { return modal.loop == &loop; }));
    view->endModal();
    render();
}

// Ticks run here and now, not on a pass of the event loop of their own; a timer inside a tick
// (a dialog opened there) or a render under way takes the wake when it ends.
void Renderer::wakeTimers() {
    for (const auto& view : views_)
        for (const auto& timer : view->timers()) {
            const Timer& state = timer->timer();
            if (!timer->paced() || !state.enabled || state.intervalMs <= 0) continue;
            if (state.inTick() || rendering_) timer->wake();
            else tick(timer->timer());
        }
}

void Renderer::wakeOtherTimers(const TimerView& except) {
    for (const auto& view : views_)
        for (const auto& timer : view->timers())
            if (timer.get() != &except && timer->paced() && timer->timer().enabled) timer->wake();
}

std::size_t Renderer::inputWanted() const {
    std::size_t wanted = std::numeric_limits<std::size_t>::max();
    for (const auto& view : views_)
        for (const auto& timer : view->timers())
            if (timer->paced() && timer->timer().enabled) wanted = std::min(wanted, timer->lastDemand().inputWanted);
    return wanted;
}

TimerView* Renderer::viewOf(const Timer& timer) const {
    for (const auto& view : views_)
        for (const auto& timerView : view->timers())
            if (&timerView->timer() == &timer) return timerView.get();
    return nullptr;
}

WindowView* Renderer::viewOf(const Window& window) const {
    for (const auto& view : views_)
        if (&view->window() == &window) return view.get();
    return nullptr;
}

}  // namespace kestrix::app
