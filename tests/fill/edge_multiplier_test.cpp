#include "fill/edge_multiplier.h"

#include <gtest/gtest.h>

#include "reference/fill/edge_multiplier.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

constexpr PF_Pixel16 FILL{0, 0, 0, 32768};

struct EdgeCase {
    TestWorld16 mask;
    TestWorld16 input;
    explicit EdgeCase(A_long size, A_u_short inputAlpha = 0)
        : mask(size, size), input(size, size, PF_Pixel16{inputAlpha, 0, 0, 0}) {}

    void run(const FillLimitsArray &limits) {
        make_EdgeMultiplyerMaskOnRedRedMask(nullptr, mask.def, InputLayer16{&input.def, false},
                                            mask.def.width, mask.def.height, limits);
    }
    void run() { run(*wholeLimits(mask.def)); }
};

TEST(EdgeMultiplier, AllMatteOrFillGives20000AndALoneFillPixel800) {
    EdgeCase matte(11, 1);
    matte.mask.at(5, 5) = FILL;
    matte.run();
    EXPECT_EQ(matte.mask.at(5, 5).red, 20000);

    EdgeCase lone(11);
    lone.mask.at(5, 5) = FILL;
    lone.run();
    EXPECT_EQ(lone.mask.at(5, 5).red, 800);
}

// 800 per inside sample of the 25: matte in the two columns to the right
// (10), the pixel itself and one more fill pixel in reach (2).
TEST(EdgeMultiplier, CountsMatteThenFillOnce) {
    EdgeCase c(11);
    for (A_long y = 0; y < 11; ++y)
        for (A_long x = 6; x < 11; ++x) c.input.at(x, y).alpha = 660;
    c.mask.at(5, 5) = FILL;
    c.mask.at(4, 3) = FILL;
    c.mask.at(7, 5) = FILL;  // already counted as matte
    c.run();
    EXPECT_EQ(c.mask.at(5, 5).red, 12 * 800);
}

// Clamped to the frame, a corner pixel is sampled nine times.
TEST(EdgeMultiplier, BorderSamplesRepeatTheBorderPixel) {
    EdgeCase c(8);
    c.mask.at(0, 0) = FILL;
    c.mask.at(7, 7) = FILL;
    c.run();
    EXPECT_EQ(c.mask.at(0, 0).red, 9 * 800);
    EXPECT_EQ(c.mask.at(7, 7).red, 9 * 800);
}

// The plain form clears red first; the render's mask has red 0 there already.
TEST(EdgeMultiplier, RedIsClearedEverywhereExceptFillPixelsOfTheRegion) {
    EdgeCase c(10);
    for (PF_Pixel16 &p : c.mask.memory) p.red = 555;
    c.mask.at(2, 2).blue = 32768;  // outside the region
    c.mask.at(6, 6).blue = 1;      // inside: any non-zero blue is fill here
    reference::make_EdgeMultiplyerMaskOnRedRedMask(
        nullptr, c.mask.def, InputLayer16{&c.input.def, false}, 10, 10, *rectLimits(4, 9, 4, 9));
    for (A_long y = 0; y < 10; ++y)
        for (A_long x = 0; x < 10; ++x)
            ASSERT_EQ(c.mask.at(x, y).red, x == 6 && y == 6 ? 800 : 0) << x << "," << y;
}

TEST(EdgeMultiplier, ReadsAnEightBitInputOnItsOwnScale) {
    TestWorld16 mask(7, 7, {}, kPaddedRows);
    TestWorld8 input(7, 7, {}, kPaddedRows);
    input.at(1, 1).alpha = 1;  // 128 on the 16-bit scale: matte
    mask.at(3, 3) = FILL;
    make_EdgeMultiplyerMaskOnRedRedMask(nullptr, mask.def, InputLayer16{&input.def, true}, 7, 7,
                                        *wholeLimits(mask.def));
    EXPECT_EQ(mask.at(3, 3).red, 2 * 800);
}

}  // namespace
