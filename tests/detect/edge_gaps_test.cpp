#include "detect/edge_gaps.h"

#include <gtest/gtest.h>

#include "reference/detect/edge_gaps.h"
#include "support/stage_support.h"
#include "support/test_world.h"

// The whole pixels, scratch alpha included, on the plain form; the fast form
// is checked against it on many masks (tests/equivalence).
TEST(EdgeGaps, OnePixelChannelsBecomeBandAwayFromTheBorder) {
    TestWorld16 mask = makeWorld16(40, 40);
    for (A_long x : {4, 6, 19, 21}) setRedRect(mask.def, x, 0, x, 39, BAND);
    auto limits = wholeImageLimits(40, 40);
    reference::bridge_EdgeGapsInRedMask(mask.def, 40, 40, 1, *limits);

    for (A_long y = 0; y < 40; ++y) {
        // Column 5 lies within 10 pixels of the border: marked, not bridged.
        ASSERT_TRUE(samePixel(*getPixel16(mask.def, 5, y), PF_Pixel16{0, 0, 20000, 0})) << y;
        const bool inner = y >= 10 && y < 30;
        ASSERT_TRUE(samePixel(*getPixel16(mask.def, 20, y),
                              inner ? PF_Pixel16{32768, 32768, 0, 0} : PF_Pixel16{0, 0, 20000, 0}))
            << y;
        // Beside a wall but open on one side: no gap.
        ASSERT_EQ(getPixel16Green(mask.def, 3, y), 0);
        ASSERT_EQ(getPixel16Green(mask.def, 22, y), 0);
    }
    EXPECT_TRUE(samePixel(*getPixel16(mask.def, 15, 15), PF_Pixel16{19000, 0, 0, 0}));
    EXPECT_TRUE(samePixel(*getPixel16(mask.def, 29, 29), PF_Pixel16{19000, 0, 0, 0}));
    EXPECT_TRUE(samePixel(*getPixel16(mask.def, 30, 30), PF_Pixel16{0, 0, 0, 0}));
    EXPECT_TRUE(samePixel(*getPixel16(mask.def, 19, 15), PF_Pixel16{19000, 32768, 0, 0}));
}

// One row, pixel 10 the one judged. With band at 8 and 13, offset -3 would
// find band on both sides if -3 / 2 rounded down to -2; truncating toward
// zero it tests 9 and 11 instead and finds none. Both forms.
TEST(EdgeGaps, HalfAndThirdOffsetsTruncateTowardZero) {
    using Bridge = void (*)(const PF_LayerDef &, A_long, A_long, A_long, const FillLimitsArray &);
    const Bridge fast = [](const PF_LayerDef &mask, A_long width, A_long height, A_long gap,
                           const FillLimitsArray &limits) {
        bridgeEdgeGapsOnCodes(mask, width, height, gap, limits);
    };
    for (Bridge bridge : {fast, &reference::bridge_EdgeGapsInRedMask}) {
        auto judge = [bridge](std::initializer_list<A_long> band, A_long gap) {
            TestWorld16 mask = makeWorld16(21, 1);
            for (A_long x : band) setPixel16Red(mask.def, x, 0, BAND);
            auto limits = wholeImageLimits(21, 1);
            bridge(mask.def, 21, 1, gap, *limits);
            return getPixel16Green(mask.def, 10, 0);
        };
        EXPECT_EQ(judge({8, 13}, 3), 0);
        EXPECT_EQ(judge({9, 11}, 1), 20000);
        // 7 is at the full offset -3, 11 at the half and third offsets of +3.
        EXPECT_EQ(judge({7, 11}, 2), 0);
        EXPECT_EQ(judge({7, 11}, 3), 20000);
    }
}
