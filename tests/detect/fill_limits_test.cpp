#include "detect/fill_limits.h"

#include <gtest/gtest.h>

#include <memory>

#include "reference/detect/hole_mask.h"
#include "support/test_world.h"

namespace {

struct LimitsCase {
    TestWorld16 alpha;
    std::unique_ptr<FillLimitsArray> limits = std::make_unique<FillLimitsArray>();

    LimitsCase(A_long width, A_long height) : alpha(makeWorld16(width, height)) {}
    void opaque(A_long x0, A_long y0, A_long x1, A_long y1) {
        for (A_long y = y0; y <= y1; ++y)
            for (A_long x = x0; x <= x1; ++x) setPixel16Alpha(alpha.def, x, y, 32768);
    }
    void populate(A_u_short alphaLevel = 32113, int threads = 1) {
        populateAndInitialise_FillLimitsFromIncomingAlpha(InputLayer16{&alpha.def, false}, *limits,
                                                          alphaLevel, threads);
    }
    void widen(A_long margin) {
        growShrink_FillLimitsArrayIfRequiredByGrowShrink(alpha.def.width, alpha.def.height, margin,
                                                         *limits);
    }
    void expectRows(A_long y0, A_long y1, A_long left, A_long right) const {
        for (A_long y = y0; y <= y1; ++y) {
            EXPECT_EQ(limits->left[y], left) << "row " << y;
            EXPECT_EQ(limits->right[y], right) << "row " << y;
        }
    }
};

}  // namespace

TEST(FillLimits, RecordVisibleColumnsPerRowAndWidenAsWorkedOut) {
    LimitsCase c(300, 300);
    c.opaque(50, 100, 80, 199);
    // Row bands on worker threads find the same rows.
    for (int threads : {7, 2, 1}) {
        c.populate(32113, threads);
        EXPECT_EQ(c.limits->firstRow, 100) << threads << " threads";
        EXPECT_EQ(c.limits->lastRow, 199) << threads << " threads";
        c.expectRows(100, 199, 50, 80);
    }
    c.widen(4);
    EXPECT_EQ(c.limits->firstRow, 96);
    EXPECT_EQ(c.limits->lastRow, 203);
    // Rows added above carry column 0 into the band's first rows, not its last.
    c.expectRows(96, 103, 0, 84);
    c.expectRows(104, 199, 46, 84);
    c.expectRows(200, 203, 0, 84);
}

TEST(FillLimits, EmptyRowsClearLayersAndTheZeroLevel) {
    LimitsCase c(12, 10);
    c.opaque(0, 2, 0, 2);  // column 0 alone: an empty row
    c.opaque(0, 5, 3, 5);
    c.opaque(7, 6, 7, 6);
    c.populate();
    c.expectRows(2, 2, 0, 0);
    c.expectRows(5, 5, 0, 3);
    c.expectRows(6, 6, 7, 7);
    EXPECT_EQ(c.limits->firstRow, 5);
    EXPECT_EQ(c.limits->lastRow, 6);

    LimitsCase clear(12, 6);
    clear.populate();
    EXPECT_EQ(clear.limits->firstRow, 0);
    EXPECT_EQ(clear.limits->lastRow, 5);
    clear.widen(0);
    clear.widen(-3);
    clear.expectRows(0, 5, 0, 0);
    clear.widen(5);
    clear.expectRows(0, 5, 0, 5);
    clear.populate(0);  // every pixel reaches a level of 0
    clear.expectRows(0, 5, 0, 11);
}

TEST(FillLimits, FindTheEndsPastLongRunsOfClearAndNearlyClearAlpha) {
    LimitsCase c(77, 3);
    for (A_long x = 0; x < 77; ++x) setPixel16Alpha(c.alpha.def, x, 0, x % 3 == 0 ? 9 : 0);
    setPixel16Alpha(c.alpha.def, 29, 0, 10);  // inside a run, off the blocks of eight
    setPixel16Alpha(c.alpha.def, 1, 1, 10);
    setPixel16Alpha(c.alpha.def, 70, 1, 32768);
    c.populate();
    c.expectRows(0, 0, 29, 29);
    c.expectRows(1, 1, 1, 70);
    c.expectRows(2, 2, 0, 0);
    EXPECT_EQ(c.limits->lastRow, 1);
}

TEST(FillLimits, WideningClampsToTheLastRowAndColumn) {
    LimitsCase c(10, 8);
    c.opaque(8, 6, 8, 6);
    c.populate();
    c.widen(4);
    EXPECT_EQ(c.limits->firstRow, 2);
    EXPECT_EQ(c.limits->lastRow, 7);
    c.expectRows(2, 7, 0, 9);
}

TEST(HoleMask, MarksPartlyTransparentPixelsInsideTheRegionOnly) {
    const A_u_short alphas[] = {0, 659, 660, 32112, 32113, 32768, 700};
    TestWorld16 source = makeWorld16(7, 1);
    for (A_long x = 0; x < 7; ++x) setPixel16Alpha(source.def, x, 0, alphas[x]);
    TestWorld16 mask = makeWorld16(7, 1, PF_Pixel16{5, 77, 6, 7});
    auto limits = std::make_unique<FillLimitsArray>();
    *limits = FillLimitsArray{};
    limits->right[0] = 5;  // column 6 lies outside the region

    reference::copyAlphaWorldToRedInRedMask(mask.def, source.def, 32113, 660, *limits);
    const A_u_short expected[] = {0, 0, 32768, 32768, 0, 0, 77};
    for (A_long x = 0; x < 7; ++x)
        EXPECT_TRUE(samePixel(*getPixel16(mask.def, x, 0), PF_Pixel16{5, expected[x], 6, 7})) << x;
    reference::copyAlphaWorldToRedInRedMask(mask.def, source.def, 32768, 660, *limits);
    EXPECT_EQ(getPixel16Red(mask.def, 4, 0), 32768);  // 32113 is now below the level
    EXPECT_EQ(getPixel16Red(mask.def, 5, 0), 0);
    reference::copyAlphaWorldToRedInRedMask(mask.def, source.def, 0, 660, *limits);
    for (A_long x = 0; x < 6; ++x) EXPECT_EQ(getPixel16Red(mask.def, x, 0), 0);
}
