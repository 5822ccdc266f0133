#pragma once

#include <string>

#include "receiver-sim/receiver_state.h"

namespace kestrix::sim {

// The receiver's status screen (":syst:prin?"): 23 lines of 79 or 80 characters separated by
// carriage return and line feed, with the live time and date, the satellites in view and the
// receiver's own settings and state.
std::string statusScreen(const ReceiverState& state);

}  // namespace kestrix::sim
