#include "shared/prompt_matcher.h"

namespace kestrix {

namespace {

// The character each state of "scpi > " and of the error prompt's tail expects, and where it leads.
struct Step {
    int state;
    char expected;
    int next;
};
constexpr Step kSteps[] = {
    {4, 'c', 5},   {5, 'p', 6},   {6, 'i', 7}, {7, ' ', 8}, {8, '>', 9}, {9, ' ', 15},  // scpi >
    {10, '-', 11},                                                                      // E-
    {12, '>', 13}, {13, ' ', 15},                                                       // nnn>
};

}  // namespace

void PromptMatcher::restart(char c) { state_ = c == 's' ? 4 : c == 'E' ? 10 : idle; }

PromptMatcher::Result PromptMatcher::feed(char c) {
    if (state_ == idle || state_ == complete) {
        restart(c);
        return Result::None;
    }
    if (state_ == 11) {
        if (++errorCodeCount_ == 3) state_ = 12;
        return Result::None;
    }
    for (const Step& step : kSteps) {
        if (step.state != state_) continue;
        if (c != step.expected) {
            restart(c);
            return Result::None;
        }
        const bool errorPrompt = state_ == 13;
        state_ = step.next;
        if (state_ == 11) errorCodeCount_ = 0;
        if (state_ == complete) return errorPrompt ? Result::ErrorPrompt : Result::GoodPrompt;
        return Result::None;
    }
    restart(c);
    return Result::None;
}

}  // namespace kestrix
