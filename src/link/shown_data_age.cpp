#include "link/shown_data_age.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "platform/platform.h"
#include "state/display_forms.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

std::string clockText(const platform::DateTime& t) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buffer;
}

// A status line without its leader dots and runs of blanks: "HEALTH MONITOR [ ALARM ]".
std::string condensed(std::string_view line) {
    std::string out;
    bool gap = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool leader = c == '.' && ((i + 1 < line.size() && line[i + 1] == '.') || (i > 0 && line[i - 1] == '.'));
        if (c == ' ' || leader) {
            gap = !out.empty();
            continue;
        }
        if (gap) out += ' ';
        gap = false;
        out += c;
    }
    return out;
}

// Seconds until ageText() of an age that is now `age` says something else.
double untilAgeTextChanges(double age) {
    if (age < 60) return 1 - std::fmod(age, 1.0);
    return 60 - std::fmod(age, 60.0);
}

}  // namespace

ShownData polledData(bool toMainWindow, std::string_view command) {
    if (!toMainWindow) return ShownData::Clock;
    return command == kStatusScreenCommand ? ShownData::StatusScreen : ShownData::CustomReply;
}

std::vector<TextRange> alarmLines(std::string_view screen) {
    std::vector<TextRange> lines;
    // Any line break ends a line: CR LF, or a lone CR or LF.
    for (std::size_t start = 0; start < screen.size();) {
        const std::size_t end = std::min(screen.find_first_of("\r\n", start), screen.size());
        if (screen.substr(start, end - start).find(kAlarmBanner) != std::string_view::npos)
            lines.push_back({start, end - start});
        start = end + 1;
    }
    return lines;
}

std::string ageText(double ageSeconds) {
    const long seconds = std::max(0L, static_cast<long>(std::floor(ageSeconds)));
    if (seconds < 60) return std::to_string(seconds) + " s";
    if (seconds < 3600) return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min";
}

ShownDataAge::ShownDataAge(Context& context) : ctx_(context) {}

void ShownDataAge::wire() {
    Form1& form1 = ctx_.forms.form1;
    form1.ageTimer.onTick = [this] { update(); };
    form1.ageTimer.demand = [this] { return nextTickDue(); };
    form1.alarmNotifications.checked =
        ctx_.platform.profile.GetPrivateProfileIntA(kAlarmNotificationsSection, kAlarmNotificationsKey, 0) == 1;
}

// The choice is kept at once; a file that cannot be written leaves it in force for this run.
void ShownDataAge::toggleAlarmNotifications() {
    MenuItem& item = ctx_.forms.form1.alarmNotifications;
    item.checked = !item.checked;
    ctx_.platform.profile.WritePrivateProfileStringA(kAlarmNotificationsSection, kAlarmNotificationsKey,
                                                     item.checked ? "1" : "0");
}

// The status screen and a custom command's reply share the main window's display.
ShownDataAge::Shown& ShownDataAge::record(ShownData which) { return which == ShownData::Clock ? clock_ : status_; }

Control& ShownDataAge::display(ShownData which) {
    if (which == ShownData::Clock) return ctx_.forms.frmClock.lblClock;
    return ctx_.forms.form1.Term;
}

void ShownDataAge::polled(ShownData which, int timeoutSeconds) {
    Shown& shown = record(which);
    shown.renewalAskedAt = ctx_.platform.clock.utcSeconds();
    shown.timeoutSeconds = timeoutSeconds;
}

void ShownDataAge::refreshed(ShownData which) {
    Shown& shown = record(which);
    shown.present = true;
    shown.updatedAt = ctx_.platform.clock.utcSeconds();
    shown.updatedClock = clockText(ctx_.platform.clock.now());
    shown.portClosed = false;
    display(which).staleNote.clear();
    if (which == ShownData::StatusScreen) showAlarms();
    // A custom command's reply has no alarm lines, and says nothing of the alarm either way.
    if (which == ShownData::CustomReply) ctx_.forms.form1.Term.alarmHighlights.clear();
}

void ShownDataAge::portClosed() {
    status_.portClosed = true;
    clock_.portClosed = true;
    update();
}

bool ShownDataAge::isOld(const Shown& shown, double now) const {
    return shown.portClosed || now - std::max(shown.updatedAt, shown.renewalAskedAt) > shown.timeoutSeconds;
}

void ShownDataAge::update() {
    const double now = ctx_.platform.clock.utcSeconds();
    updateOne(ShownData::StatusScreen, now);
    updateOne(ShownData::Clock, now);
}

void ShownDataAge::updateOne(ShownData which, double now) {
    const Shown& shown = record(which);
    Control& control = display(which);
    // A view chosen anew empties its display: nothing is shown, so nothing is old.
    const bool empty =
        which == ShownData::Clock ? ctx_.forms.frmClock.lblClock.caption.empty() : ctx_.forms.form1.Term.text().empty();
    std::string note;
    if (shown.present && !empty && isOld(shown, now))
        note = "Last updated " + shown.updatedClock + ", " + ageText(now - shown.updatedAt) + " ago";
    if (control.staleNote == note) return;
    control.staleNote = std::move(note);
    noteChanged_ = true;
}

TickDemand ShownDataAge::nextTickDue() {
    const double now = ctx_.platform.clock.utcSeconds();
    std::optional<double> due;
    for (const Shown* shown : {&status_, &clock_}) {
        if (!shown->present) continue;
        const double wait = isOld(*shown, now) ? untilAgeTextChanges(now - shown->updatedAt)
                                               : std::max(shown->updatedAt, shown->renewalAskedAt) +
                                                     shown->timeoutSeconds - now + 0.001;
        due = std::min(due.value_or(wait), wait);
    }
    TickDemand demand;
    demand.didWork = noteChanged_;
    noteChanged_ = false;
    demand.inputWanted = std::numeric_limits<std::size_t>::max();  // what arrives on the line is the link's
    demand.dueInMs = due ? std::optional<double>(std::max(0.0, *due) * 1000) : std::nullopt;
    return demand;
}

void ShownDataAge::showAlarms() {
    Form1& form1 = ctx_.forms.form1;
    const std::string& screen = form1.Term.text();
    form1.Term.alarmHighlights = alarmLines(screen);
    const bool alarm = !form1.Term.alarmHighlights.empty();
    const bool changed = alarm != form1.alarmMark.visible;
    form1.alarmMark.visible = alarm;
    if (!changed || !form1.alarmNotifications.checked) return;
    if (alarm) {
        const TextRange first = form1.Term.alarmHighlights.front();
        ctx_.platform.notifier.notify("Receiver alarm",
                                      receiverName() + ": " + condensed(screen.substr(first.start, first.length)));
    } else {
        ctx_.platform.notifier.notify("Receiver alarm cleared", receiverName() + " no longer reports an alarm");
    }
}

// "73408K on Com1", so that a rack of receivers tells its notifications apart.
std::string ShownDataAge::receiverName() const {
    const std::string& model = ctx_.state.modelName;
    return (model.empty() ? std::string("The receiver") : model) + " on Com" +
           std::to_string(ctx_.platform.serial.commPort());
}

}  // namespace kestrix
