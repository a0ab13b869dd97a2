#include "reference/fill/patch_sources.h"

#include <gtest/gtest.h>

#include <array>

#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

constexpr PF_Pixel16 FILL{0, 0, 0, 32768};
constexpr A_u_short MIN_ALPHA = 660;

PF_Pixel16 colour(A_u_short alpha, A_u_short r, A_u_short g, A_u_short b) {
    return PF_Pixel16{alpha, r, g, b};
}

void expectRGB(const PF_Pixel16 &p, A_u_short r, A_u_short g, A_u_short b) {
    EXPECT_EQ(p.red, r);
    EXPECT_EQ(p.green, g);
    EXPECT_EQ(p.blue, b);
}

// One row of pixels; every pixel is a fill pixel unless a test says otherwise.
struct PatchRow {
    static constexpr A_long WIDTH = 8;
    TestWorld16 mask{WIDTH, 1, FILL, kPaddedRows};
    TestWorld16 patch{WIDTH, 1, PF_Pixel16{111, 0, 0, 0}, kPaddedRows};
    std::unique_ptr<FillLimitsArray> limits = rectLimits(1, WIDTH - 1, 0, 0);
};

TEST(PatchExisting, CopiesColourFromAlpha660KeepingThePatchAlpha) {
    PatchRow row;
    TestWorld16 current(PatchRow::WIDTH, 1, colour(660, 10, 20, 30), kPaddedRows);
    current.at(2, 0).alpha = 659;
    row.mask.at(3, 0).red = 32768;  // the hole band is not a fill pixel
    row.mask.at(4, 0).red = 20000;  // an edge multiplier does not matter
    row.mask.at(5, 0).blue = 0;
    reference::patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(
        current.def, row.patch.def, row.mask.def, MIN_ALPHA, *row.limits);
    for (A_long x : {1, 4, 7}) expectRGB(row.patch.at(x, 0), 10, 20, 30);
    for (A_long x : {0, 2, 3, 5}) expectRGB(row.patch.at(x, 0), 0, 0, 0);  // 0 is off the region
    for (A_long x = 0; x < PatchRow::WIDTH; ++x) EXPECT_EQ(row.patch.at(x, 0).alpha, 111);
}

TEST(PatchSetColour, FillsOnlyStillNeededFillPixelsOpaque) {
    PatchRow row;
    row.patch.at(2, 0) = colour(5, 0, 0, 1);  // already coloured
    row.mask.at(3, 0).red = 32768;
    reference::patch_ColorsNeededWithSetColorfStillNeeded(row.patch.def, row.mask.def,
                                                          colour(0, 7, 8, 9), *row.limits);
    EXPECT_EQ(row.patch.at(1, 0).alpha, 32768);
    expectRGB(row.patch.at(1, 0), 7, 8, 9);
    EXPECT_EQ(row.patch.at(2, 0).alpha, 5);
    expectRGB(row.patch.at(2, 0), 0, 0, 1);
    expectRGB(row.patch.at(3, 0), 0, 0, 0);
    expectRGB(row.patch.at(0, 0), 0, 0, 0);
}

// "Existing > Set color": visible pixels keep their colour, the rest (and a
// black existing colour, which counts as none) take the set colour.
TEST(PatchChain, ExistingThenSetColour) {
    PatchRow row;
    TestWorld16 current(PatchRow::WIDTH, 1, colour(32768, 100, 200, 300), kPaddedRows);
    current.at(2, 0) = colour(600, 100, 200, 300);
    current.at(3, 0) = colour(32768, 0, 0, 0);
    reference::patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(
        current.def, row.patch.def, row.mask.def, MIN_ALPHA, *row.limits);
    reference::patch_ColorsNeededWithSetColorfStillNeeded(row.patch.def, row.mask.def,
                                                          colour(32768, 1, 2, 3), *row.limits);
    expectRGB(row.patch.at(1, 0), 100, 200, 300);
    expectRGB(row.patch.at(2, 0), 1, 2, 3);
    expectRGB(row.patch.at(3, 0), 1, 2, 3);
}

