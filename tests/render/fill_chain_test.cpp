#include "render/fill_chain.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/params/params.h"

namespace {

std::string choiceWord(PatchSource source) {
    switch (source) {
        case PatchSource::Existing:
            return "Existing";
        case PatchSource::OneFrame:
            return "+/-1Frame";
        case PatchSource::ThreeFrames:
            return "+/-3Frames";
        case PatchSource::AdjacentBlur:
            return "Adjacentblur";
        case PatchSource::SetColour:
            return "Setcolor";
        default:
            return "?";
    }
}

// The table says what the control's choices say: each name lists its
// chain's sources in order, joined by ">" (spaces aside).
TEST(FillChains, AreTheControlsChoicesInOrder) {
    const std::string choices = paramSpec(PARAM_FILL_WITH).choices;
    std::size_t start = 0;
    for (A_long n = 1; n <= FILL_CHAIN_COUNT; ++n) {
        const std::size_t end = choices.find('|', start);
        ASSERT_NE(end, std::string::npos) << "chain " << n;
        std::string shown;
        for (char c : choices.substr(start, end - start))
            if (c != ' ') shown += c;
        start = end + 1;
        std::string sources;
        for (PatchSource s : fillChainOf(n).sources)
            if (s != PatchSource::None) sources += (sources.empty() ? "" : ">") + choiceWord(s);
        EXPECT_EQ(shown, sources) << "chain " << n;
    }
    EXPECT_EQ(start, choices.size()) << "the control has more choices than the table";
}

TEST(FillChains, WhatTheRenderPreparesFollowsFromTheSources) {
    EXPECT_TRUE(fillChainOf(3).readsCurrentFrame);
    EXPECT_EQ(fillChainOf(3).frameReach, 1);
    EXPECT_FALSE(fillChainOf(3).blurs);
    EXPECT_FALSE(fillChainOf(9).readsCurrentFrame);
    EXPECT_EQ(fillChainOf(9).frameReach, 3);
    EXPECT_TRUE(fillChainOf(9).blurs);
    EXPECT_EQ(fillChainOf(1).frameReach, 0);
    // Any value outside 1..10 is chain 10.
    EXPECT_EQ(&fillChainOf(0), &fillChainOf(10));
    EXPECT_EQ(&fillChainOf(11), &fillChainOf(10));
}

}  // namespace
