#include "shared/prompt_matcher.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix {
namespace {

using Result = PromptMatcher::Result;

// Feeds a text and returns the first prompt it completes, with how many characters that took.
std::pair<Result, std::size_t> firstPrompt(PromptMatcher& matcher, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Result r = matcher.feed(text[i]);
        if (r != Result::None) return {r, i + 1};
    }
    return {Result::None, text.size()};
}

TEST(PromptMatcher, RecognisesBothPromptsAfterReplyText) {
    PromptMatcher m;
    EXPECT_EQ(firstPrompt(m, "19200\r\nscpi > ").first, Result::GoodPrompt);
    m.reset();
    EXPECT_EQ(firstPrompt(m, "E-113> ").first, Result::ErrorPrompt);
    m.reset();
    EXPECT_EQ(firstPrompt(m, "E-x9Z> ").first, Result::ErrorPrompt);  // any three characters
}

TEST(PromptMatcher, StateSurvivesBetweenReads) {
    PromptMatcher m;
    EXPECT_EQ(firstPrompt(m, "abc sc").first, Result::None);
    EXPECT_EQ(m.state(), 5);
    EXPECT_EQ(firstPrompt(m, "pi >").first, Result::None);
    EXPECT_EQ(firstPrompt(m, " ").first, Result::GoodPrompt);
}

TEST(PromptMatcher, AnSThatBreaksAPromptStartsANewMatch) {
    PromptMatcher m;
    const auto [result, length] = firstPrompt(m, "scpscpi > ");
    EXPECT_EQ(result, Result::GoodPrompt);
    EXPECT_EQ(length, 10u);
    m.reset();
    EXPECT_EQ(firstPrompt(m, "E-123E-456> ").first, Result::ErrorPrompt);
}

TEST(PromptMatcher, NearMissesAreNotPrompts) {
    for (const char* text : {"E-11> x", "scpi >x", "SCPI > ", "e-113> ", "scpi  > ", "E-113 > "}) {
        PromptMatcher m;
        EXPECT_EQ(firstPrompt(m, text).first, Result::None) << text;
    }
}

}  // namespace
}  // namespace kestrix
