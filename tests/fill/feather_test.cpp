#include "fill/feather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "reference/fill/feather.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

constexpr A_long OUTSIDE = -1;  // the offset lies outside the kernel: blue stays 0

struct StampRow {
    A_long radius;
    A_long values[6];  // at offsets (1,0) (1,1) (2,0) (2,1) (2,2) (3,0)
};

// The stamped values of a feather onto blue 0, strength 32768.
const StampRow STAMP_TABLE[] = {
    {1, {16384, 9598, OUTSIDE, OUTSIDE, OUTSIDE, OUTSIDE}},
    {2, {21845, 17321, 10923, 8344, 1874, OUTSIDE}},
    {3, {24576, 21183, 16384, 14450, 9598, 8192}},
};
const A_long STAMP_OFFSETS[6][2] = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}, {3, 0}};

// Checks the table at all eight mirror images of each offset around (cx, cy).
void expectStampTable(TestWorld16 &w, A_long cx, A_long cy, const StampRow &row) {
    EXPECT_EQ(w.at(cx, cy).blue, 32768);
    for (int i = 0; i < 6; ++i) {
        const A_long expected = row.values[i] == OUTSIDE ? 0 : row.values[i];
        for (int mirror = 0; mirror < 8; ++mirror) {
            A_long a = STAMP_OFFSETS[i][0], b = STAMP_OFFSETS[i][1];
            if (mirror & 1) std::swap(a, b);
            const A_long dx = mirror & 2 ? -a : a;
            const A_long dy = mirror & 4 ? -b : b;
            EXPECT_EQ(w.at(cx + dx, cy + dy).blue, expected)
                << "radius " << row.radius << " offset " << dx << "," << dy;
        }
    }
}

TEST(FeatherStamp, ReproducesTheStampTableThroughTheLinearKernel) {
    TestInData host;
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    for (const StampRow &row : STAMP_TABLE) {
        TestWorld16 w(13, 13, {}, kPaddedRows);
        clearFloatBlurPlotKernel(*kernel);
        makeRadialPointBlurPlotKernel(&host.in, *kernel, 2 * row.radius + 1);
        reference::superimposePixel16RedMaskBlurBlueAddOrSubtract(w.def, 6, 6, 32768.0f, *kernel,
                                                                  false);
        expectStampTable(w, 6, 6, row);
    }
}

TEST(FeatherStamp, SkipsRowAndColumnZeroButWritesTheLastOnes) {
    TestInData host;
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeRadialPointBlurPlotKernel(&host.in, *kernel, 3);
    TestWorld16 w(6, 5, {}, kPaddedRows);
    reference::superimposePixel16RedMaskBlurBlueAddOrSubtract(w.def, 1, 1, 32768.0f, *kernel,
                                                              false);
    EXPECT_EQ(w.at(1, 1).blue, 32768);
    EXPECT_EQ(w.at(2, 2).blue, 9598);
    for (A_long i = 0; i < 3; ++i) {
        EXPECT_EQ(w.at(0, i).blue, 0);
        EXPECT_EQ(w.at(i, 0).blue, 0);
    }
    reference::superimposePixel16RedMaskBlurBlueAddOrSubtract(w.def, 5, 4, 32768.0f, *kernel,
                                                              false);
    EXPECT_EQ(w.at(5, 4).blue, 32768);
    EXPECT_EQ(w.at(4, 4).blue, 16384);
    EXPECT_EQ(w.at(6, 4).blue, 0);  // the first padding pixel past the width
}

// Subtract mode mirrors add mode: blue only ever falls, to the complement.
TEST(FeatherStamp, SubtractModeOnlyLowersBlue) {
    TestInData host;
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    makeRadialPointBlurPlotKernel(&host.in, *kernel, 3);
    TestWorld16 w(7, 7, PF_Pixel16{0, 0, 0, 32768}, kPaddedRows);
    w.at(4, 3).blue = 1000;
    reference::superimposePixel16RedMaskBlurBlueAddOrSubtract(w.def, 3, 3, 32768.0f, *kernel, true);
    EXPECT_EQ(w.at(3, 3).blue, 0);
    EXPECT_EQ(w.at(2, 3).blue, 16384);
    EXPECT_EQ(w.at(4, 3).blue, 1000);
    EXPECT_EQ(w.at(5, 3).blue, 32768);
}

void featherWhole(TestInData &host, TestWorld16 &w, A_long radius) {
    blur_FromBlueAddOrSubtract(&host.in, w.def, w.def.width, w.def.height, w.def.height - 1, radius,
                               *wholeLimits(w.def));
}

