#include "fill/blur_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

std::unique_ptr<FloatBlurPlotKernel> freshKernel() {
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*kernel);
    return kernel;
}

float weightAt(const FloatBlurPlotKernel &k, A_long dx, A_long dy) {
    return k.plot[k.centreIndex + dy * k.size + dx];
}

TEST(KernelClear, ResetsFieldsAndOnlyTheFirst101By101Weights) {
    auto kernel = std::make_unique<FloatBlurPlotKernel>();
    for (float &w : kernel->plot) w = 5.0f;
    kernel->size = kernel->radius = kernel->aux = kernel->centreIndex = 9;
    clearFloatBlurPlotKernel(*kernel);
    EXPECT_EQ(kernel->size, 0);
    EXPECT_EQ(kernel->radius, 0);
    EXPECT_EQ(kernel->aux, 0);
    EXPECT_EQ(kernel->centreIndex, 0);
    EXPECT_EQ(kernel->centreScale, 1.0f);
    EXPECT_EQ(kernel->total, 1.0f);
    EXPECT_EQ(kernel->plot[0], 0.0f);
    EXPECT_EQ(kernel->plot[10200], 0.0f);
    EXPECT_EQ(kernel->plot[10201], 5.0f);
}

TEST(RadialKernel, FallsLinearlyToZeroAtRadiusPlusOne) {
    TestInData host;
    auto k = freshKernel();
    makeRadialPointBlurPlotKernel(&host.in, *k, 7);
    EXPECT_EQ(k->size, 7);
    EXPECT_EQ(k->radius, 3);
    EXPECT_EQ(k->centreIndex, 24);
    EXPECT_EQ(weightAt(*k, 0, 0), 1.0f);
    EXPECT_EQ(k->centreScale, 1.0f);
    EXPECT_FLOAT_EQ(weightAt(*k, 2, 0), 0.5f);
    EXPECT_FLOAT_EQ(weightAt(*k, 0, -3), 0.25f);
    EXPECT_FLOAT_EQ(weightAt(*k, 2, -1), 1.0f - std::sqrt(5.0f) / 4.0f);
    EXPECT_LT(weightAt(*k, -3, 3), 0.0f);  // far corners are negative, not clamped
}

TEST(RadialKernel, SizeIsTheLargestOddNotAboveTheRequestWithin1To201) {
    TestInData host;
    auto k = freshKernel();
    makeRadialPointBlurPlotKernel(&host.in, *k, 203);
    EXPECT_EQ(k->size, 201);
    EXPECT_EQ(k->radius, 100);
    EXPECT_EQ(k->centreIndex, 201 * 100 + 100);
    makeRadialPointBlurPlotKernel(&host.in, *k, 1);
    EXPECT_EQ(k->size, 1);
    EXPECT_EQ(k->radius, 0);
    EXPECT_EQ(k->plot[0], 1.0f);
    makeRadialPointBlurPlotKernel(&host.in, *k, -4);
    EXPECT_EQ(k->size, 1);
}

TEST(RadialKernel, TakesItsSquareRootFromTheHost) {
    PF_ANSICallbacks maths = standardMaths();
    maths.sqrt = [](A_FpLong) { return 0.0; };
    TestInData host(maths);
    auto k = freshKernel();
    makeRadialPointBlurPlotKernel(&host.in, *k, 5);
    for (A_long i = 0; i < 25; ++i) EXPECT_EQ(k->plot[i], 1.0f) << i;
}

TEST(GaussianKernel, Size10Gives9By9And100Gives51By51) {
    const PF_ANSICallbacks maths = standardMaths();
    auto k = freshKernel();
    makeNiceGausBlurPlotKernel(maths, *k, 10, 20000.0f);
    EXPECT_EQ(k->size, 9);
    EXPECT_EQ(k->radius, 4);
    EXPECT_EQ(k->centreIndex, 40);
    EXPECT_EQ(k->aux, 90);
    makeNiceGausBlurPlotKernel(maths, *k, 100, 20000.0f);
    EXPECT_EQ(k->size, 51);
    EXPECT_EQ(k->radius, 25);
    EXPECT_EQ(k->centreIndex, 51 * 25 + 25);
    EXPECT_EQ(k->aux, 51 * 51 + 51);
    // A sigma of 20000 makes the table flat: the weights differ by less than
    // one part in 100,000 and sum to 1 up to the single-precision sum's error.
    const float *first = k->plot, *last = k->plot + 51 * 51;
    EXPECT_LT(*std::max_element(first, last) / *std::min_element(first, last), 1.00001f);
    EXPECT_NEAR(std::accumulate(first, last, 0.0), 1.0, 1e-4);
}

TEST(GaussianKernel, MatchesTheNormalisedBellAndKeepsTheRawSum) {
    auto k = freshKernel();
    makeNiceGausBlurPlotKernel(standardMaths(), *k, 5, 1.0f);
    double raw[25];
    double sum = 0.0;
    for (int i = 0; i < 25; ++i) {
        const double dy = i / 5 - 2.0, dx = i % 5 - 2.0;
        raw[i] = std::exp(-0.5 * (dx * dx + dy * dy)) / (2.0 * M_PI);
        sum += raw[i];
    }
    for (int i = 0; i < 25; ++i) EXPECT_NEAR(k->plot[i], raw[i] / sum, 1e-6) << i;
    EXPECT_NEAR(k->total, sum, 1e-5);
    EXPECT_NEAR(k->centreScale, sum / raw[12], 1e-4);
}

// Size 4 gives a 3 x 3 table centred on 1.5: rows 1 and 2 lie equally far
// from it, row 0 farther.
TEST(GaussianKernel, EvenSizeCentresOnTheRequestedSize) {
    auto k = freshKernel();
    makeNiceGausBlurPlotKernel(standardMaths(), *k, 4, 1.0f);
    EXPECT_EQ(k->size, 3);
    EXPECT_EQ(k->plot[1 * 3 + 1], k->plot[2 * 3 + 1]);
    EXPECT_EQ(k->plot[1 * 3 + 1], k->plot[2 * 3 + 2]);
    EXPECT_LT(k->plot[0 * 3 + 1], k->plot[1 * 3 + 1]);
}

TEST(GaussianKernel, ColourPatchKernelDropsItsCentreWeight) {
    const PF_ANSICallbacks maths = standardMaths();
    auto blur = freshKernel();
    auto patch = freshKernel();
    makeNiceGausBlurPlotKernel(maths, *blur, 7, 2.0f);
    makeNiceGausColourPatchPlotKernel(maths, *patch, 7, 2.0f);
    EXPECT_EQ(patch->plot[patch->centreIndex], 0.0f);
    EXPECT_EQ(patch->centreScale, 1.0f);
    EXPECT_EQ(patch->total, blur->total - blur->plot[blur->centreIndex]);
    EXPECT_EQ(patch->plot[0], blur->plot[0]);
}

}  // namespace
