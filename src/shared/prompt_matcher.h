#pragma once

namespace kestrix {

// Recognises the receiver's two prompts in a stream of characters: "scpi > " after an accepted
// command, and "E-", three characters, "> " after a rejected one. The state survives between
// reads, so a prompt split across reads is still recognised. Comparisons are case-sensitive.
class PromptMatcher {
public:
    enum class Result { None, GoodPrompt, ErrorPrompt };

    static constexpr int idle = 3;
    static constexpr int complete = 15;

    Result feed(char c);
    // A character that breaks a prompt starts a new match on itself: "s" and "E" can begin one.
    void restart(char c);
    void reset() { state_ = idle; }
    int state() const { return state_; }

    friend bool operator==(const PromptMatcher&, const PromptMatcher&) = default;

private:
    int state_ = idle;
    int errorCodeCount_ = 0;
};

}  // namespace kestrix
