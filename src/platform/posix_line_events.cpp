#include "platform/posix_line_events.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "platform/serial_port.h"

namespace kestrix::platform {

namespace {

struct CounterEvent {
    int serial_icounter_struct::*counter;
    int code;
};

// In the order of kCounterEvents; counts_ holds the counters in this order.
constexpr std::array<CounterEvent, 5> kCounterEvents{{
    {&serial_icounter_struct::frame, comm::erFrame},
    {&serial_icounter_struct::overrun, comm::erOverrun},
    {&serial_icounter_struct::parity, comm::erRxParity},
    {&serial_icounter_struct::brk, comm::erBreak},
    {&serial_icounter_struct::buf_overrun, comm::erRxOver},
}};

struct LineEvent {
    int line;
    int code;
};

constexpr std::array<LineEvent, 4> kLineEvents{{
    {TIOCM_CTS, comm::evCTS},
    {TIOCM_DSR, comm::evDSR},
    {TIOCM_CD, comm::evCD},
    {TIOCM_RI, comm::evRing},
}};

int retryingIoctl(int fd, unsigned long request, void* argument) {
    int result;
    do result = ioctl(fd, request, argument);
    while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

bool LineEventWatch::readCounts(int fd, std::array<int, 5>& counts) {
    serial_icounter_struct raw{};
    if (retryingIoctl(fd, TIOCGICOUNT, &raw) != 0) return false;
    for (std::size_t i = 0; i < kCounterEvents.size(); ++i) counts[i] = raw.*kCounterEvents[i].counter;
    return true;
}

bool LineEventWatch::readLines(int fd, int& lines) { return retryingIoctl(fd, TIOCMGET, &lines) == 0; }

void LineEventWatch::start(int fd) {
    countsKept_ = readCounts(fd, counts_);
    linesKept_ = readLines(fd, lines_);
}

std::vector<int> LineEventWatch::changes(int fd) {
    std::vector<int> codes;
    std::array<int, 5> counts{};
    if (countsKept_) countsKept_ = readCounts(fd, counts);
    if (countsKept_) {
        for (std::size_t i = 0; i < kCounterEvents.size(); ++i)
            if (counts[i] != counts_[i]) codes.push_back(kCounterEvents[i].code);
        counts_ = counts;
    }
    int lines = 0;
    if (linesKept_) linesKept_ = readLines(fd, lines);
    if (linesKept_) {
        for (const auto& e : kLineEvents)
            if ((lines ^ lines_) & e.line) codes.push_back(e.code);
        lines_ = lines;
    }
    return codes;
}

}  // namespace kestrix::platform
