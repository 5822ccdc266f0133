// The terminal view's tick and demo mode's tick.

#include <array>
#include <cstdio>

#include "link/link_engine.h"
#include "link/shown_data_age.h"
#include "platform/platform.h"
#include "shared/numbers.h"
#include "state/display_forms.h"
#include "state/main_window_form.h"

namespace kestrix {

namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string clockText(const platform::DateTime& t) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buffer;
}

std::string dateText(const platform::DateTime& t) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02d %s %04d", t.day, kMonths[(t.month + 11) % 12], t.year);
    return buffer;
}

// The status screen demo mode shows, with the current time and date in its thirteenth line.
std::string cannedStatusScreen(const platform::DateTime& t) {
    const std::array<std::string, 23> lines{
        "-------------------------------- Receiver Status -------------------------------",
        std::string(80, ' '),
        "SYNCHRONIZATION ............................................. [ Outputs Valid ]",
        "Tempovance Mode ___________________________   Reference Outputs _______________",
        ">> Locked to GPS: frequency is stable         TFOM     3             FFOM     0",
        "   Recovery                                   1PPS TI +32.8 ns relative to GPS ",
        "   Holdover                                   HOLD THR 1.000 us                ",
        "   Power-up                                   Holdover Uncertainty ____________",
        "                                              Predict  11.5 us/initial 24 hrs  ",
        std::string(79, ' '),
        "ACQUISITION ............................................ [ GPS 1PPS CLK Valid ]",
        "Satellite Status __________________________   Time ____________________________",
        "Tracking: 6        Not Tracking: 1            UTC      " + clockText(t) + "     " + dateText(t),
        "PRN  El  Az   SS   PRN  El  Az                1PPS CLK Synchronized to UTC     ",
        "  5  47 168  118    25  10 302                ANT DLY  250 ns                  ",
        "  6  51 314  142                              Position ________________________",
        " 16  51 100  109                              MODE     Hold                    ",
        " 17  22 238   81                                                               ",
        " 20  70 252  147                              LAT      N  37:19:32.124         ",
        " 24  29  48   77                              LON      W 121:59:51.872         ",
        "ELEV MASK 10 deg                              HGT               +71.12 m  (MSL)",
        "HEALTH MONITOR ......................................................... [ OK ]",
        "Self Test: OK  | Int Pwr: OK   Oven Pwr: OK   OCXO: OK   EFC: OK   GPS Rcv: OK ",
    };
    std::string screen;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) screen += "\r\n";
        screen += lines[i];
    }
    return screen;
}

}  // namespace

void LinkEngine::terminalTick() {
    LinkState& s = ctx_.state;
    Label& label = ctx_.forms.form1.Label1;
    platform::SerialPort& port = ctx_.platform.serial;
    if (!s.termReady) {
        label.caption = "Terminal Emulation Mode Ready";
        s.termReady = true;
    }
    port.setInputLen(0);
    bool flush = false;
    if (port.inBufferCount() > 0) {
        v_.receiveText += port.input();
        s.termIdleTicks = 0;
        label.caption = "Terminal Mode: receiving response";
        v_.exchangeStart = now();
    } else {
        const long current = now();
        if (++s.termIdleTicks > 1) {
            if (s.termResponsePending) {
                s.termResponsePending = false;
                v_.exchangeStart = now();
                label.caption = "In Kestrix Terminal Mode";
            }
            if (elapsedSince(v_.exchangeStart, current) > 2) label.caption = "In Kestrix Terminal Mode";
            flush = true;
            s.termIdleTicks = 0;
        }
    }
    // A receiver that never pauses would otherwise make the held text grow without end.
    if (v_.receiveText.size() > kMaxReplyLength) flush = true;
    if (flush && s.termReady && !v_.receiveText.empty()) {
        ctx_.forms.frmTerminal.appendText(v_.receiveText, TerminalPlace::AfterSelection);
        v_.receiveText.clear();
    }
}

void LinkEngine::demoTick() {
    FormRefs& forms = ctx_.forms;
    Label& label = forms.form1.Label1;
    const platform::DateTime t = ctx_.platform.clock.now();
    if (forms.form1.funcStatus.checked) {
        if (label.caption == "requesting status") {
            label.caption = "received status";
            forms.form1.Term.setText(v_.demoScreen);
            if (shownAge) shownAge->refreshed(ShownData::StatusScreen);
        } else {
            label.caption = "requesting status";
            v_.demoScreen = cannedStatusScreen(t);
        }
    } else if (label.caption == "requesting clock") {
        label.caption = "received clock";
    } else {
        forms.frmClock.lblClock.caption = clockText(t);
        if (shownAge) shownAge->refreshed(ShownData::Clock);
        label.caption = "requesting clock";
    }
}

}  // namespace kestrix
