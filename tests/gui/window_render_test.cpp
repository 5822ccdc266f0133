// Windows: geometry in twips, what the user does to a window, modal windows and timers.

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

class WindowRender : public ::testing::Test, private WithApplication {
protected:
};

TEST_F(WindowRender, GeometryInTwipsIsPlacedInPixelsOfTheScreenResolution) {
    Window window{"window", "Sized"};
    Label label{"label"};
    label.geometry = {150, 300, 1500, 450};
    window.controls = {&label};
    window.geometry = {1440, 720, 2880, 1440};
    app::Renderer renderer({&window}, platform::qt::Twips(96, 96));
    renderer.render();
    EXPECT_EQ(widgetOf<QLabel>(renderer, window, label)->geometry(), QRect(10, 20, 100, 30));
    EXPECT_EQ(renderer.viewOf(window)->widget().frameGeometry(), QRect(96, 48, 192, 96));

    const platform::qt::Twips twice(192, 192);
    EXPECT_EQ(twice.toPixels(label.geometry), QRect(20, 40, 200, 60));
    EXPECT_EQ(twice.fromPixels(QRect(20, 40, 200, 60)), label.geometry);
}

TEST_F(WindowRender, TheMenuBarCountsInTheFrameAndAUserResizeFlowsBack) {
    Window window{"window", "Menus"};
    MenuItem file{"file", "&File"}, exit{"exit", "E&xit"};
    file.items = {&exit};
    window.menuBar = {&file};
    window.geometry = {0, 0, 6000, 4500};
    int resizes = 0;
    window.onResize = [&] { ++resizes; };
    window.show();
    app::Renderer renderer({&window}, platform::qt::Twips(96, 96));
    renderer.render();
    EXPECT_EQ(resizes, 1);  // the state gave the window its size
    EXPECT_GT(window.frameHeight, 0);
    EXPECT_EQ(window.innerHeight(), window.geometry.height - window.frameHeight);

    QWidget& widget = renderer.viewOf(window)->widget();
    widget.resize(300, 200);  // as the user would
    const int decoration = widget.frameGeometry().width() - widget.width();
    ASSERT_TRUE(serveEventsUntil([&] { return window.geometry.width == (300 + decoration) * 15; }));
    EXPECT_EQ(window.frameWidth, decoration * 15);
    EXPECT_EQ(resizes, 2);
}

TEST_F(WindowRender, TheCloseBoxAsksTheWindowWhichMayRefuse) {
    Window window{"window", "Closing"};
    bool refuse = true;
    window.onCloseRequest = [&](bool& cancel) { cancel = refuse; };
    window.show();
    app::Renderer renderer({&window});
    renderer.render();
    renderer.viewOf(window)->widget().close();
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(renderer.viewOf(window)->widget().isVisible());
    refuse = false;
    renderer.viewOf(window)->widget().close();
    EXPECT_FALSE(window.visible);
    EXPECT_FALSE(renderer.viewOf(window)->widget().isVisible());
}

TEST_F(WindowRender, AModalWindowOpenedInATickHoldsThatTimerUntilItCloses) {
    Window main{"main", "Main"};
    Timer mainTimer;
    mainTimer.intervalMs = 1;
    mainTimer.enabled = true;
    main.timers = {&mainTimer};
    Window dialog{"dialog", "Dialog"};
    dialog.dialog = true;
    Timer dialogTimer;
    dialogTimer.intervalMs = 5;
    dialog.timers = {&dialogTimer};
    app::Renderer renderer({&main, &dialog});

    int mainTicks = 0, dialogTicks = 0, ticksWhileOpen = 0;
    bool open = false, shownModal = false, mainStillRunning = false;
    mainTimer.onTick = [&] {
        if (open) ++ticksWhileOpen;
        if (++mainTicks != 1) return;
        open = true;
        dialogTimer.enabled = true;
        renderer.runModal(dialog);
        open = false;
    };
    dialogTimer.onTick = [&] {
        const QWidget& widget = renderer.viewOf(dialog)->widget();
        shownModal = widget.isVisible() && widget.isModal();
        mainStillRunning = renderer.viewOf(main)->timers().front()->qtimer().isActive();
        if (++dialogTicks < 5) return;
        dialogTimer.enabled = false;
        dialog.hide();
    };
    renderer.render();

    ASSERT_TRUE(serveEventsUntil([&] { return mainTicks >= 3; }));
    EXPECT_EQ(dialogTicks, 5);
    EXPECT_TRUE(shownModal);
    EXPECT_TRUE(mainStillRunning);  // held, not stopped
    EXPECT_EQ(ticksWhileOpen, 0);
    EXPECT_FALSE(renderer.viewOf(dialog)->widget().isVisible());
    EXPECT_FALSE(renderer.viewOf(dialog)->widget().isModal());
}

