// FillChain against its straightforward form, for all ten chains, 8 and 16-bit
// clips, set colours black and white: the patch pixel of every fill pixel
// (the only pixels of the patch world anything reads) must agree.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "reference/fill/patch_pixels.h"
#include "render/fill_chain.h"

namespace {

struct ChainCase {
    A_long width, height;
    PixelDepth depth;
    std::uint32_t seed;
    A_long chain;
    A_long holeSize;
    A_long grow;
    PF_Pixel setColour;
};

class FillChainEquivalence : public ::testing::TestWithParam<ChainCase> {};

TEST_P(FillChainEquivalence, GivesEveryFillPixelTheSameColour) {
    const ChainCase c = GetParam();
    ParamValues values = defaultParamValues();
    values.number[PARAM_FILL_WITH] = c.chain;
    values.number[PARAM_HOLE_SIZE] = c.holeSize;
    values.number[PARAM_SHRINK_GROW] = c.grow;
    values.colour[PARAM_SET_COLOR] = c.setColour;
    AnalysisState state(frameOptions(c.width, c.height, c.depth, c.seed), values);
    state.runReferenceUpTo(Stage::FillChain);
    state.runReference(Stage::FillChain);
    OwnedWorld plain(state.width(), state.height(), PixelDepth::Sixteen,
                     state.patch.rowbytes() - state.width() * 8);
    restore(plain, snapshot(state.patch));

    // The fast form owes nothing to a cleared patch world.
    for (A_long y = 0; y < state.height(); ++y)
        for (A_long x = 0; x < state.width(); ++x) *state.patch.pixel16(x, y) = {7, 7, 7, 7};
    const RenderSettings &s = state.settings;
    run_FillChain(s.fillChain,
                  FillChainWorlds{state.currentFrame, state.frameArray, state.input,
                                  &state.patch.layer(), &state.redMask.layer()},
                  s.blurSize, s.quarterLevel, s.setColour, state.container->fillLimits,
                  state.utils.ansi);
    const FillLimitsArray &limits = state.container->fillLimits;
    long fillPixels = 0;
    EXPECT_TRUE(samePixelsWhere(plain.layer(), state.patch.layer(), state.width(), state.height(),
                                [&](A_long x, A_long y) {
                                    const bool fill =
                                        isWithinLimits(limits, x, y) &&
                                        reference::isFillPixel(state.redMask.layer(), x, y);
                                    fillPixels += fill;
                                    return fill;
                                }))
        << "chain " << c.chain;
    EXPECT_GT(fillPixels, 0);
}

const PF_Pixel WHITE{255, 255, 255, 255};
const PF_Pixel BLACK{255, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    GeneratedFrames, FillChainEquivalence,
    ::testing::Values(ChainCase{320, 240, PixelDepth::Eight, 1, 1, 200, 0, WHITE},
                      ChainCase{320, 240, PixelDepth::Sixteen, 2, 2, 200, 0, BLACK},
                      ChainCase{333, 241, PixelDepth::Eight, 3, 3, 200, 2, WHITE},
                      ChainCase{320, 240, PixelDepth::Sixteen, 4, 4, 200, 0, BLACK},
                      ChainCase{400, 300, PixelDepth::Eight, 5, 5, 4000, 5, WHITE},
                      ChainCase{320, 240, PixelDepth::Sixteen, 6, 6, 200, 0, WHITE},
                      ChainCase{320, 240, PixelDepth::Eight, 7, 7, 200, -2, BLACK},
                      ChainCase{320, 240, PixelDepth::Sixteen, 8, 8, 200, 0, WHITE},
                      ChainCase{360, 250, PixelDepth::Eight, 9, 9, 4000, -5, WHITE},
                      ChainCase{320, 240, PixelDepth::Sixteen, 10, 10, 200, 0, BLACK},
                      ChainCase{320, 240, PixelDepth::Eight, 11, 12, 200, 0, WHITE},
                      // 1080 rows: the widest blur, 51 x 51 (blur size 53).
                      ChainCase{250, 1080, PixelDepth::Eight, 12, 5, 4000, 50, WHITE},
                      ChainCase{230, 1080, PixelDepth::Sixteen, 13, 9, 4000, -50, BLACK}));

}  // namespace
