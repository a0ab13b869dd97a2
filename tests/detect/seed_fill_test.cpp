#include <gtest/gtest.h>

#include "reference/detect/seed_stack.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

constexpr A_u_short TAG_VALUE = 64;

FillTag floodFrom(SeedStack &stack, const PF_LayerDef &mask, const FillLimitsArray &limits,
                  A_long x, A_long y) {
    FillTag tag{0, 99999, 0, 99999, 0, false, 0, 0, 0};
    reference::addSeedToStack(stack, false, x, y, mask.height - 1, 0, true);
    reference::floodFillHolesInRedMaskTillSeedStackTillComplete(stack, mask, mask.height, 0, tag,
                                                                TAG_VALUE, limits);
    EXPECT_EQ(stack.count, 0);
    return tag;
}

// First and last column of row y painted with the tag (red TAG_VALUE,
// alpha 32768), or {-1, -1}; every column between must be painted too.
std::pair<A_long, A_long> paintedSpan(const PF_LayerDef &mask, A_long y) {
    A_long first = -1, last = -1, painted = 0;
    for (A_long x = 0; x < mask.width; ++x) {
        const PF_Pixel16 &p = *getPixel16(mask, x, y);
        if (p.red != TAG_VALUE || p.alpha != 32768) continue;
        first = first < 0 ? x : first;
        last = x;
        ++painted;
    }
    EXPECT_EQ(painted, last - first + (first < 0 ? 0 : 1)) << "row " << y << " has a gap";
    return {first, last};
}

using Span = std::pair<A_long, A_long>;
const Span NONE{-1, -1};

}  // namespace

TEST(SeedSpans, FindTheRunAroundTheSeedInsideTheLimitColumns) {
    auto stack = emptySeedStack();
    TestWorld16 mask = makeWorld16(300, 8, BAND_PIXEL);
    auto limits = wholeImageLimits(300, 8);
    setRedRect(mask.def, 10, 3, 20, 3, 0);
    EXPECT_EQ(floodFrom(*stack, mask.def, *limits, 5, 3).area, 0);  // band under the seed
    EXPECT_EQ(paintedSpan(mask.def, 3), NONE);

    FillTag tag = floodFrom(*stack, mask.def, *limits, 15, 3);
    EXPECT_EQ(paintedSpan(mask.def, 3), Span(10, 20));
    EXPECT_EQ(tag.area, 10);
    EXPECT_EQ(Span(tag.minX, tag.maxX), Span(10, 20));
    EXPECT_EQ(Span(tag.minY, tag.maxY), Span(3, 3));

    // Limits 12..18 stop the span inside them; a seed on the left limit
    // column leaves that column out. {left, right, seed, first, last}
    const A_long limitCases[][5] = {{12, 18, 15, 13, 17}, {10, 299, 10, 11, 20}};
    for (const auto &c : limitCases) {
        setRedRect(mask.def, 10, 3, 20, 3, 0);
        limits->left[3] = c[0];
        limits->right[3] = c[1];
        floodFrom(*stack, mask.def, *limits, c[2], 3);
        EXPECT_EQ(paintedSpan(mask.def, 3), Span(c[3], c[4]));
    }

    // A one-pixel run stays unpainted, a two-pixel run is painted.
    setRedRect(mask.def, 4, 5, 4, 5, 0);
    setRedRect(mask.def, 7, 5, 8, 5, 0);
    EXPECT_EQ(floodFrom(*stack, mask.def, *limits, 4, 5).area, 0);
    EXPECT_EQ(floodFrom(*stack, mask.def, *limits, 8, 5).area, 1);
    EXPECT_EQ(paintedSpan(mask.def, 5), Span(7, 8));
}

// The leg joins the bar only under the bar's last column, where no seed is
// emitted: it becomes a region of its own.
TEST(SeedSpans, ALegUnderTheLastColumnOfABarIsNotReached) {
    auto stack = emptySeedStack();
    TestWorld16 mask = makeWorld16(50, 50, BAND_PIXEL);
    setRedRect(mask.def, 20, 10, 30, 10, 0);
    setRedRect(mask.def, 30, 11, 31, 40, 0);
    auto limits = wholeImageLimits(50, 50);
    EXPECT_EQ(floodFrom(*stack, mask.def, *limits, 20, 10).area, 10);
    for (A_long y = 11; y <= 40; ++y) ASSERT_EQ(paintedSpan(mask.def, y), NONE);
    FillTag leg = floodFrom(*stack, mask.def, *limits, 30, 11);
    EXPECT_EQ(leg.area, 30);
    EXPECT_EQ(Span(leg.minY, leg.maxY), Span(11, 40));
}

// The memory above row 0 and below the last row matches the fill's code: a
// seed in row -1 or row height would paint it.
TEST(SeedSpans, NoSeedLeavesTheImageRows) {
    auto stack = emptySeedStack();
    TestWorld16 mask = makeWorld16(8, 4, PF_Pixel16{}, PF_Pixel16{}, {0, 2, false});
    auto limits = wholeImageLimits(8, 4);
    FillTag tag = floodFrom(*stack, mask.def, *limits, 3, 0);
    EXPECT_EQ(tag.area, 4 * 5);
    EXPECT_EQ(Span(tag.minY, tag.maxY), Span(0, 3));
    EXPECT_TRUE(mask.guardsIntact());
}

// Vertical strips two pixels wide, joined alternately at the bottom and the
// top: the depth-first fill keeps every span of the path on the stack, more
// than the fixed table holds.
TEST(SeedSpans, ASerpentinePocketDeeperThanTheFixedTableIsFloodedCompletely) {
    const A_long strips = 22, length = 1000, width = 3 * strips + 1, height = length + 2;
    TestWorld16 mask = makeWorld16(width, height, BAND_PIXEL);
    for (A_long i = 0; i < strips; ++i) {
        const A_long x = 1 + 3 * i, joinRow = i % 2 == 0 ? length : 1;
        setRedRect(mask.def, x, 1, x + 1, length, 0);
        if (i + 1 < strips) setRedRect(mask.def, x, joinRow, x + 4, joinRow, 0);
    }
    // Each maximal run of the pocket is one span: its area is the sum of
    // (run length - 1).
    std::vector<bool> pocket(static_cast<size_t>(width) * height);
    A_long expectedArea = 0;
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) {
            pocket[y * width + x] = getPixel16Red(mask.def, x, y) == 0;
            if (pocket[y * width + x] && x > 0 && pocket[y * width + x - 1]) ++expectedArea;
        }
    auto stack = emptySeedStack();
    auto limits = wholeImageLimits(width, height);
    FillTag tag = floodFrom(*stack, mask.def, *limits, 1, 1);
    EXPECT_FALSE(stack->overflow.empty());  // the fill went past the fixed entries
    EXPECT_EQ(tag.area, expectedArea);
    EXPECT_EQ(Span(tag.minX, tag.maxX), Span(1, width - 2));
    EXPECT_EQ(Span(tag.minY, tag.maxY), Span(1, length));
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x)
            ASSERT_EQ(getPixel16Red(mask.def, x, y), pocket[y * width + x] ? TAG_VALUE : BAND)
                << x << "," << y;
}
