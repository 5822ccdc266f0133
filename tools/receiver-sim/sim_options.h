#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "receiver-sim/line_settings.h"

namespace kestrix::sim {

class ReplayScript;

// Who the receiver says it is ("*idn?").
struct Identity {
    std::string manufacturer = "Morvandelle";
    std::string model = "73408K";
    std::string serialNumber = "MDL-26-00417";
    std::string firmware = "R7.c";
};

// Everything a test or the command line can choose about the simulated receiver. The fault
// counters count lines from the moment the options are set; a line is anything ended by a line
// end, a bare line end included.
struct SimOptions {
    Identity identity;
    // The receiver's own speed and framing on the port it talks on.
    LineSettings line;
    // The receiver's serial port in use, 1 or 2 ("syst:comm?").
    int serialPort = 1;
    // The receiver echoes what it receives from the start.
    bool echoAtStart = false;
    // How long "diag:eras" takes before its prompt.
    std::chrono::milliseconds eraseTime{2000};
    // The receiver powers up with its alarm set to hardware faults and questionable events: the
    // enable masks a site sets so that these raise the service request.
    bool alarmOnFaults = false;
    // The hardware status bits (0 to 12) that are at fault. A bit that becomes faulty, at power-on
    // or later, rises in the hardware condition register and latches as an event through the
    // positive-transition filter; a bit that is mended falls, through the negative one.
    std::uint16_t hardwareFaults = 0;

    // When set, the receiver plays back a recorded session instead of answering on its own; a
    // command the record does not hold gets the undefined-header error.
    std::shared_ptr<ReplayScript> replay;

    // Faults. The counters are decremented as lines arrive; 0 is off.
    int silentLines = 0;           // the next N lines are lost: no echo, no effect, no reply
    bool silent = false;           // every line is lost while this is set
    int errorOnLine = 0;           // the Nth line from now is answered with an error prompt
    double errorFraction = 0.0;    // this share of lines is answered with an error prompt (evenly spread)
    int injectedErrorCode = -310;  // the error those lines put in the error queue
    int garbageBeforeReply = 0;    // noise bytes sent before every reply
    int hangUpOnLine = 0;          // the Nth line from now closes the line instead of being answered
    int lateLines = 0;             // the next N lines are answered lateBy later, as by a busy receiver
    std::chrono::milliseconds lateBy{0};

    // Timing of the output, applied by the pseudo-terminal server.
    int chunkSize = 0;                        // bytes per write; 0 writes everything at once
    std::chrono::milliseconds chunkPause{0};  // pause between chunks
    bool emulateLineSpeed = false;            // characters flow at the line's rate in both directions
};

}  // namespace kestrix::sim
