// The composition against its straightforward form, for the four views, into
// 16-bit outputs and straight into 8-bit ones (against the plain 16-bit view
// converted by copy16To8BitWorld).
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "reference/render/compose_view.h"
#include "reference/render/worlds/world_ops.h"
#include "render/compose_view.h"

namespace {

struct ComposeCase {
    PixelDepth depth;
    std::uint32_t seed;
    A_long view;
    A_long feather;
    PF_Pixel decontam;
};

class ComposeEquivalence : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeEquivalence, WritesTheSameOutput) {
    const ComposeCase c = GetParam();
    ParamValues values = defaultParamValues();
    values.number[PARAM_PROCESS] = c.view;
    values.number[PARAM_FEATHER_IN] = c.feather;
    values.colour[PARAM_DECONTAM_COLOR] = c.decontam;
    AnalysisState state(frameOptions(360, 240, c.depth, c.seed), values);
    // The stages as the settings gate them: the info view shows the mask
    // after Classify.
    state.runReferenceUpTo(Stage::Compose);
    const A_long w = state.width(), h = state.height();
    const ComposeSources sources{state.input, &state.patch.layer(), &state.redMask.layer(),
                                 &state.container->fillLimits, state.settings.decontamColour};
    OwnedWorld plain(w, h, PixelDepth::Sixteen, 16, 0x11);
    reference::compose_OutputView(plain.layer(), sources, c.view, w, h);

    OwnedWorld fast(w, h, PixelDepth::Sixteen, 16, 0x22);
    compose_OutputView(fast.layer(), sources, c.view, w, h);
    EXPECT_TRUE(samePixels(plain.layer(), fast.layer(), w, h));

    OwnedWorld plain8(w, h, PixelDepth::Eight, 8, 0x33), fast8(w, h, PixelDepth::Eight, 8, 0x44);
    reference::copy16To8BitWorld(plain.layer(), plain8.layer());
    compose_OutputViewInto8Bit(fast8.layer(), sources, c.view, w, h);
    long differences = 0;
    for (A_long y = 0; y < h; ++y)
        for (A_long x = 0; x < w; ++x) {
            const PF_Pixel &a = *plain8.pixel8(x, y), &b = *fast8.pixel8(x, y);
            differences +=
                a.alpha != b.alpha || a.red != b.red || a.green != b.green || a.blue != b.blue;
        }
    EXPECT_EQ(differences, 0) << "8-bit output";
}

const PF_Pixel GREY{255, 128, 128, 128};
const PF_Pixel SCREEN{255, 40, 190, 60};

INSTANTIATE_TEST_SUITE_P(GeneratedFrames, ComposeEquivalence,
                         ::testing::Values(ComposeCase{PixelDepth::Eight, 1, 1, 2, GREY},
                                           ComposeCase{PixelDepth::Sixteen, 2, 1, 9, SCREEN},
                                           ComposeCase{PixelDepth::Eight, 3, 2, 5, SCREEN},
                                           ComposeCase{PixelDepth::Sixteen, 4, 2, 0, GREY},
                                           ComposeCase{PixelDepth::Eight, 5, 3, 3, GREY},
                                           ComposeCase{PixelDepth::Sixteen, 6, 3, 12, SCREEN},
                                           ComposeCase{PixelDepth::Eight, 7, 4, 2, GREY},
                                           ComposeCase{PixelDepth::Sixteen, 8, 4, 2, GREY}));

}  // namespace
