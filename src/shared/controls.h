#pragma once

// The windows of the program and their controls as plain state. The Qt layer renders this
// state into widgets and forwards the user's actions to the handlers held here; every rule
// of the system works on these values alone, so it is tested without a display.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/font.h"

namespace kestrix {

// Geometry in twips (1/1440 inch).
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What a window shows, written out as bytes: when two records of a window's state are
// equal, nothing in it needs drawing again. Writing and comparing bytes costs far less than
// drawing, or than hashing the same.
class ShownState {
public:
    void clear() { bytes_.clear(); }
    void add(std::string_view text);
    void add(std::uint64_t n) { addPlain(n); }
    void add(bool b) { bytes_.push_back(b ? '\1' : '\0'); }
    void add(int n) { addPlain(n); }
    void add(const Rect& r);
    void add(const FontSpec& f);
    // A value without padding, as its bytes.
    template <typename T>
    void addPlain(const T& value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }

    friend bool operator==(const ShownState&, const ShownState&) = default;

private:
    std::string bytes_;
};

enum class ControlKind { Label, TextBox, ComboBox, Button, OptionButton, Frame, Line, ProgressBar };

struct Control {
    explicit Control(std::string controlName) : name(std::move(controlName)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ControlKind kind() const = 0;
    // Adds what the control shows to the record of its window's state.
    virtual void addShownState(ShownState& state) const;

    std::string name;
    bool visible = true;
    bool enabled = true;
    Rect geometry;
    FontSpec font{"Arial", 8.0f, false, false};
    // Set by the core to ask the renderer for keyboard focus; the renderer clears it.
    bool focusRequested = false;
    // Not empty while what the control shows is old: the renderer dims its text and shows this
    // note (since when, and how long ago) beside it.
    std::string staleNote;
};

struct Label final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::Label; }
    void addShownState(ShownState& state) const override;
    std::string caption;
    bool wordWrap = false;
    bool centered = false;
    // A one-line caption wider than the label is shown cut in the middle, both ends kept; the
    // whole caption stays readable by assistive technology.
    bool elideInTheMiddle = false;
    std::string toolTip;            // shown while the pointer rests on the label; empty: none
    bool showsProgramIcon = false;  // shows the program's icon, scaled to the label, instead of text
    bool alarmColours = false;      // drawn as an alarm: bold light text on a red ground
};

// A run of a text box's bytes.
struct TextRange {
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

struct Line final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::Line; }
    void addShownState(ShownState& state) const override;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A framed group box; the controls inside it are listed by name.
struct Frame final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::Frame; }
    void addShownState(ShownState& state) const override;
    std::string caption;
};

// A bar filled in proportion to `value` between 0 and `maximum`.
struct ProgressBar final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::ProgressBar; }
    void addShownState(ShownState& state) const override;
    long maximum = 100;
    long value = 0;
};

struct Button final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::Button; }
    void addShownState(ShownState& state) const override;
    std::string caption;
    std::function<void()> onClick;
};

struct OptionButton final : Control {
    using Control::Control;
    ControlKind kind() const override { return ControlKind::OptionButton; }
    void addShownState(ShownState& state) const override;
    std::string caption;
    std::string group;   // option buttons of one group exclude each other
    bool value = false;  // selected
    std::function<void()> onClick;

    // Selects this button and clears the others of its group among `all`.
    void select(const std::vector<OptionButton*>& all);
};

// A text box whose text is held as bytes. The text changes only through the members below,
// each of which moves the revision, so that the renderer can tell a pure append (cheap to
// show, whatever the length of the text) from a replacement.
class TextBox final : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::TextBox; }
    void addShownState(ShownState& state) const override;

    const std::string& text() const { return text_; }
    void setText(std::string text);
    void append(std::string_view more);
    // Replaces the selection by `replacement` and leaves the caret after it.
    void replaceSelection(std::string_view replacement);
    void moveCaretToEnd() { setSelection(text_.size(), 0); }
    void setSelection(std::size_t start, std::size_t length);
    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }
    std::string selectedText() const { return text_.substr(selStart_, selLength_); }

    // What the user did in the widget flows back here without moving the revision.
    void userEdited(std::string text, std::size_t selStart, std::size_t selLength);
    void userSelected(std::size_t selStart, std::size_t selLength);

    std::uint64_t revision() const { return revision_; }
    std::uint64_t replaceRevision() const { return replaceRevision_; }
    std::uint64_t selectionRevision() const { return selectionRevision_; }

    bool multiLine = false;
    bool verticalScrollBar = false;
    bool readOnly = false;
    std::size_t maxLength = 0;  // 0: no limit
    // With a limit, new text is never refused: the oldest text is dropped from the front, at a
    // line start where one lies near enough, so that the newest text is always kept. The box is
    // then cut back a quarter of the limit below it, so that cutting (which redraws the whole
    // box) happens seldom however fast text arrives.
    bool dropsOldestText = false;
    // Called for each character key before the box inserts it; the key is never suppressed.
    std::function<void(char key)> onKeyPress;
    // Runs of the text drawn highlighted as alarms; the text itself is not changed. Set again
    // with each text it belongs to.
    std::vector<TextRange> alarmHighlights;

