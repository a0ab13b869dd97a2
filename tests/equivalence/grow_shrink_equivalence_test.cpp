// GrowShrink against its straightforward form, growing and shrinking by every
// amount up to 50, on the fill areas the plain pipeline makes and on random
// masks that touch every side of the image.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "detect/fill_limits.h"
#include "fill/grow_shrink.h"
#include "random_masks.h"
#include "reference/fill/grow_shrink.h"

namespace {

void expectSameGrowShrink(OwnedWorld &mask, A_long width, A_long height, A_long amount,
                          const FillLimitsArray &limits) {
    const std::vector<std::uint8_t> before = snapshot(mask);
    reference::growShrink_JustBlueInRedMaskBlocky(mask.layer(), width, height, height - 1, amount,
                                                  limits);
    OwnedWorld plain(width, height, PixelDepth::Sixteen, mask.rowbytes() - width * 8);
    restore(plain, snapshot(mask));
    restore(mask, before);
    growShrink_JustBlueInRedMaskBlocky(mask.layer(), width, height, height - 1, amount, limits);
    EXPECT_TRUE(sameMaskColours(plain.layer(), mask.layer(), width, height)) << "amount " << amount;
}

struct GrowCase {
    A_long width, height;
    PixelDepth depth;
    std::uint32_t seed;
    A_long amount;
    A_long holeSize;
};

class GrowShrinkEquivalence : public ::testing::TestWithParam<GrowCase> {};

TEST_P(GrowShrinkEquivalence, LeavesTheSameMask) {
    const GrowCase c = GetParam();
    ParamValues values = defaultParamValues();
    values.number[PARAM_SHRINK_GROW] = c.amount;
    values.number[PARAM_HOLE_SIZE] = c.holeSize;
    AnalysisState state(frameOptions(c.width, c.height, c.depth, c.seed), values);
    state.runReferenceUpTo(Stage::GrowShrink);
    FillLimitsArray &limits = state.container->fillLimits;
    growShrink_FillLimitsArrayIfRequiredByGrowShrink(state.width(), state.height(), c.amount,
                                                     limits);
    expectSameGrowShrink(state.redMask, state.width(), state.height(), c.amount, limits);
}

INSTANTIATE_TEST_SUITE_P(GeneratedFrames, GrowShrinkEquivalence,
                         ::testing::Values(GrowCase{320, 240, PixelDepth::Eight, 1, 1, 200},
                                           GrowCase{320, 240, PixelDepth::Eight, 2, 2, 200},
                                           GrowCase{333, 241, PixelDepth::Sixteen, 3, 3, 200},
                                           GrowCase{400, 300, PixelDepth::Eight, 4, 7, 100},
                                           GrowCase{480, 270, PixelDepth::Sixteen, 5, 50, 4000},
                                           GrowCase{401, 299, PixelDepth::Eight, 6, 50, 200},
                                           GrowCase{320, 240, PixelDepth::Eight, 7, -1, 200},
                                           GrowCase{320, 240, PixelDepth::Sixteen, 8, -2, 200},
                                           GrowCase{350, 250, PixelDepth::Eight, 9, -5, 200},
                                           GrowCase{480, 270, PixelDepth::Eight, 10, -50, 4000},
                                           GrowCase{401, 299, PixelDepth::Sixteen, 11, -50, 200}));

// Random blue and red codes (fill, non-fill, blue with red), random limits,
// widths that are and are not whole words, and fills reaching every side.
TEST(GrowShrinkEquivalenceOnRandomMasks, LeavesTheSameMask) {
    TestRng rng{99};
    for (int round = 0; round < 60; ++round) {
        const A_long width = 1 + rng.below(200);
        const A_long height = 1 + rng.below(70);
        OwnedWorld mask(width, height, PixelDepth::Sixteen, 16);
        const double fill = 0.2 + 0.7 * (rng.below(100) / 100.0);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) {
                PF_Pixel16 &p = *mask.pixel16(x, y);
                p.alpha = static_cast<A_u_short>(rng.below(40000));
                p.green = rng.chance(0.1) ? 20000 : 0;
                p.blue = rng.chance(fill) ? (rng.chance(0.9) ? 32768 : 1 + rng.below(40000)) : 0;
                p.red = rng.chance(0.05) ? 1 + rng.below(32768) : 0;
            }
        auto limits =
            round % 3 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        const A_long amount = (rng.chance(0.5) ? 1 : -1) * (1 + rng.below(12));
        expectSameGrowShrink(mask, width, height, amount, *limits);
    }
    for (A_long width : {63, 64, 65, 128, 129}) {
        OwnedWorld mask = randomBandMask(rng, width, 40, 0.6, 5);
        for (A_long y = 0; y < 40; ++y)
            for (A_long x = 0; x < width; ++x) {
                PF_Pixel16 &p = *mask.pixel16(x, y);
                p.blue = p.red;
                p.red = 0;
            }
        auto limits = wholeLimits(width, 40);
        for (A_long amount : {-3, 4}) expectSameGrowShrink(mask, width, 40, amount, *limits);
    }
}

}  // namespace