// Frames for offsets -3..+3, all clear unless a test colours a pixel.
struct FrameSet {
    std::array<std::unique_ptr<TestWorld16>, 7> frames;
    PF_LayerDef *array[FRAME_ARRAY_SLOTS] = {};
    FrameSet() {
        for (A_long k = -3; k <= 3; ++k) {
            frames[k + 3] = std::make_unique<TestWorld16>(PatchRow::WIDTH, 1);
            array[FRAME_ARRAY_CENTRE + k] = &frames[k + 3]->def;
        }
    }
    PF_Pixel16 &at(A_long offset, A_long x) { return frames[offset + 3]->at(x, 0); }
};

TEST(PatchOtherFrames, NearestColouredPairWinsAndBothGiveTheRoundedMean) {
    PatchRow row;
    FrameSet f;
    f.at(3, 1) = colour(660, 1, 2, 3);  // only +3 coloured
    f.at(-1, 2) = colour(32768, 101, 0, 32768);
    f.at(1, 2) = colour(700, 200, 1, 32767);
    f.at(3, 2) = colour(32768, 9, 9, 9);
    f.at(-2, 3) = colour(32768, 4, 5, 6);
    f.at(3, 3) = colour(32768, 9, 9, 9);
    f.at(0, 4) = colour(32768, 9, 9, 9);  // the current frame is never read
    f.at(-1, 5) = colour(659, 9, 9, 9);
    f.at(2, 5) = colour(32768, 7, 7, 7);
    row.patch.at(6, 0) = colour(111, 0, 5, 0);  // already coloured
    f.at(1, 6) = colour(32768, 9, 9, 9);
    reference::patch_ColorsNeededWithOtherFramesIfStillNeeded(f.array, row.patch.def, row.mask.def,
                                                              3, MIN_ALPHA, *row.limits);
    expectRGB(row.patch.at(1, 0), 1, 2, 3);
    // (101 + 200) / 2 = 150.5 rounds to 151; (0 + 1) / 2 to 1; 32767.5 to 32768.
    expectRGB(row.patch.at(2, 0), 151, 1, 32768);
    expectRGB(row.patch.at(3, 0), 4, 5, 6);
    expectRGB(row.patch.at(4, 0), 0, 0, 0);
    expectRGB(row.patch.at(5, 0), 7, 7, 7);
    expectRGB(row.patch.at(6, 0), 0, 5, 0);
    for (A_long x = 1; x < 6; ++x) EXPECT_EQ(row.patch.at(x, 0).alpha, 111);
}

TEST(PatchOtherFrames, ReachOneLooksOnlyAtTheAdjacentFrames) {
    PatchRow row;
    FrameSet f;
    f.at(-2, 1) = colour(32768, 4, 5, 6);
    f.at(1, 2) = colour(32768, 7, 8, 9);
    reference::patch_ColorsNeededWithOtherFramesIfStillNeeded(f.array, row.patch.def, row.mask.def,
                                                              1, MIN_ALPHA, *row.limits);
    expectRGB(row.patch.at(1, 0), 0, 0, 0);
    expectRGB(row.patch.at(2, 0), 7, 8, 9);
}

// A black existing colour leaves the pixel still needed for the frames.
TEST(PatchChain, BlackExistingColourIsReplacedByTheFrames) {
    PatchRow row;
    FrameSet f;
    TestWorld16 current(PatchRow::WIDTH, 1, colour(32768, 0, 0, 0), kPaddedRows);
    f.at(1, 1) = colour(32768, 7, 8, 9);
    reference::patch_WithExistingRGBIfBlueOnRedMaskAlsoWithRedMaskAlpha(
        current.def, row.patch.def, row.mask.def, MIN_ALPHA, *row.limits);
    reference::patch_ColorsNeededWithOtherFramesIfStillNeeded(f.array, row.patch.def, row.mask.def,
                                                              3, MIN_ALPHA, *row.limits);
    expectRGB(row.patch.at(1, 0), 7, 8, 9);
}

}  // namespace