TEST(Feather, OnePixelAreaIsStampedOnceWithTheTable) {
    TestInData host;
    for (const StampRow &row : STAMP_TABLE) {
        TestWorld16 w(13, 13, PF_Pixel16{555, 0, 0, 0}, kPaddedRows);
        w.at(6, 6).blue = 32768;
        featherWhole(host, w, row.radius);
        expectStampTable(w, 6, 6, row);
        EXPECT_EQ(w.at(6, 7).alpha, 555);  // no marks
    }
}

// The plain form marks the swept area in alpha: 30000 on edge pixels, 10000
// on the rest.
TEST(Feather, ThePlainFormMarksTheEdgePixelsInAlpha) {
    TestInData host;
    TestWorld16 w(13, 13, PF_Pixel16{555, 0, 0, 0}, kPaddedRows);
    w.at(6, 6).blue = 32768;
    reference::blur_FromBlueAddOrSubtract(&host.in, w.def, 13, 13, 12, 2, false,
                                          *wholeLimits(w.def));
    expectStampTable(w, 6, 6, STAMP_TABLE[1]);
    EXPECT_EQ(w.at(6, 6).alpha, 30000);
    EXPECT_EQ(w.at(6, 7).alpha, 10000);
    EXPECT_EQ(w.at(0, 6).alpha, 555);  // border columns and rows are not swept
    EXPECT_EQ(w.at(12, 6).alpha, 555);
}

// Outside the area a pixel ends with 32768 (1 - d / (radius + 1)) for its
// distance d to the nearest edge pixel; inside blue stays full.
TEST(Feather, RampFollowsTheDistanceToTheNearestEdgePixel) {
    TestInData host;
    const A_long radius = 4;
    TestWorld16 w(30, 30, {}, kPaddedRows);
    for (A_long y = 10; y <= 17; ++y)
        for (A_long x = 11; x <= 16; ++x) w.at(x, y).blue = 32768;
    featherWhole(host, w, radius);
    for (A_long y = 0; y < 30; ++y) {
        for (A_long x = 0; x < 30; ++x) {
            const bool inArea = y >= 10 && y <= 17 && x >= 11 && x <= 16;
            if (inArea) {
                ASSERT_EQ(w.at(x, y).blue, 32768);
                continue;
            }
            const double dx = std::max({11 - x, x - 16, A_long{0}});
            const double dy = std::max({10 - y, y - 17, A_long{0}});
            const double d = std::hypot(dx, dy);
            const double ideal = d < radius + 1 ? 32768.0 * (1.0 - d / (radius + 1)) : 0.0;
            const double expected = std::floor(ideal + 0.5);
            ASSERT_NEAR(w.at(x, y).blue, expected, 1.0) << "at " << x << "," << y;
            if (d >= radius + 1) {
                ASSERT_EQ(w.at(x, y).blue, 0);
            }
        }
    }
}

TEST(Feather, RadiusZeroChangesNothing) {
    TestInData host;
    TestWorld16 w(10, 10, PF_Pixel16{555, 0, 0, 0}, kPaddedRows);
    w.at(5, 5).blue = 32768;
    const std::vector<PF_Pixel16> before = w.memory;
    featherWhole(host, w, 0);
    EXPECT_EQ(0, std::memcmp(before.data(), w.memory.data(), before.size() * sizeof(PF_Pixel16)));
}

TEST(Feather, AreaInRowZeroOrColumnZeroIsNeverStamped) {
    TestInData host;
    TestWorld16 w(10, 10, {}, kPaddedRows);
    for (A_long i = 2; i < 8; ++i) {
        w.at(i, 0).blue = 32768;
        w.at(0, i).blue = 32768;
    }
    featherWhole(host, w, 3);
    for (A_long y = 1; y < 10; ++y)
        for (A_long x = 1; x < 10; ++x) ASSERT_EQ(w.at(x, y).blue, 0) << x << "," << y;
}

// One host records twice the frame's width: stamps stay within the frame.
TEST(Feather, StampsStayWithinTheFrameWidthGiven) {
    TestInData host;
    TestWorld16 w(16, 8, {}, kPaddedRows);
    w.at(6, 4).blue = 32768;
    blur_FromBlueAddOrSubtract(&host.in, w.def, 8, 8, 7, 3, *wholeLimits(w.def));
    EXPECT_EQ(w.at(7, 4).blue, 24576);
    EXPECT_EQ(w.at(8, 4).blue, 0);
    EXPECT_EQ(w.at(9, 4).blue, 0);
}

}  // namespace