private:
    void clampSelection();
    void dropOldestBeyondLimit();
    std::string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
    std::uint64_t revision_ = 1;
    std::uint64_t replaceRevision_ = 1;
    std::uint64_t selectionRevision_ = 1;
};

// An editable drop-down combo box; the list only grows or is cleared.
class ComboBox final : public Control {
public:
    using Control::Control;
    ControlKind kind() const override { return ControlKind::ComboBox; }
    void addShownState(ShownState& state) const override;

    std::string text;
    std::size_t caretPosition = 0;  // where the renderer puts the caret when focus is requested
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item) {
        items_.push_back(std::move(item));
        ++listRevision_;
    }
    void clearItems() {
        items_.clear();
        ++listRevision_;
    }
    std::uint64_t listRevision() const { return listRevision_; }

    std::function<void(char key)> onKeyPress;
    std::function<void()> onClick;  // a line was chosen from the list

private:
    std::vector<std::string> items_;
    std::uint64_t listRevision_ = 1;
};

// A menu, a menu item or a separator. A menu's items are listed in order in `items`.
struct MenuItem {
    MenuItem() = default;
    MenuItem(std::string itemName, std::string itemCaption, std::string itemShortcut = {})
        : name(std::move(itemName)), caption(std::move(itemCaption)), shortcut(std::move(itemShortcut)) {}
    static MenuItem separator(std::string itemName) {
        MenuItem m(std::move(itemName), "-");
        m.isSeparator = true;
        return m;
    }
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    MenuItem(MenuItem&&) = default;
    MenuItem& operator=(MenuItem&&) = default;

    std::string name;
    std::string caption;
    std::string shortcut;  // such as "Ctrl+C"
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool isSeparator = false;
    std::vector<MenuItem*> items;
    std::function<void()> onClick;
};

// What the owner of a timer tells the platform after each tick, so that ticks run only when
// they can do something instead of at every interval.
struct TickDemand {
    // The tick changed something: wrote, took input, or changed any state.
    bool didWork = true;
    // When the next tick is needed, in milliseconds from now: 0 at once (after a tick that did
    // something, so that a sequence goes on at full speed), more when only time can give a tick
    // work (a time-out, demo mode's interval); empty when only input or a user's action can.
    std::optional<double> dueInMs = 0.0;
    // Bytes that must have arrived before a tick can use them (the rest of a reply whose length
    // is known from the last time); input short of that waits for more or for the line to go
    // quiet. 1: any byte wants a tick at once.
    std::size_t inputWanted = 1;
};

// A periodic timer as a control: the core sets its interval and enabled flag at any time.
// A tick never runs inside another tick of the same timer: a modal dialog opened inside a tick
// holds that timer until it closes, and ticks that fall due meanwhile are skipped.
struct Timer {
    int intervalMs = 1;
    bool enabled = false;
    std::function<void()> onTick;
    // Filled by the timer's owner; the platform asks it after each tick when the next one is
    // needed. Without it the timer ticks at its interval. The interval stays the shortest time
    // between two ticks that were not asked for at once.
    std::function<TickDemand()> demand;

    // Runs one tick if the timer is enabled and not already inside a tick; true if it ran.
    bool fire();
    bool inTick() const { return inTick_; }
    // Ticks run since the start.
    std::uint64_t ticksRun() const { return ticksRun_; }

private:
    bool inTick_ = false;
    std::uint64_t ticksRun_ = 0;
};

enum class MousePointer { Default, Hourglass };

struct Window {
    explicit Window(std::string windowName, std::string windowCaption)
        : name(std::move(windowName)), caption(std::move(windowCaption)) {}
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    std::string name;
    std::string caption;
    bool visible = false;
    bool enabled = true;
    // Outer geometry in twips; the renderer keeps it and the inner size up to date.
    Rect geometry;
    // Outer size minus inner size (frame, title and menu bar), reported by the renderer.
    int frameWidth = 0;
    int frameHeight = 0;
    FontSpec font{"Arial", 8.0f, false, false};
    bool dialog = false;  // a fixed-size dialog window
    bool greyBackground = false;
    MousePointer mousePointer = MousePointer::Default;
    // Set by the core to bring a shown window to the front; the renderer clears it.
    bool raiseRequested = false;
    std::vector<Control*> controls;
    // The buttons a dialog's keys press: Enter its default one (unless a button has the focus),
    // Escape its Cancel or Close. Null: the key does nothing.
    Button* defaultButton = nullptr;
    Button* cancelButton = nullptr;
    std::vector<MenuItem*> menuBar;
    std::vector<Timer*> timers;

    int innerWidth() const { return geometry.width - frameWidth; }
    int innerHeight() const { return geometry.height - frameHeight; }

    // The close box was pressed; set `cancel` to keep the window. The default hides it.
    std::function<void(bool& cancel)> onCloseRequest;
    std::function<void()> onResize;

    void show() { visible = true; }
    void hide() { visible = false; }
};

// Records what a window shows in itself: its own state and its controls. Its menus are told
// apart by the menu view, item by item.
void recordShownState(const Window& window, ShownState& state);

// Every menu item of a window's menu bar, depth first.
std::vector<MenuItem*> allMenuItems(const Window& window);
// The menu item or control of a window with this name, or nullptr.
MenuItem* findMenuItem(const Window& window, std::string_view name);
Control* findControl(const Window& window, std::string_view name);

}  // namespace kestrix
