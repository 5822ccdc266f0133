// The Telnet / COM-PORT-OPTION decoder of network serial ports under whatever a server may send.
// The input is a stream of reads: each starts with a byte giving its length (0 to 255).
//
// Invariants, beyond "no crash":
//   - the same stream gives the same data, answers and events however the reads split it;
//   - the data never holds more bytes than arrived, and the answers no more than the commands
//     that asked for them (an unwanted option is refused once), so talking cannot make the
//     client's memory grow faster than the server sends;
//   - the program's data, escaped and read back by a fresh decoder, is exactly what was sent.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/rfc2217_protocol.h"

namespace {

using kestrix::platform::Rfc2217Protocol;

struct Result {
    std::string data;
    std::string answers;
    std::vector<int> events;
};

Result decode(const std::vector<std::string>& reads) {
    Rfc2217Protocol telnet(Rfc2217Protocol::Clock::time_point{});
    Result r;
    for (const std::string& read : reads) telnet.receive(read, {}, r.data, r.answers, r.events);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrix::fuzz::require;
    kestrix::fuzz::Input in{data, size};
    std::vector<std::string> reads;
    std::string whole;
    while (!in.empty()) {
        reads.push_back(in.bytes(in.byte()));
        whole += reads.back();
    }

    const Result split = decode(reads);
    const Result once = decode({whole});
    require(split.data == once.data, "data depends on how the reads split the stream");
    require(split.answers == once.answers, "answers depend on how the reads split the stream");
    require(split.events == once.events, "events depend on how the reads split the stream");
    require(split.data.size() <= whole.size(), "more data than arrived");
    require(split.answers.size() <= whole.size(), "answers outgrow the commands that asked for them");

    const Result back = decode({Rfc2217Protocol::escaped(whole)});
    require(back.data == whole && back.answers.empty() && back.events.empty(), "escaped data does not read back");
    return 0;
}
