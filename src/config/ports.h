#pragma once

#include <array>
#include <string>

#include "platform/profile.h"

namespace kestrix::config {

// The serial devices behind COM1 to COM4: keys "Com1" to "Com4" of the settings file's "Ports"
// section, by default /dev/ttyS0 to /dev/ttyS3. A key that is missing or empty keeps its default.
// The program writes a slot only when the user chose another device for it in Communication
// Settings (when it ends, the section's other lines kept as the user wrote them).
std::array<std::string, 4> comPortPaths(platform::Profile& profile);

// Key "Reopen" of the "Ports" section: a port that goes away by itself is opened again as soon
// as it is back, unless the key is 0.
bool reopenLostPort(platform::Profile& profile);

}  // namespace kestrix::config
