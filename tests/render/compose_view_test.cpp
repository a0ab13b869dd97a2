#include "render/compose_view.h"

#include <gtest/gtest.h>

#include "reference/render/compose_view.h"
#include "render/render_settings.h"
#include "support/test_world.h"

namespace {

constexpr PF_Pixel16 GREY{32768, 16384, 16384, 16384};

TEST(Taper, FullMultiplierKeepsTheFillAmountAndTenThousandRemovesIt) {
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 20000, 0, 32768}), 32768);
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 10000, 0, 32768}), 0);
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 800, 0, 32768}), 0);
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 15000, 0, 32768}), 16384);
}

TEST(Taper, GreenFillTagAndZeroRedAreNeverTapered) {
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 15000, 20000, 32768}), 32768);
    EXPECT_EQ(taperedFillAmount(PF_Pixel16{0, 0, 0, 12345}), 12345);
}

TEST(Decontamination, NeutralGreyLeavesTheColourUnchanged) {
    const PF_Pixel16 patch{7, 100, 20000, 32768};
    const PF_Pixel16 p = reference::decontaminatedPatchColour(patch, GREY, 32768);
    EXPECT_EQ(p.red, 100);
    EXPECT_EQ(p.green, 20000);
    EXPECT_EQ(p.blue, 32768);
}

TEST(Decontamination, StrengthFollowsTheFillAmount) {
    const PF_Pixel16 above{32768, 16384 + 64, 16384 + 64, 16384 + 64};
    const PF_Pixel16 patch{0, 1000, 2000, 3000};
    for (A_u_short b : {A_u_short{16384}, A_u_short{32768}}) {
        const PF_Pixel16 p = reference::decontaminatedPatchColour(patch, above, b);
        EXPECT_EQ(p.red, 1000 - 64);
        EXPECT_EQ(p.blue, 3000 - 64);
    }
    const PF_Pixel16 weak = reference::decontaminatedPatchColour(patch, above, 8192);
    EXPECT_EQ(weak.red, 1000 - 48);
    EXPECT_EQ(weak.green, 2000 - 48);
}

TEST(Decontamination, ClampsToTheChannelRange) {
    const PF_Pixel16 p = reference::decontaminatedPatchColour(
        PF_Pixel16{0, 10, 32760, 0}, PF_Pixel16{0, 32768, 0, 16384}, 32768);
    EXPECT_EQ(p.red, 0);
    EXPECT_EQ(p.green, 32768);
    EXPECT_EQ(p.blue, 0);
}

// One row of pixels, each a separate case, all within the limits but the last.
struct ComposeCase {
    TestWorld16 input{6, 1}, patch{6, 1}, mask{6, 1}, output{6, 1};
    FillLimitsArray limits{};

    ComposeCase() {
        limits.firstRow = 0;
        limits.lastRow = 0;
        limits.left[0] = 0;
        limits.right[0] = 4;
        for (A_long x = 0; x < 6; ++x) patch.at(x, 0) = PF_Pixel16{0, 30000, 20000, 10000};
        // 0: no fill over an opaque pixel.
        input.at(0, 0) = PF_Pixel16{32768, 1000, 2000, 3000};
        // 1: full fill over a clear pixel.
        input.at(1, 0) = PF_Pixel16{0, 5, 6, 7};
        mask.at(1, 0) = PF_Pixel16{0, 0, 0, 32768};
        // 2: full fill over an opaque pixel.
        input.at(2, 0) = PF_Pixel16{32768, 10000, 10000, 10000};
        mask.at(2, 0) = PF_Pixel16{0, 0, 0, 32768};
        // 3: feathered fill spilling onto clear background, no edge multiplier.
        input.at(3, 0) = PF_Pixel16{100, 1, 2, 3};
        mask.at(3, 0) = PF_Pixel16{0, 0, 0, 16000};
        // 4: feathered fill over a half-opaque pixel.
        input.at(4, 0) = PF_Pixel16{16384, 0, 0, 0};
        mask.at(4, 0) = PF_Pixel16{0, 0, 0, 16384};
        // 5: outside the limits.
        input.at(5, 0) = PF_Pixel16{32768, 9, 9, 9};
        mask.at(5, 0) = PF_Pixel16{0, 0, 0, 32768};
    }

    void run(A_long view) {
        const ComposeSources s{InputLayer16{&input.def, false}, &patch.def, &mask.def, &limits,
                               GREY};
        compose_OutputView(output.def, s, view, 6, 1);
    }
    PF_Pixel16 out(A_long x) { return output.at(x, 0); }
};

void expectPixel(PF_Pixel16 p, A_u_short a, A_u_short r, A_u_short g, A_u_short b) {
    EXPECT_EQ(p.alpha, a);
    EXPECT_EQ(p.red, r);
    EXPECT_EQ(p.green, g);
    EXPECT_EQ(p.blue, b);
}

TEST(ComposeResult, BlendsFillIntoTheInput) {
    ComposeCase c;
    c.run(VIEW_SHOW_RESULT);
    expectPixel(c.out(0), 32768, 1000, 2000, 3000);     // b = 0: unchanged
    expectPixel(c.out(1), 32768, 30000, 20000, 10000);  // clear input takes the patch exactly
    expectPixel(c.out(2), 32768, 20000, 15000, 10000);  // opaque input: the mean
    expectPixel(c.out(3), 100, 1, 2, 3);                // spill onto background dropped
    // weights 16384 and 16384: the mean, alpha the sum
    expectPixel(c.out(4), 32768, 15000, 10000, 5000);
    expectPixel(c.out(5), 0, 0, 0, 0);  // outside the limits
}

TEST(ComposeOnlyChanges, ShowsTheFillAlone) {
    ComposeCase c;
    c.run(VIEW_SHOW_ONLY_CHANGES);
    expectPixel(c.out(0), 0, 0, 0, 0);
    expectPixel(c.out(1), 32768, 30000, 20000, 10000);
    expectPixel(c.out(3), 0, 0, 0, 0);
    expectPixel(c.out(4), 16384, 30000, 20000, 10000);
    expectPixel(c.out(5), 0, 0, 0, 0);
}

TEST(ComposeAlpha, IsTheCompositeAlphaAsGrey) {
    ComposeCase c;
    c.run(VIEW_SHOW_ALPHA);
    expectPixel(c.out(0), 32768, 32768, 32768, 32768);
    expectPixel(c.out(3), 32768, 100, 100, 100);
    expectPixel(c.out(5), 32768, 0, 0, 0);
}

TEST(ComposeInfo, ShowsTheMaskClampedToFullScale) {
    ComposeCase c;
    c.mask.at(0, 0) = PF_Pixel16{0, 32768, 0, 37268};  // absorbed chaff
    c.run(VIEW_SHOW_INFO);
    expectPixel(c.out(0), 32768, 32768, 0, 32768);
    expectPixel(c.out(1), 32768, 0, 0, 32768);
    expectPixel(c.out(5), 32768, 0, 0, 32768);  // outside: opaque blue
}

}  // namespace
