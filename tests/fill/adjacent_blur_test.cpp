#include <gtest/gtest.h>

#include <cstdint>

#include "fill/patch_chain.h"
#include "reference/fill/patch_sources.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

// A 3 x 3 kernel of unit weights without its centre: the blend is then the
// exact mean of the qualifying neighbours, truncated.
std::unique_ptr<FloatBlurPlotKernel> unitRing() {
    auto k = std::make_unique<FloatBlurPlotKernel>();
    clearFloatBlurPlotKernel(*k);
    k->size = 3;
    k->radius = 1;
    k->centreIndex = 4;
    for (A_long i = 0; i < 9; ++i) k->plot[i] = i == 4 ? 0.0f : 1.0f;
    return k;
}

InputLayer16 layer(TestWorld16 &w) { return InputLayer16{&w.def, false}; }

TEST(Blend, TruncatedMeanOfQualifyingNeighbours) {
    TestWorld16 source(5, 5, PF_Pixel16{1000, 0, 0, 0}, kPaddedRows);
    TestWorld16 target(5, 5, {}, kPaddedRows);
    const A_u_short reds[9] = {10, 20, 30, 40, 32768, 50, 60, 70, 81};
    for (A_long i = 0; i < 9; ++i) source.at(1 + i % 3, 1 + i / 3).red = reds[i];
    source.at(1, 1).alpha = 999;  // below the minimum alpha: skipped
    source.at(3, 3).green = 8;
    reference::blendGausSummedAreaIntoSinglePixel(layer(source), target.def, 2, 2, *unitRing(),
                                                  1000);
    // (20 + 30 + 40 + 50 + 60 + 70 + 81) / 7 = 50.14; the centre has no weight.
    EXPECT_EQ(target.at(2, 2).red, 50);
    EXPECT_EQ(target.at(2, 2).green, 1);
    EXPECT_EQ(target.at(2, 2).alpha, 1000);
}

TEST(Blend, NeverSamplesRowOrColumnZeroOrBeyondTheSource) {
    TestWorld16 source(4, 4, PF_Pixel16{32768, 100, 0, 0}, kPaddedRows);
    TestWorld16 target(6, 6, {}, kPaddedRows);
    for (A_long i = 0; i < 4; ++i) source.at(0, i).red = source.at(i, 0).red = 32768;
    reference::blendGausSummedAreaIntoSinglePixel(layer(source), target.def, 1, 1, *unitRing(), 1);
    EXPECT_EQ(target.at(1, 1).red, 100);
    // At the source's far corner only three neighbours exist; beyond it none.
    source.at(2, 3).red = 400;
    reference::blendGausSummedAreaIntoSinglePixel(layer(source), target.def, 3, 3, *unitRing(), 1);
    EXPECT_EQ(target.at(3, 3).red, 200);
}

TEST(Blend, NoQualifyingSampleWritesZeros) {
    TestWorld16 source(5, 5, PF_Pixel16{500, 9, 9, 9}, kPaddedRows);
    TestWorld16 target(5, 5, PF_Pixel16{7, 7, 7, 7}, kPaddedRows);
    reference::blendGausSummedAreaIntoSinglePixel(layer(source), target.def, 2, 2, *unitRing(),
                                                  501);
    const PF_Pixel16 p = target.at(2, 2);
    EXPECT_EQ(p.alpha | p.red | p.green | p.blue, 0);
}

struct BlurCase {
    TestWorld16 input{12, 12, PF_Pixel16{32768, 0, 0, 16384}, kPaddedRows};
    TestWorld16 mask{12, 12, {}, kPaddedRows};
    TestWorld16 patch{12, 12, PF_Pixel16{4321, 0, 0, 0}, kPaddedRows};

    void run(A_long blurSize, A_u_short quarterLevel = 8028) {
        reference::patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
            InputLayer16{&input.def, false}, patch.def, mask.def, blurSize, *wholeLimits(mask.def),
            quarterLevel, standardMaths());
    }
};

// Column 0 and the pixel itself carry a red that must not show up.
TEST(AdjacentBlur, ColumnOneTakesItsColourFromColumnsOneAndUp) {
    BlurCase c;
    for (A_long y = 0; y < 12; ++y) c.input.at(0, y).red = 32768;
    c.input.at(1, 5).red = 32768;
    c.mask.at(1, 5).blue = 32768;
    c.run(5);
    const PF_Pixel16 p = c.patch.at(1, 5);
    EXPECT_EQ(p.red, 0);
    EXPECT_NEAR(p.blue, 16384, 1);
    EXPECT_EQ(p.alpha, 4321);
}

