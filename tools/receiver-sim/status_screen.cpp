#include "receiver-sim/status_screen.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "receiver-sim/sky.h"

namespace kestrix::sim {

namespace {

constexpr std::size_t kLeftColumn = 46;
constexpr std::size_t kRightColumn = 33;
constexpr std::size_t kLineWidth = kLeftColumn + kRightColumn;
constexpr std::size_t kSatelliteRows = 6;

std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

std::string row(const std::string& left, const std::string& right) {
    return padded(left, kLeftColumn) + padded(right, kRightColumn);
}

// "TITLE ........ [ status ]", 79 characters.
std::string banner(const std::string& title, const std::string& status) {
    const std::string head = title + " ";
    const std::string tail = " [ " + status + " ]";
    return head + std::string(kLineWidth - head.size() - tail.size(), '.') + tail;
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

enum class Mode { Locked, Recovery, Holdover, PowerUp };

std::array<std::string, 4> modeLines(Mode mode) {
    std::array<std::string, 4> lines{"   Locked to GPS", "   Recovery", "   Holdover", "   Power-up"};
    static const std::array<std::string, 4> active{">> Locked to GPS: frequency is stable",
                                                   ">> Recovery: returning to GPS lock", ">> Holdover: manual holdover",
                                                   ">> Power-up: acquiring satellites"};
    lines[static_cast<std::size_t>(mode)] = active[static_cast<std::size_t>(mode)];
    return lines;
}

Mode modeOf(const ReceiverState& state) {
    if (state.manualHoldover) return Mode::Holdover;
    if (state.recovering) return Mode::Recovery;
    return Mode::Locked;
}

std::string latitudeText(const Position& p) {
    return format("LAT      %c %3d:%02d:%06.3f", p.northSouth, p.latitudeDegrees, p.latitudeMinutes, p.latitudeSeconds);
}

std::string longitudeText(const Position& p) {
    return format("LON      %c %3d:%02d:%06.3f", p.eastWest, p.longitudeDegrees, p.longitudeMinutes,
                  p.longitudeSeconds);
}

// Tracked satellites on the left, those not tracked beside them, one row each.
std::vector<std::string> satelliteRows(const std::vector<SatelliteView>& sky) {
    std::vector<std::string> tracked, notTracked;
    for (const auto& s : sky) {
        if (s.tracked) tracked.push_back(format("%3d %3d %3d  %3d", s.prn, s.elevation, s.azimuth, s.signal));
        else notTracked.push_back(format("   %3d %3d %3d", s.prn, s.elevation, s.azimuth));
    }
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < kSatelliteRows; ++i) {
        const std::string left = i < tracked.size() ? tracked[i] : std::string(16, ' ');
        rows.push_back(i < notTracked.size() ? left + notTracked[i] : left);
    }
    return rows;
}

}  // namespace

std::string statusScreen(const ReceiverState& state) {
    const CivilTime utc = state.utcNow();
    const auto sky = skyAt(state.now(), state.elevationMask, state.ignoredSatellites);
    int trackedCount = 0;
    for (const auto& s : sky) trackedCount += s.tracked ? 1 : 0;
    const auto modes = modeLines(modeOf(state));
    const auto satellites = satelliteRows(sky);
    const double seconds = std::chrono::duration<double>(state.now().time_since_epoch()).count();
    const double interval = 32.8 + 1.5 * std::sin(seconds / 37.0);
    const bool healthy = state.status.condition(StatusRegister::Hardware) == 0;

    const std::vector<std::string> lines{
        "-------------------------------- Receiver Status -------------------------------",
        std::string(80, ' '),
        banner("SYNCHRONIZATION", "Outputs Valid"),
        row("Tempovance Mode ___________________________", "Reference Outputs _______________"),
        row(modes[0], "TFOM     3             FFOM     0"),
        row(modes[1], format("1PPS TI %+.1f ns relative to GPS", interval)),
        row(modes[2], "HOLD THR 1.000 us"),
        row(modes[3], "Holdover Uncertainty ____________"),
        row("", "Predict  11.5 us/initial 24 hrs"),
        std::string(kLineWidth, ' '),
        banner("ACQUISITION", trackedCount > 0 ? "GPS 1PPS CLK Valid" : "GPS 1PPS CLK Invalid"),
        row("Satellite Status __________________________", "Time ____________________________"),
        row(format("Tracking: %-9dNot Tracking: %d", trackedCount, static_cast<int>(sky.size()) - trackedCount),
            "UTC      " + clockText(utc) + "     " + dateText(utc)),
        row("PRN  El  Az   SS   PRN  El  Az", "1PPS CLK Synchronized to UTC"),
        row(satellites[0], format("ANT DLY  %ld ns", std::lround(state.antennaDelay * 1e9))),
        row(satellites[1], "Position ________________________"),
        row(satellites[2], state.surveying ? "MODE     Survey" : "MODE     Hold"),
        row(satellites[3], ""),
        row(satellites[4], latitudeText(state.position)),
        row(satellites[5], longitudeText(state.position)),
        row(format("ELEV MASK %d deg", state.elevationMask),
            format("HGT%21s m  (MSL)", format("%+.2f", state.position.height).c_str())),
        banner("HEALTH MONITOR", healthy ? "OK" : "ALARM"),
        "Self Test: OK  | Int Pwr: OK   Oven Pwr: OK   OCXO: OK   EFC: OK   GPS Rcv: OK ",
    };
    std::string screen;
    for (const auto& line : lines) screen += (screen.empty() ? "" : "\r\n") + line;
    return screen;
}

}  // namespace kestrix::sim
