#pragma once

#include "state/context.h"

namespace kestrix {

// The two dialogs the download preparation shows from inside the tick. Each is shown modally and
// reports the button pressed; the preparation decides what follows.
enum class EchoKillAnswer {
    Ok,      // "OK": go on and turn the receiver's echo off
    Closed,  // closed without a button
};
enum class ChangeBaudAnswer {
    SetTo19200,  // "Yes, Set Baud to 19200"
    LeaveAsIs,   // "No, leave as is"
    Closed,      // closed without a button
};

EchoKillAnswer askToTurnEchoOff(Context& ctx);
ChangeBaudAnswer askToChangeBaud(Context& ctx);

// Makes each button of the two dialogs close its dialog.
void wirePreparationDialogs(Context& ctx);

}  // namespace kestrix
