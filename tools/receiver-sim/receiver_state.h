#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "receiver-sim/civil_time.h"
#include "receiver-sim/flash_memory.h"
#include "receiver-sim/line_settings.h"
#include "receiver-sim/oscillator.h"
#include "receiver-sim/sim_options.h"
#include "receiver-sim/status_system.h"

namespace kestrix::sim {

// The command language the receiver runs: its normal firmware, or the boot code that takes a
// firmware download.
enum class Language { Primary, Install };

// A position as the receiver takes and reports it: hemisphere, degrees, minutes, seconds, and
// height above mean sea level in metres.
struct Position {
    char northSouth = 'N';
    int latitudeDegrees = 37, latitudeMinutes = 19;
    double latitudeSeconds = 32.124;
    char eastWest = 'W';
    int longitudeDegrees = 121, longitudeMinutes = 59;
    double longitudeSeconds = 51.872;
    double height = 71.12;
};

struct SerialPortState {
    LineSettings line;
    bool echo = false;
};

// Year, month, day or hour, minute, second, as the setting commands take them.
using Triple = std::array<int, 3>;

// Everything the receiver remembers. The command handlers read and change it; the line
// handling around it lives in ReceiverModel.
struct ReceiverState {
    using Clock = std::function<TimePoint()>;

    ReceiverState(const SimOptions& options, Clock clock);

    TimePoint now() const { return clock(); }
    std::chrono::minutes zoneOffset() const {
        return std::chrono::minutes{zoneHours * 60 + (zoneHours < 0 ? -zoneMinutes : zoneMinutes)};
    }
    CivilTime utcNow() const { return civilTime(now()); }
    CivilTime localNow() const { return civilTime(now(), zoneOffset()); }
    SerialPortState& port(int number) { return ports[static_cast<std::size_t>(number == 2 ? 1 : 0)]; }
    const SerialPortState& port(int number) const { return ports[static_cast<std::size_t>(number == 2 ? 1 : 0)]; }
    SerialPortState& portInUse() { return port(serialPort); }
    const SerialPortState& portInUse() const { return port(serialPort); }
    bool isModel73408K() const { return identity.model == "73408K"; }
    void addLogEntry(const std::string& text);
    // Makes exactly these hardware status bits faulty, each change noted in the diagnostic log.
    void setHardwareFaults(std::uint16_t faults);
    // Sets the enable masks so that hardware faults and questionable events raise the service
    // request (through the operation and questionable summaries of the status byte).
    void enableAlarmOnFaults();

    Clock clock;
    TimePoint poweredOn;
    Identity identity;
    std::array<SerialPortState, 2> ports;
    int serialPort = 1;
    Language language = Language::Primary;
    FlashMemory flash;
    std::chrono::milliseconds eraseTime{0};
    StatusSystem status;

    // Positioning and tracking.
    double antennaDelay = 250e-9;  // seconds
    int elevationMask = 10;        // degrees
    std::set<int> ignoredSatellites;
    Triple initialDate{2024, 1, 1};
    Triple initialTime{0, 0, 0};
    Position initialPosition;
    Position position;
    Position lastHeldPosition;
    bool surveying = false;
    bool surveyOnPowerUp = false;

    // Synchronisation.
    DisciplinedOscillator oscillator;
    bool manualHoldover = false;
    bool recovering = false;

    // Time of day.
    int zoneHours = 0, zoneMinutes = 0;
    int leapSeconds = 18;

    std::vector<std::string> diagnosticLog;

    // Timestamp inputs and the time-of-day output (model 73408K).
    bool keepFirstTimestamps = false;
    std::array<TimePoint, 3> timestampsClearedAt{};
    bool todPeriodic = false;
    int todPeriod = 1;
    Triple todStartTime{0, 0, 0};
    Triple todStartDate{2024, 1, 1};
};

}  // namespace kestrix::sim
