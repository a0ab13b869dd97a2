// Feather against its straightforward form for feather radii from 1 to 100:
// the nearby-edge form below radius 8, the distance form from there on.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "fill/feather.h"
#include "random_masks.h"
#include "reference/fill/feather.h"

namespace {

// A world written at its fill pixels only (the render's for Show result):
// its other pixels hold anything and stand for transparent black. The fill
// pixels come out as those of the same world with the others cleared.
void expectSameFeatherOnFillPixelsOnly(OwnedWorld &mask, const std::vector<std::uint8_t> &before,
                                       A_long width, A_long height, A_long radius,
                                       const FillLimitsArray &limits, const PF_InData &in) {
    restore(mask, before);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x)
            if (mask.pixel16(x, y)->blue == 0) *mask.pixel16(x, y) = PF_Pixel16{};
    const std::vector<std::uint8_t> cleared = snapshot(mask);
    BlueBits blue;
    read_BlueBitsFromWorld(blue, mask.layer(), width, height);
    blue.onlyFillWritten = true;
    reference::blur_FromBlueAddOrSubtract(&in, mask.layer(), width, height, height - 1, radius,
                                          false, limits);
    OwnedWorld plain(width, height, PixelDepth::Sixteen, mask.rowbytes() - width * 8);
    restore(plain, snapshot(mask));
    BlueBits expected;
    read_BlueBitsFromWorld(expected, plain.layer(), width, height);

    restore(mask, cleared);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x)
            if (!blue.isFill(x, y))
                *mask.pixel16(x, y) = PF_Pixel16{0xCDCD, 0xCDCD, 0xCDCD, 0xCDCD};
    blur_FromBlueAddOrSubtract(&in, mask.layer(), width, height, height - 1, radius, limits, 3,
                               &blue);
    EXPECT_EQ(blue.fill, expected.fill) << "radius " << radius;
    for (OwnedWorld *world : {&plain, &mask})  // alpha: the plain form's scratch marks
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) world->pixel16(x, y)->alpha = 0;
    EXPECT_TRUE(samePixelsWhere(plain.layer(), mask.layer(), width, height,
                                [&](A_long x, A_long y) { return expected.isFill(x, y); }))
        << "radius " << radius;
}

void expectSameFeather(OwnedWorld &mask, A_long width, A_long height, A_long radius,
                       const FillLimitsArray &limits) {
    PF_UtilCallbacks utils{};
    utils.ansi = standardMaths();
    PF_InData in{};
    in.utils = &utils;
    const std::vector<std::uint8_t> before = snapshot(mask);
    reference::blur_FromBlueAddOrSubtract(&in, mask.layer(), width, height, height - 1, radius,
                                          false, limits);
    OwnedWorld plain(width, height, PixelDepth::Sixteen, mask.rowbytes() - width * 8);
    restore(plain, snapshot(mask));
    // Bands of rows worked on at once, some narrower than the radius.
    for (int threads : {1, 3, 7}) {
        restore(mask, before);
        BlueBits blue;
        read_BlueBitsFromWorld(blue, mask.layer(), width, height);
        blur_FromBlueAddOrSubtract(&in, mask.layer(), width, height, height - 1, radius, limits,
                                   threads, &blue);
        EXPECT_TRUE(sameMaskColours(plain.layer(), mask.layer(), width, height))
            << "radius " << radius << ", " << threads << " threads";
        // The fill plane follows the stamps: the fill pixels of the world as left.
        BlueBits after;
        read_BlueBitsFromWorld(after, mask.layer(), width, height);
        EXPECT_EQ(blue.fill, after.fill) << "radius " << radius << ", " << threads << " threads";
    }
    expectSameFeatherOnFillPixelsOnly(mask, before, width, height, radius, limits, in);
}

struct FeatherCase {
    A_long width, height;
    PixelDepth depth;
    std::uint32_t seed;
    A_long radius;
    A_long grow;
};

class FeatherEquivalence : public ::testing::TestWithParam<FeatherCase> {};

TEST_P(FeatherEquivalence, LeavesTheSameMask) {
    const FeatherCase c = GetParam();
    ParamValues values = defaultParamValues();
    values.number[PARAM_FEATHER_IN] = c.radius;
    values.number[PARAM_SHRINK_GROW] = c.grow;
    AnalysisState state(frameOptions(c.width, c.height, c.depth, c.seed), values);
    state.runReferenceUpTo(Stage::Feather);
    expectSameFeather(state.redMask, state.width(), state.height(), c.radius,
                      state.container->fillLimits);
}

INSTANTIATE_TEST_SUITE_P(GeneratedFrames, FeatherEquivalence,
                         ::testing::Values(FeatherCase{320, 240, PixelDepth::Eight, 1, 1, 0},
                                           FeatherCase{320, 240, PixelDepth::Sixteen, 2, 2, 0},
                                           FeatherCase{333, 241, PixelDepth::Eight, 3, 7, 2},
                                           FeatherCase{400, 300, PixelDepth::Eight, 4, 8, 0},
                                           FeatherCase{480, 270, PixelDepth::Sixteen, 5, 13, -3},
                                           FeatherCase{401, 299, PixelDepth::Eight, 6, 40, 0},
                                           FeatherCase{640, 360, PixelDepth::Eight, 7, 100, 0},
                                           FeatherCase{480, 270, PixelDepth::Sixteen, 8, 100, 50}));

// Random fill areas, including blue between 0 and full scale and above it,
// under random limits, for radii on both sides of the switch to distances.
TEST(FeatherEquivalenceOnRandomMasks, LeavesTheSameMask) {
    TestRng rng{31};
    for (int round = 0; round < 48; ++round) {
        const A_long width = 3 + rng.below(120);
        const A_long height = 3 + rng.below(80);
        OwnedWorld mask = randomBandMask(rng, width, height, 0.2 + 0.6 * (rng.below(100) / 100.0),
                                         1 + rng.below(8));
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) {
                PF_Pixel16 &p = *mask.pixel16(x, y);
                p.blue = p.red;  // the band pattern becomes the fill
                p.red = static_cast<A_u_short>(rng.below(20000));
                if (rng.chance(0.03)) p.blue = static_cast<A_u_short>(rng.below(40000));
            }
        auto limits =
            round % 3 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        const A_long radius = 1 + rng.below(round % 2 == 0 ? 9 : 40);
        expectSameFeather(mask, width, height, radius, *limits);
    }
    // Rows of several 64-pixel words: the edge bits and the columns the
    // small radii reach carry across words.
    for (int round = 0; round < 10; ++round) {
        const A_long width = 130 + rng.below(500);
        const A_long height = 8 + rng.below(50);
        OwnedWorld mask = randomBandMask(rng, width, height, 0.1 + 0.8 * (rng.below(100) / 100.0),
                                         1 + rng.below(90));
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) {
                PF_Pixel16 &p = *mask.pixel16(x, y);
                p.blue = rng.chance(0.01) ? static_cast<A_u_short>(32769 + rng.below(5000)) : p.red;
                p.red = 0;
            }
        auto limits =
            round % 2 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        expectSameFeather(mask, width, height, 1 + rng.below(round < 8 ? 7 : 30), *limits);
    }
}

}  // namespace
