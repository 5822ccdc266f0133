#pragma once

#include <string>

// The link state shared between the windows, and who writes each field. "Link" is the main
// window's link engine (src/link); every exchange it runs ends in LinkEngine::endExchange. What
// only one part uses lives in that part: the link's own variables in link/link_engine.h
// (LinkVariables), the transfer's in download/firmware_download.h (TransferVariables).
//
// | Field                      | Set by                                    | Cleared or reset by                      |
// |----------------------------|-------------------------------------------|------------------------------------------|
// | portIsOpen                 | Link: Port Open                           | Link: Port Open, a port that went away   |
// | portLosses                 | Link: a port that went away (counted)     | never                                    |
// | currentCommand             | Control & Query: Send; Link: polls and    | never (overwritten)                      |
// |                            | a group's queries                         |                                          |
// | sendRequest                | Control & Query: Send, a query group;     | Link, when it writes the command         |
// |                            | Link: a group's next query                |                                          |
// | queryGroup, queryIndex     | Control & Query: starting a group;        | Link: the group's end, or its command    |
// |                            | Link: advancing the index                 | getting no response                      |
// | groupError                 | Link: a group's query got an error text   | Link's reply hand-over; a group starting |
// | heldQueryGroup             | Control & Query: a status-system selection| Link's reply hand-over, starting the     |
// |                            | while a command's reply is outstanding    | group                                    |
// | downloadPrep               | Download window: a download starts        | Download window: it ends or is stopped   |
// | prepStep                   | Download window: kPrepFindSerialPort;     | Download window                          |
// |                            | Link: each step's reply, the error rule   |                                          |
// | modelName                  | Link: identification                      | never (overwritten)                      |
// |                            | (read by the alarm notifications)         |                                          |
// | readyToDownload            | Link: the flash is erased                 | Download window: it starts sending       |
// | downloadBurst              | Link: the flash is erased                 | never                                    |
// | termLineBuffer             | Terminal window: typing, pasting          | Terminal window: Enter; terminal view    |
// | termReady                  | Link's terminal tick; Terminal window:    | any view being chosen                    |
// |                            | typing                                    |                                          |
// | termIdleTicks              | Link's terminal tick                      | Terminal window, Control & Query: sending|
// | termResponsePending        | Terminal window, Control & Query: sending | Link's terminal tick                     |

namespace kestrix {

// The steps of the download preparation (LinkState::prepStep), in the order they run. The
// download window starts at kPrepFindSerialPort; the link advances the step.
inline constexpr int kPrepFindSerialPort = -4;  // "syst:comm?": which of the receiver's ports is ours
inline constexpr int kPrepCheckEcho = -3;       // the echo query
inline constexpr int kPrepTurnEchoOff = -2;     // echo off, after the user was told
inline constexpr int kPrepCheckSpeed = -1;      // the speed query
inline constexpr int kPrepSetSpeed = 0;         // 19200 on both ends, then the speed query again
inline constexpr int kPrepBootLanguage = 1;     // the receiver's boot language
inline constexpr int kPrepEraseFlash = 2;       // erasing the flash
inline constexpr int kPrepDone = 3;             // the download window owns the line

// The link state shared between the windows, with the start values the program begins with.
struct LinkState {
    // Scheduler and Control & Query.
    bool portIsOpen = false;
    // Times the port went away by itself: a download under way when it changes has ended.
    unsigned long portLosses = 0;
    std::string currentCommand;
    bool sendRequest = false;
    int queryGroup = 0;
    int queryIndex = 0;
    bool groupError = false;
    // A status-system selection made while a single command's reply was outstanding (0: none).
    // Set by the selection (console/command_menus.cpp); the hand-over of that reply starts the
    // group and clears it (link/reply_handover.cpp).
    int heldQueryGroup = 0;
    bool downloadPrep = false;

    // Connection and download preparation.
    std::string modelName;  // from the identity reply
    int prepStep = 0;
    bool readyToDownload = false;
    int downloadBurst = 10;

    // Terminal view.
    std::string termLineBuffer;
    bool termReady = false;
    int termIdleTicks = 0;
    bool termResponsePending = false;

    friend bool operator==(const LinkState&, const LinkState&) = default;
};

}  // namespace kestrix
