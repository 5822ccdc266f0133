#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>

#include "platform/buffered_serial_port.h"

namespace kestrix::platform {
namespace {

// A line that takes `each` bytes a call until `room` is used up, then says it is full.
struct SlowLine {
    std::size_t each;
    std::size_t room;
    std::string got;
    long operator()(const char* bytes, std::size_t count) {
        const std::size_t taken = std::min({count, each, room - got.size()});
        if (taken == 0) {
            errno = EAGAIN;
            return -1;
        }
        got.append(bytes, taken);
        return static_cast<long>(taken);
    }
};

std::string pattern(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) text += static_cast<char>('a' + i * 7 % 26);
    return text;
}

// Bytes leave in order however the line takes them, across the queue's compaction, with bytes put
// in front and behind while it is part written.
TEST(OutputQueue, BytesLeaveInOrderWhateverTheLineTakes) {
    const std::string body = pattern(300000);
    for (const std::size_t each : {1u, 4093u, 70000u, 400000u}) {
        OutputQueue queue;
        queue.append(body.substr(0, 200000));
        SlowLine line{each, 150000, {}};
        EXPECT_EQ(queue.writeWith(std::ref(line)), 0) << each;  // full: no failure
        EXPECT_EQ(queue.size(), 50000u) << each;
        queue.append(body.substr(200000));
        queue.prepend("greeting");
        line.room = 1000000;
        EXPECT_EQ(queue.writeWith(std::ref(line)), 0);
        EXPECT_TRUE(queue.empty());
        EXPECT_EQ(line.got, body.substr(0, 150000) + "greeting" + body.substr(150000)) << each;
    }
}

TEST(OutputQueue, AFailureIsReportedAndWhatIsUnsentStays) {
    OutputQueue queue;
    queue.append("probe");
    int calls = 0;
    const int error = queue.writeWith([&](const char*, std::size_t) -> long {
        errno = ++calls == 1 ? EINTR : EPIPE;  // an interrupted call is tried again
        return -1;
    });
    EXPECT_EQ(error, EPIPE);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(queue.size(), 5u);
}

}  // namespace
}  // namespace kestrix::platform
