#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "shared/session_record.h"

namespace kestrix::sim {

// A recorded session played back as a receiver: each command line gets what the recorded
// receiver sent after it, up to the next command line. A command asked several times gets its
// recorded answers in order, then the last again. Commands match without regard to case or to
// the blanks around them.
class ReplayScript {
public:
    explicit ReplayScript(const std::vector<RecordedChunk>& chunks);

    // The recorded answer, or nothing for a command the record does not hold.
    const std::string* answer(const std::string& line);
    // The recorded receiver echoed what it received (its answers open with the command).
    bool echoes() const { return echoes_; }
    std::size_t commandCount() const { return answers_.size(); }

private:
    struct Answers {
        std::vector<std::string> replies;
        std::size_t next = 0;
    };
    void commandEnded(const std::string& line);

    std::map<std::string, Answers> answers_;
    std::string* current_ = nullptr;  // the reply being collected
    bool echoes_ = false;
};

}  // namespace kestrix::sim
