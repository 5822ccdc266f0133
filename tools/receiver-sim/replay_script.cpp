#include "receiver-sim/replay_script.h"

#include <cctype>
#include <utility>

namespace kestrix::sim {

namespace {

std::string commandKey(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = line.find_last_not_of(" \t");
    std::string key = line.substr(first, last - first + 1);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

ReplayScript::ReplayScript(const std::vector<RecordedChunk>& chunks) {
    std::string line;
    bool afterCr = false;
    for (const RecordedChunk& chunk : chunks) {
        if (chunk.direction == TrafficDirection::Received) {
            if (current_) *current_ += chunk.bytes;
            continue;
        }
        for (char c : chunk.bytes) {
            const bool lfAfterCr = c == '\n' && afterCr;
            afterCr = c == '\r';
            if (lfAfterCr) continue;  // CR LF ends one line
            if (c == '\r' || c == '\n') commandEnded(std::exchange(line, {}));
            else line += c;
        }
    }
    current_ = nullptr;
    for (const auto& [key, recorded] : answers_)
        for (const std::string& reply : recorded.replies)
            if (!key.empty() && commandKey(reply.substr(0, key.size())) == key) echoes_ = true;
}

void ReplayScript::commandEnded(const std::string& line) {
    Answers& recorded = answers_[commandKey(line)];
    recorded.replies.emplace_back();
    current_ = &recorded.replies.back();
}

const std::string* ReplayScript::answer(const std::string& line) {
    const auto found = answers_.find(commandKey(line));
    if (found == answers_.end()) return nullptr;
    Answers& recorded = found->second;
    const std::string& reply = recorded.replies[recorded.next];
    if (recorded.next + 1 < recorded.replies.size()) ++recorded.next;
    return &reply;
}

}  // namespace kestrix::sim
