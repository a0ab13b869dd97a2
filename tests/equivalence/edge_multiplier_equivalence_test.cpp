// EdgeMultiplier against its straightforward form: on the fill areas of the plain
// pipeline for 8 and 16-bit inputs, and on random masks and inputs down to a
// single row or column, where the clamped samples repeat, and up to rows of
// several 64-column blocks with gaps between their fill pixels.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "fill/edge_multiplier.h"
#include "random_masks.h"
#include "reference/fill/edge_multiplier.h"

namespace {

bool redIsZero(const std::vector<std::uint8_t> &bytes, A_long rowbytes, A_long width,
               A_long height) {
    for (A_long y = 0; y < height; ++y) {
        const auto *row =
            reinterpret_cast<const PF_Pixel16 *>(bytes.data() + std::size_t(y) * rowbytes);
        for (A_long x = 0; x < width; ++x)
            if (row[x].red != 0) return false;
    }
    return true;
}

// On a mask whose red is 0, as the render hands the stage its mask, the plain
// form's clearing of red changes nothing and every channel must agree.
void expectSameMultiplier(OwnedWorld &mask, const InputLayer16 &input, A_long width, A_long height,
                          const FillLimitsArray &limits) {
    const std::vector<std::uint8_t> before = snapshot(mask);
    ASSERT_TRUE(redIsZero(before, mask.rowbytes(), width, height));
    reference::make_EdgeMultiplyerMaskOnRedRedMask(nullptr, mask.layer(), input, width, height,
                                                   limits);
    OwnedWorld plain(width, height, PixelDepth::Sixteen, mask.rowbytes() - width * 8);
    restore(plain, snapshot(mask));
    restore(mask, before);
    make_EdgeMultiplyerMaskOnRedRedMask(nullptr, mask.layer(), input, width, height, limits);
    EXPECT_TRUE(samePixels(plain.layer(), mask.layer(), width, height));
}

TEST(EdgeMultiplierEquivalence, OnThePlainPipelinesFillAreas) {
    for (PixelDepth depth : {PixelDepth::Eight, PixelDepth::Sixteen}) {
        ParamValues values = defaultParamValues();
        values.number[PARAM_SHRINK_GROW] = 3;
        AnalysisState state(frameOptions(400, 260, depth, 21), values);
        state.runReferenceUpTo(Stage::EdgeMultiplier);
        // What the render's path relies on: red is 0 everywhere by now.
        EXPECT_TRUE(redIsZero(snapshot(state.redMask), state.redMask.rowbytes(), state.width(),
                              state.height()));
        expectSameMultiplier(state.redMask, state.input, state.width(), state.height(),
                             state.container->fillLimits);
    }
}

TEST(EdgeMultiplierEquivalence, OnRandomMasksAndInputs) {
    TestRng rng{5};
    for (int round = 0; round < 40; ++round) {
        const A_long width = 1 + rng.below(200);
        const A_long height = 1 + rng.below(60);
        const bool eightBit = round % 2 == 0;
        // Sparse and dense fill: rows of each kind take different paths.
        const double fill = round % 4 < 2 ? 0.03 : 0.5;
        OwnedWorld input(width, height, eightBit ? PixelDepth::Eight : PixelDepth::Sixteen, 8);
        OwnedWorld mask(width, height, PixelDepth::Sixteen, 16);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) {
                const bool matte = rng.chance(0.3);
                if (eightBit)
                    input.pixel8(x, y)->alpha =
                        matte ? static_cast<A_u_char>(1 + rng.below(255)) : 0;
                else
                    input.pixel16(x, y)->alpha =
                        matte ? static_cast<A_u_short>(1 + rng.below(32768)) : 0;
                PF_Pixel16 &m = *mask.pixel16(x, y);
                m.blue = rng.chance(fill) ? static_cast<A_u_short>(1 + rng.below(32768)) : 0;
                m.red = 0;
                m.alpha = static_cast<A_u_short>(rng.below(30000));
            }
        auto limits =
            round % 3 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        expectSameMultiplier(mask, InputLayer16{&input.layer(), eightBit}, width, height, *limits);
    }
}

}  // namespace
