#pragma once

#include "shared/controls.h"

namespace kestrix {

// The main window: status band, the receiver's status screen, the serial link's timer and menus.
struct Form1 : Window {
    Form1();

    Label Label1{"Label1"};
    Line Line1{"Line1"};
    TextBox Term{"Term"};
    TextBox TextInvisible{"TextInvisible"};
    // At the right of the band, shown while the receiver's status screen reports an alarm.
    Label alarmMark{"alarmMark"};
    Timer Timer1;
    // Ages what the views show: a shown reply that is not renewed in time is marked old.
    Timer ageTimer;
    Timer reopenTimer;  // tries again to open a port that went away; runs only while it waits
    // Runs once, after the tick in which a session record could not be written, to tell the user.
    Timer recordNoticeTimer;

    MenuItem MFile{"MFile", "&File"};
    MenuItem mnuFilePrint{"mnuFilePrint", "Print Status Info..."};
    // A check mark: the line's traffic is being written to a session record.
    MenuItem MFileRecord{"MFileRecord", "Record Session..."};
    MenuItem hyph19 = MenuItem::separator("hyph19");
    MenuItem MFileExit{"MFileExit", "E&xit"};

    MenuItem mnuEdit{"mnuEdit", "&Edit"};
    MenuItem mnuEditItem{"mnuEditItem", "&Copy to Clipboard", "Ctrl+C"};

    MenuItem MPort{"MPort", "&CommPort"};
    MenuItem MOpen{"MOpen", "Port &Open"};
    MenuItem MSettings{"MSettings", "&Settings..."};

    MenuItem mnuFunction{"mnuFunction", "F&unction"};
    MenuItem funcStatus{"funcStatus", "&Status"};
    MenuItem funcClock{"funcClock", "&Clock"};
    MenuItem funcTermEmul{"funcTermEmul", "&Terminal Emulator"};
    MenuItem FuncCustUpdate{"FuncCustUpdate", "C&ustom Update"};
    MenuItem hyph2 = MenuItem::separator("hyph2");
    MenuItem disableUpdates{"disableUpdates", "&Disable Updates"};
    // A check mark: the desktop is told when an alarm appears and when it clears.
    MenuItem alarmNotifications{"alarmNotifications", "Alarm &Notifications"};
    MenuItem hyph3 = MenuItem::separator("hyph3");
    MenuItem CustomCommand{"CustomCommand", "Co&mmand to Update..."};
    MenuItem hyph4 = MenuItem::separator("hyph4");
    MenuItem demoMode{"demoMode", "Demo &Mode"};
    MenuItem hyph21 = MenuItem::separator("hyph21");
    MenuItem funcControlQuery{"funcControlQuery", "Control && &Query"};
    MenuItem funcTrend{"funcTrend", "T&rend..."};

    MenuItem MStyle{"MStyle", "&Style"};
    MenuItem MStyleFont{"MStyleFont", "&Status Font..."};
    MenuItem MClockFont{"MClockFont", "&Clock Font..."};

    MenuItem helpMenu{"helpMenu", "&Help"};
    MenuItem helpMenuItem{"helpMenuItem", "&Help..."};
    MenuItem hyph20 = MenuItem::separator("hyph20");
    MenuItem mnuAbout{"mnuAbout", "&About..."};

    // Where the alarm mark stands: at the right end of the band, whatever the window's width.
    void placeAlarmMark();
};

}  // namespace kestrix
