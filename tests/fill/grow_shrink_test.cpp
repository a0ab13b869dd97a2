#include "fill/grow_shrink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "reference/fill/grow_shrink.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

constexpr PF_Pixel16 FILL{0, 0, 0, 32768};

bool isFill(TestWorld16 &w, A_long x, A_long y) {
    return w.at(x, y).blue != 0 && w.at(x, y).red == 0;
}

void fillRect(TestWorld16 &w, A_long x0, A_long x1, A_long y0, A_long y1) {
    for (A_long y = y0; y <= y1; ++y)
        for (A_long x = x0; x <= x1; ++x) w.at(x, y) = FILL;
}

void growWhole(TestWorld16 &w, A_long amount) {
    growShrink_JustBlueInRedMaskBlocky(w.def, w.def.width, w.def.height, w.def.height - 1, amount,
                                       *wholeLimits(w.def));
}

// Every pixel is fill exactly where expected(x, y) says so.
void expectFillShape(TestWorld16 &w, const std::function<bool(A_long, A_long)> &expected) {
    for (A_long y = 0; y < w.def.height; ++y)
        for (A_long x = 0; x < w.def.width; ++x)
            ASSERT_EQ(isFill(w, x, y), expected(x, y)) << "at " << x << "," << y;
}

TEST(Grow, SinglePixelBecomesPlusSquareRoundedSquareAndSquare) {
    const struct {
        A_long amount;
        int pixels;
        std::function<bool(A_long, A_long)> inside;  // by offset from the seed
    } cases[] = {
        {1, 5, [](A_long dx, A_long dy) { return std::abs(dx) + std::abs(dy) <= 1; }},
        {2, 9, [](A_long dx, A_long dy) { return std::abs(dx) <= 1 && std::abs(dy) <= 1; }},
        {3, 21,
         [](A_long dx, A_long dy) {
             return std::abs(dx) <= 2 && std::abs(dy) <= 2 && std::abs(dx) + std::abs(dy) < 4;
         }},
        {4, 25, [](A_long dx, A_long dy) { return std::abs(dx) <= 2 && std::abs(dy) <= 2; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.amount);
        TestWorld16 w(15, 15, {}, kPaddedRows);
        w.at(7, 7) = FILL;
        growWhole(w, c.amount);
        int count = 0;
        for (const PF_Pixel16 &p : w.memory) count += p.blue == 32768;
        EXPECT_EQ(count, c.pixels);
        expectFillShape(w, [&](A_long x, A_long y) { return c.inside(x - 7, y - 7); });
    }
}

TEST(Grow, StraightEdgeAdvancesByHalfTheAmountRoundedUp) {
    for (A_long amount = 1; amount <= 5; ++amount) {
        SCOPED_TRACE(amount);
        TestWorld16 w(12, 20, {}, kPaddedRows);
        fillRect(w, 0, 11, 0, 5);
        growWhole(w, amount);
        const A_long lastFillRow = 5 + (amount + 1) / 2;
        expectFillShape(w, [&](A_long, A_long y) { return y <= lastFillRow; });
    }
}

TEST(Grow, ZeroAmountWritesNothingNotEvenAlpha) {
    TestWorld16 w(8, 8, PF_Pixel16{1234, 0, 0, 0}, kPaddedRows);
    w.at(3, 3) = FILL;
    const std::vector<PF_Pixel16> before = w.memory;
    growWhole(w, 0);
    EXPECT_EQ(0, std::memcmp(before.data(), w.memory.data(), before.size() * sizeof(PF_Pixel16)));
}

// A pixel whose red is set is not fill: it does not spread, but a grow claims
// it (blue 32768, red 0) once a counting neighbour reaches it.
TEST(Grow, PixelWithRedDoesNotCountButIsClaimed) {
    TestWorld16 w(9, 9, {}, kPaddedRows);
    w.at(4, 4) = PF_Pixel16{0, 32768, 0, 20000};
    growWhole(w, 1);
    expectFillShape(w, [](A_long, A_long) { return false; });
    EXPECT_EQ(w.at(4, 4).red, 32768);

    w.at(3, 4) = FILL;
    growWhole(w, 1);
    EXPECT_TRUE(isFill(w, 4, 4));
    EXPECT_EQ(w.at(4, 4).blue, 32768);
    EXPECT_FALSE(isFill(w, 5, 4));  // judged on the state before the pass
}

TEST(Grow, OutsideTheRegionNothingChanges) {
    TestWorld16 w(10, 10, PF_Pixel16{555, 0, 0, 0}, kPaddedRows);
    w.at(4, 4) = FILL;
    growShrink_JustBlueInRedMaskBlocky(w.def, 10, 10, 9, 2, *rectLimits(4, 9, 0, 9));
    EXPECT_TRUE(isFill(w, 5, 5));
    EXPECT_FALSE(isFill(w, 3, 4));
    EXPECT_FALSE(isFill(w, 3, 3));
}

// The plain form's marks: alpha 10000 over the whole world, then the last
// pass's 30000 on the pixels it selected.
TEST(Grow, ThePlainFormLeavesItsMarksInAlpha) {
    TestWorld16 w(10, 10, PF_Pixel16{555, 0, 0, 0}, kPaddedRows);
    w.at(4, 4) = FILL;
    reference::growShrink_JustBlueInRedMaskBlocky(w.def, 10, 10, 9, 2, *rectLimits(4, 9, 0, 9));
    EXPECT_TRUE(isFill(w, 5, 5));
    EXPECT_FALSE(isFill(w, 3, 4));
    for (A_long y = 0; y < 10; ++y)
        for (A_long x = 0; x < 4; ++x) EXPECT_EQ(w.at(x, y).alpha, 10000);
    EXPECT_EQ(w.at(5, 5).alpha, 30000);
    EXPECT_EQ(w.at(9, 9).alpha, 10000);
}

TEST(Shrink, ThreeByThreeKeepsItsCentreThenVanishes) {
    TestWorld16 w(9, 9, {}, kPaddedRows);
    fillRect(w, 3, 5, 3, 5);
    growWhole(w, -1);
    expectFillShape(w, [](A_long x, A_long y) { return x == 4 && y == 4; });
    fillRect(w, 3, 5, 3, 5);
    growWhole(w, -2);
    expectFillShape(w, [](A_long, A_long) { return false; });
}

// Borders clamp to themselves, so a fill touching them never recedes there.
TEST(Shrink, EdgeMovesBackByTheAmountButNotFromTheBorders) {
    TestWorld16 w(12, 20, {}, kPaddedRows);
    fillRect(w, 0, 11, 8, 19);
    growWhole(w, -3);
    expectFillShape(w, [](A_long, A_long y) { return y >= 11; });
    EXPECT_EQ(w.at(5, 10).blue, 0);
}

// One host records twice the frame's width; the columns beyond the frame
// width passed are neither neighbours nor written.
TEST(Shrink, NeverReadsOrWritesBeyondTheGivenWidth) {
    const A_long frameWidth = 6;
    TestWorld16 w(2 * frameWidth, 8, PF_Pixel16{77, 0, 0, 0}, kPaddedRows);
    fillRect(w, frameWidth - 2, frameWidth - 1, 0, 7);
    growShrink_JustBlueInRedMaskBlocky(w.def, frameWidth, 8, 7, -1,
                                       *rectLimits(0, frameWidth - 1, 0, 7));
    expectFillShape(w, [&](A_long x, A_long) { return x == frameWidth - 1; });
    for (A_long y = 0; y < 8; ++y)
        for (A_long x = frameWidth; x < 2 * frameWidth; ++x) ASSERT_EQ(w.at(x, y).alpha, 77);
}

}  // namespace
