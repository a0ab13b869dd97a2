// EdgeGaps: the bitwise gap bridging against the per-pixel form, on generated
// frames and on hand-made masks, for gap distances from 1 to 30.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "detect/edge_gaps.h"
#include "random_masks.h"
#include "reference/detect/edge_gaps.h"
#include "support/stage_support.h"

namespace {

void expectSameBridging(AnalysisState &state, A_long gap) {
    state.runReferenceUpTo(Stage::EdgeGaps);
    const std::vector<std::uint8_t> before = snapshot(state.redMask);
    const FillLimitsArray &limits = state.container->fillLimits;
    reference::bridge_EdgeGapsInRedMask(state.redMask.layer(), state.width(), state.height(), gap,
                                        limits);
    const std::vector<std::uint8_t> expected = snapshot(state.redMask);
    OwnedWorld expectedWorld(state.width(), state.height(), PixelDepth::Sixteen,
                             state.redMask.rowbytes() - state.width() * 8);
    restore(expectedWorld, expected);
    restore(state.redMask, before);
    bridgeEdgeGapsOnCodes(state.redMask.layer(), state.width(), state.height(), gap, limits);
    EXPECT_TRUE(sameMaskColours(expectedWorld.layer(), state.redMask.layer(), state.width(),
                                state.height()))
        << "gap " << gap;
}

struct GapCase {
    A_long width, height;
    PixelDepth depth;
    std::uint32_t seed;
    A_long gap;
};

class EdgeGapsEquivalence : public ::testing::TestWithParam<GapCase> {};

TEST_P(EdgeGapsEquivalence, MarksTheSamePixelsAsThePlainForm) {
    const GapCase c = GetParam();
    AnalysisState state(frameOptions(c.width, c.height, c.depth, c.seed), defaultParamValues());
    expectSameBridging(state, c.gap);
}

INSTANTIATE_TEST_SUITE_P(GeneratedFrames, EdgeGapsEquivalence,
                         ::testing::Values(GapCase{320, 240, PixelDepth::Eight, 1, 1},
                                           GapCase{320, 240, PixelDepth::Sixteen, 2, 2},
                                           GapCase{333, 241, PixelDepth::Eight, 3, 3},
                                           GapCase{400, 300, PixelDepth::Eight, 4, 5},
                                           GapCase{480, 270, PixelDepth::Sixteen, 5, 10},
                                           GapCase{383, 257, PixelDepth::Eight, 6, 17},
                                           GapCase{640, 360, PixelDepth::Eight, 7, 30},
                                           GapCase{321, 239, PixelDepth::Sixteen, 8, 30}));

}  // namespace

namespace {

// Random band patterns with random limits: every offset meets band, the
// image borders and the limit columns. The fast form splits the rows into
// up to four bands on worker threads, whose gap windows overlap.
TEST(EdgeGapsEquivalenceOnRandomMasks, MarksTheSamePixelsAsThePlainForm) {
    TestRng rng{2024};
    for (int round = 0; round < 40; ++round) {
        const A_long width = 24 + rng.below(140);
        const A_long height = 24 + rng.below(90);
        const A_long gap = 1 + rng.below(30);
        // Every fourth mask holds only a few specks of band: most rows and
        // words then lie out of any gap's reach.
        const double band = round % 4 == 3 ? 0.002 + 0.02 * (rng.below(100) / 100.0)
                                           : 0.1 + 0.5 * (rng.below(100) / 100.0);
        OwnedWorld plain = randomBandMask(rng, width, height, band, 1 + rng.below(6));
        OwnedWorld fast(width, height, PixelDepth::Sixteen, 16);
        restore(fast, snapshot(plain));
        auto limits =
            round % 3 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        reference::bridge_EdgeGapsInRedMask(plain.layer(), width, height, gap, *limits);
        bridgeEdgeGapsOnCodes(fast.layer(), width, height, gap, *limits, 1 + round % 4);
        ASSERT_TRUE(sameMaskColours(plain.layer(), fast.layer(), width, height))
            << "round " << round << ", " << width << " x " << height << ", gap " << gap;
    }
}

}  // namespace
