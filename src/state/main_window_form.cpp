#include "state/main_window_form.h"

#include <algorithm>

namespace kestrix {

Form1::Form1() : Window("Form1", "Morvandelle Kestrix") {
    geometry = {1000, 600, 10000, 6600};
    font = {"Courier New", 9.0f, false, false};

    Label1.font = {"MS Sans Serif", 8.25f, false, true};
    Label1.geometry = {120, 45, 9600, 225};
    Line1.geometry = {0, 300, 9840, 0};
    Line1.x1 = 0;
    Line1.y1 = 300;
    Line1.x2 = 9840;
    Line1.y2 = 300;
    Term.font = {"Courier New", 9.0f, false, false};
    Term.multiLine = true;
    Term.geometry = {0, 300, 9840, 5600};
    TextInvisible.visible = false;
    TextInvisible.geometry = {0, 0, 100, 100};
    alarmMark.caption = "ALARM";
    alarmMark.toolTip = "The receiver's status screen reports an alarm";
    alarmMark.font = {"MS Sans Serif", 8.25f, false, true};
    alarmMark.centered = true;
    alarmMark.alarmColours = true;
    alarmMark.visible = false;
    placeAlarmMark();
    controls = {&Label1, &Line1, &Term, &TextInvisible, &alarmMark};

    MFile.items = {&mnuFilePrint, &MFileRecord, &hyph19, &MFileExit};
    mnuEdit.items = {&mnuEditItem};
    MPort.items = {&MOpen, &MSettings};
    mnuFunction.items = {&funcStatus,         &funcClock, &funcTermEmul,  &FuncCustUpdate, &hyph2,    &disableUpdates,
                         &alarmNotifications, &hyph3,     &CustomCommand, &hyph4,          &demoMode, &hyph21,
                         &funcControlQuery,   &funcTrend};
    MStyle.items = {&MStyleFont, &MClockFont};
    helpMenu.items = {&helpMenuItem, &hyph20, &mnuAbout};
    menuBar = {&MFile, &mnuEdit, &MPort, &mnuFunction, &MStyle, &helpMenu};
    funcStatus.checked = true;

    Timer1.intervalMs = 1;
    Timer1.enabled = true;
    ageTimer.intervalMs = 250;
    ageTimer.enabled = true;
    reopenTimer.intervalMs = 1;
    reopenTimer.enabled = false;
    recordNoticeTimer.intervalMs = 1;
    timers = {&Timer1, &ageTimer, &reopenTimer, &recordNoticeTimer};
}

void Form1::placeAlarmMark() {
    constexpr int kWidth = 900;
    const int right = innerWidth() > 0 ? innerWidth() : geometry.width;
    alarmMark.geometry = {std::max(0, right - kWidth - 60), 30, kWidth, 240};
}

}  // namespace kestrix
