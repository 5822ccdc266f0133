#pragma once

#include <string>

namespace kestrix {

// What a serial-port event or error code means to the user.
struct SerialEventText {
    std::string text;  // empty for the ordinary events that need no action
    bool isError;      // an error beeps; an event does not
};

SerialEventText describeSerialEvent(int commEvent);

}  // namespace kestrix
