#pragma once

#include <array>
#include <vector>

namespace kestrix::platform {

// Watches the line-error counters (Linux TIOCGICOUNT) and the modem lines (TIOCMGET) of an open
// serial device and tells what changed since the last look as serial-port event codes. A device
// that keeps neither (a pseudo-terminal) simply reports nothing.
class LineEventWatch {
public:
    // Takes the present counts and line states as the starting point.
    void start(int fd);
    // The event codes of what changed since the previous look: line errors first, then modem lines.
    std::vector<int> changes(int fd);
    // The device answered for its counters or its modem lines at the last look.
    bool reports() const { return countsKept_ || linesKept_; }

private:
    bool readCounts(int fd, std::array<int, 5>& counts);
    bool readLines(int fd, int& lines);

    bool countsKept_ = false;
    bool linesKept_ = false;
    std::array<int, 5> counts_{};
    int lines_ = 0;
};

}  // namespace kestrix::platform