TEST(AdjacentBlur, LeavesPixelsAloneWhenNotNeededOrSizeZero) {
    BlurCase c;
    c.mask.at(4, 4).blue = 32768;
    c.mask.at(6, 6).blue = 32768;
    c.patch.at(6, 6).green = 3;
    c.mask.at(8, 8).blue = 32768;
    c.mask.at(8, 8).red = 32768;
    c.run(0);
    EXPECT_EQ(c.patch.at(4, 4).blue, 0);
    c.run(5);
    EXPECT_NEAR(c.patch.at(4, 4).blue, 16384, 1);
    EXPECT_EQ(c.patch.at(6, 6).blue, 0);
    EXPECT_EQ(c.patch.at(6, 6).green, 3);
    EXPECT_EQ(c.patch.at(8, 8).blue, 0);
}

TEST(AdjacentBlur, NeighbourhoodBelowTheQuarterLevelStaysStillNeeded) {
    BlurCase c;
    for (PF_Pixel16 &p : c.input.memory) p.alpha = 8027;
    c.mask.at(5, 5).blue = 32768;
    c.run(5);
    const PF_Pixel16 p = c.patch.at(5, 5);
    EXPECT_EQ(p.red | p.green | p.blue, 0);
    EXPECT_EQ(p.alpha, 4321);
}

// The chain's own blur (several pixels at once, rows of counting samples
// kept as bits) against the source above, on frames whose borders matter:
// a bright first row and column that must never be sampled, fill pixels on
// every edge, windows wider than the frame, 8 and 16-bit inputs.
template <typename Pixel>
void expectChainBlurAsSource(A_long width, A_long height, A_long blurSize, std::uint32_t seed) {
    TestWorld<Pixel> input(width, height);
    TestWorld16 mask(width, height, {}, kPaddedRows);
    TestWorld16 plain(width, height, PF_Pixel16{4321, 0, 0, 0}, kPaddedRows);
    TestWorld16 chained(width, height, PF_Pixel16{4321, 0, 0, 0}, kPaddedRows);
    const bool eightBit = sizeof(Pixel) == sizeof(PF_Pixel);
    const A_u_short top = eightBit ? 255 : 32768;
    std::uint32_t state = seed;
    auto next = [&state](A_u_short range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<A_u_short>((state >> 8) % (range + 1u));
    };
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < width; ++x) {
            Pixel &p = input.at(x, y);
            const bool border = x == 0 || y == 0;
            // Mostly transparent, so that many pixels need the blur.
            p.alpha = border ? top : next(3) == 0 ? next(top) : 0;
            p.red = border ? top : next(top);
            p.green = next(top);
            p.blue = next(top);
            const bool edge = x <= 1 || y <= 1 || x >= width - 2 || y >= height - 2;
            if (edge || next(2) != 0) mask.at(x, y).blue = 1 + next(32767);
        }
    }
    const InputLayer16 source{&input.def, eightBit};
    const A_u_short quarterLevel = eightBit ? 8000 : 8028;
    const auto limits = wholeLimits(mask.def);
    const PF_ANSICallbacks maths = standardMaths();
    reference::patch_ColorsNeededWithBlurredSurroundingsIfStillNeeded(
        source, plain.def, mask.def, blurSize, *limits, quarterLevel, maths);

    const PatchSource blurOnly[PATCH_CHAIN_LENGTH] = {PatchSource::AdjacentBlur, PatchSource::None,
                                                      PatchSource::None};
    InputLayer16 noFrames[FRAME_ARRAY_SLOTS] = {};
    const PatchChainInputs inputs{source,   noFrames,     source,       660,
                                  blurSize, quarterLevel, PF_Pixel16{}, &maths};
    patch_FillPixelsThroughChain(blurOnly, inputs, chained.def, mask.def, *limits);

    long coloured = 0;
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < width; ++x) {
            const PF_Pixel16 a = plain.at(x, y), b = chained.at(x, y);
            ASSERT_TRUE(a.red == b.red && a.green == b.green && a.blue == b.blue)
                << "at (" << x << ", " << y << "), blur size " << blurSize;
            coloured += a.red != 0;
        }
    }
    EXPECT_GT(coloured, width * height / 4);  // the blur did colour many pixels
}

TEST(ChainBlur, AgreesWithTheSourceAtTheFrameEdges) {
    for (A_long blurSize : {3, 10, 53}) {
        expectChainBlurAsSource<PF_Pixel16>(70, 45, blurSize, 1);
        expectChainBlurAsSource<PF_Pixel>(67, 40, blurSize, 2);
        expectChainBlurAsSource<PF_Pixel16>(9, 30, blurSize, 3);  // narrower than a group
    }
}

}  // namespace
