#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shared/controls.h"
#include "state/context.h"

namespace kestrix {

// What the polled views show: the status screen or a custom command's reply in the main
// window, and the receiver's time in the clock window.
enum class ShownData { StatusScreen, CustomReply, Clock };

// The command whose reply is the receiver's status screen.
inline constexpr std::string_view kStatusScreenCommand = ":syst:prin?";

// What the reply to a view's poll shows: the clock, unless it goes to the main window, where it is
// the status screen when the command asks for that (whatever view sent it).
ShownData polledData(bool toMainWindow, std::string_view command);

// The text a line holds when the receiver reports an alarm on it.
inline constexpr std::string_view kAlarmBanner = "[ ALARM ]";

// The lines of a status screen that report an alarm, each without its line end.
std::vector<TextRange> alarmLines(std::string_view screen);

// How old `ageSeconds` is, as the stale note says it: "12 s", "4 min", "2 h 5 min".
std::string ageText(double ageSeconds);

// Where "Receiver.INI" keeps the Function menu's "Alarm Notifications" check mark (1 checked;
// missing or any other value unchecked), in a section nothing else uses.
inline constexpr const char* kAlarmNotificationsSection = "Alarm Notifications";
inline constexpr const char* kAlarmNotificationsKey = "Desktop";

// Keeps what the views show honest about its age, and makes an alarm stand out.
//
// A shown reply is old when neither it nor a poll sent to renew it is younger than that poll's
// time-out (the reply to a poll is due within it), or as soon as the port closes. Old data keeps
// its text; its control carries a note saying when it was last updated and how long ago, until
// the next reply renews it. The status line is not touched.
//
// Each status screen shown (not a custom command's reply) is searched for alarm lines: they are highlighted in the
// screen, and the main window's alarm mark is shown until a screen without one arrives. With the "Alarm Notifications"
// check mark on, the desktop is told when the mark appears and when it goes.
class ShownDataAge {
public:
    explicit ShownDataAge(Context& context);
    // Gives the main window's age timer its tick and its demand, and the "Alarm Notifications"
    // check mark its handler and its stored state.
    void wire();
    // The alarm notifications' menu entry: the choice is kept in the settings file at once.
    void toggleAlarmNotifications();

    // The link wrote a poll for `which`, whose reply is due within `timeoutSeconds`.
    void polled(ShownData which, int timeoutSeconds);
    // A reply (or demo mode) has just been put on show.
    void refreshed(ShownData which);
    // The port closed: whatever is shown is old from now on.
    void portClosed();

    // Brings the notes up to date with the clock.
    void update();
    // When the next note changes: at the time-out of fresh data, at the next change of an age.
    // A tick that changed a note asks for it to be drawn.
    TickDemand nextTickDue();

private:
    struct Shown {
        bool present = false;       // a reply has been shown since the view was chosen
        double updatedAt = 0;       // UTC seconds of the last reply shown
        std::string updatedClock;   // its local time of day, hh:mm:ss
        double renewalAskedAt = 0;  // UTC seconds of the last poll for it
        int timeoutSeconds = 6;
        bool portClosed = false;
    };
    Shown& record(ShownData which);
    Control& display(ShownData which);
    bool isOld(const Shown& shown, double now) const;
    void updateOne(ShownData which, double now);
    void showAlarms();
    std::string receiverName() const;

    Context& ctx_;
    Shown status_;
    Shown clock_;
    bool noteChanged_ = false;  // since the last demand
};

}  // namespace kestrix