// A paced timer's ticks draw only the windows on the screen whose state they changed; a run of
// ticks asked for at once is drawn when it ends.
TEST_F(WindowRender, TicksDrawOnlyTheShownWindowsTheyChanged) {
    Window main{"main", "Main"}, clock{"clock", "Clock"}, hidden{"hidden", "Hidden"};
    Label time{"time"}, note{"note"};
    clock.controls = {&time};
    hidden.controls = {&note};
    MenuItem view{"view", "&View"}, seconds{"seconds", "&Seconds"};
    view.items = {&seconds};
    main.menuBar = {&view};
    main.show();
    clock.show();
    Timer timer;
    timer.intervalMs = 1;
    timer.enabled = true;
    main.timers = {&timer};
    int step = 0;
    timer.onTick = [&] { ++step; };
    timer.demand = [&] {
        TickDemand demand;
        demand.dueInMs = step == 2 ? 0.0 : std::optional<double>{};  // the second tick asks for a third at once
        return demand;
    };
    app::Renderer renderer({&main, &clock, &hidden});
    renderer.render();
    auto drawnBy = [&](const std::function<void()>& change) {
        const auto before = renderer.windowsDrawn();
        timer.onTick = [&, change] {
            ++step;
            change();
        };
        renderer.tick(timer);
        return renderer.windowsDrawn() - before;
    };

    EXPECT_EQ(drawnBy([] {}), 0u);                         // nothing changed
    EXPECT_EQ(drawnBy([&] { time.caption += "1"; }), 1u);  // and the run of three: drawn once, at its end
    EXPECT_EQ(step, 3);
    EXPECT_EQ(widgetOf<QLabel>(renderer, clock, time)->text(), "11");
    EXPECT_EQ(drawnBy([&] { seconds.checked = true; }), 1u);
    EXPECT_TRUE(renderer.viewOf(main)->menus().actionOf(seconds)->isChecked());
    EXPECT_EQ(drawnBy([&] { note.caption = "unseen"; }), 0u);  // drawn when it is shown
    hidden.show();
    renderer.render();
    EXPECT_EQ(widgetOf<QLabel>(renderer, hidden, note)->text(), "unseen");
}

TEST_F(WindowRender, ChoosingFromTheComboListPutsTheLineIntoTheTextAndClicks) {
    Window window{"window", "Combo"};
    ComboBox combo{"combo"};
    combo.geometry = {0, 0, 3000, 300};
    window.controls = {&combo};
    app::Renderer renderer({&window});
    combo.addItem("*idn?");
    combo.addItem(":ptim:str?");
    combo.text = "syst:err?";
    renderer.render();
    auto* widget = widgetOf<QComboBox>(renderer, window, combo);
    EXPECT_EQ(widget->count(), 2);
    EXPECT_EQ(widget->currentText(), "syst:err?");

    int clicks = 0;
    std::string keys;
    combo.onClick = [&] { ++clicks; };
    combo.onKeyPress = [&](char key) { keys += key; };
    widget->activated(1);
    EXPECT_EQ(combo.text, ":ptim:str?");
    EXPECT_EQ(clicks, 1);

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(widget, &enter);
    EXPECT_EQ(keys, "\r");
    EXPECT_EQ(widget->count(), 2);  // Enter never adds to the list
    EXPECT_EQ(clicks, 1);

    combo.clearItems();
    combo.addItem("a");
    combo.addItem("b");
    combo.addItem("c");
    renderer.render();
    EXPECT_EQ(widget->count(), 3);
    EXPECT_EQ(widget->itemText(0), "a");
    EXPECT_EQ(widget->currentText(), ":ptim:str?");
}

TEST_F(WindowRender, AFocusRequestGivesTheFocusAndPlacesTheComboCaret) {
    Window window{"window", "Focus"};
    Button other{"other"};
    ComboBox combo{"combo"};
    combo.geometry = {0, 600, 3000, 300};
    window.controls = {&other, &combo};
    window.show();
    app::Renderer renderer({&window});
    combo.text = ":GPS:REF:ADEL 50NS";
    combo.caretPosition = 14;
    combo.focusRequested = true;
    renderer.render();
    EXPECT_FALSE(combo.focusRequested);
    auto* widget = widgetOf<QComboBox>(renderer, window, combo);
    EXPECT_EQ(widget->lineEdit()->cursorPosition(), 14);
    EXPECT_TRUE(serveEventsUntil([&] { return widget->hasFocus(); }));
}

TEST_F(WindowRender, ARaiseRequestIsTakenByTheRenderer) {
    Window back{"back", "Back"};
    Window front{"front", "Front"};
    back.show();
    front.show();
    app::Renderer renderer({&back, &front});
    renderer.render();
    back.raiseRequested = true;
    renderer.render();
    EXPECT_FALSE(back.raiseRequested);
    EXPECT_TRUE(renderer.viewOf(back)->widget().isVisible());
}

TEST_F(WindowRender, ClickingAnOptionSelectsItInTheStateAndClearsItsGroup) {
    Window window{"window", "Options"};
    OptionButton a{"a"}, b{"b"}, other{"other"};
    a.group = b.group = "baud";
    other.group = "parity";
    a.value = other.value = true;
    window.controls = {&a, &b, &other};
    app::Renderer renderer({&window});
    renderer.render();
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    widgetOf<QRadioButton>(renderer, window, b)->click();
    EXPECT_TRUE(b.value);
    EXPECT_FALSE(a.value);
    EXPECT_TRUE(other.value);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(widgetOf<QRadioButton>(renderer, window, a)->isChecked());
    widgetOf<QRadioButton>(renderer, window, b)->click();  // already on: stays on, no click
    EXPECT_TRUE(widgetOf<QRadioButton>(renderer, window, b)->isChecked());
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace kestrix::gui_test
