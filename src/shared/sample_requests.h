#pragma once

#include <string>

namespace kestrix {

// Queries put on the link at its idle ticks by something other than the windows' own requests:
// the trend window's samples, or the monitor's readings. The link asks at an idle tick whether one
// is due (after a waiting Control & Query command, before the view's poll), calls start() when it
// writes the query and received() when its reply ends with the accepted prompt. A query whose
// exchange ended any other way (an error prompt, a time-out, the port closed) fails: the link
// calls failed() when that exchange ends.
class SampleRequests {
public:
    virtual ~SampleRequests() = default;
    // True when a query should go out now (one per call at most; the caller then calls start()).
    virtual bool due(double utcNow) = 0;
    // The query to write; it is awaited from now on.
    virtual std::string start(double utcNow) = 0;
    virtual bool awaiting() const = 0;
    virtual void received(const std::string& reply) = 0;
    virtual void failed() = 0;
    // The port went away at `utcNow`: what is awaited fails, and requests that keep a schedule may
    // mark the break in it.
    virtual void interrupted(double /*utcNow*/) {
        if (awaiting()) failed();
    }

    // Whether the view may be polled now, and that it is: the link asks before each poll of the
    // view and tells when it sends one. Requests that do not share the line with the view's polls
    // leave them as they are.
    virtual bool viewMayPoll(double /*utcNow*/) const { return true; }
    virtual void viewPolled(double /*utcNow*/) {}
};

}  // namespace kestrix
