#include "link/serial_events.h"

namespace kestrix {

namespace {
struct Entry {
    int code;
    const char* text;
    bool isError;
};
constexpr Entry kEvents[] = {
    {1001, "Break Received", false},         {1002, "CTS Timeout", true},   {1003, "DSR Timeout", true},
    {1004, "Framing Error", false},          {1006, "Overrun Error", true}, {1007, "Carrier Detect Timeout", true},
    {1008, "Receive Buffer Overflow", true}, {1009, "Parity Error", false}, {1010, "Transmit Buffer Full", true},
};
}  // namespace

SerialEventText describeSerialEvent(int commEvent) {
    if (commEvent >= 1 && commEvent <= 7) return {"", false};
    for (const Entry& e : kEvents)
        if (e.code == commEvent) return {e.text, e.isError};
    return {"Unknown error or event", true};
}

}  // namespace kestrix
