#include "render/render_settings.h"

#include <gtest/gtest.h>

#include "frame/params/params.h"

namespace {

// A parameter array holding each control's default, as a fresh instance has.
struct DefaultParams {
    PF_ParamDef defs[PARAM_COUNT]{};
    PF_ParamDef *params[PARAM_COUNT]{};
    PF_InData in_data{};

    DefaultParams() {
        for (A_long i = 1; i < PARAM_COUNT; ++i) {
            const ParamSpec &control = paramSpec(static_cast<ParamIndex>(i));
            if (control.type == PF_Param_POPUP) defs[i].u.pd.value = control.dephault;
            if (control.type == PF_Param_SLIDER) defs[i].u.sd.value = control.dephault;
        }
        for (A_long i = 0; i < PARAM_COUNT; ++i) params[i] = &defs[i];
        downsample(1, 1);
    }
    void downsample(A_long num, A_u_long den) {
        in_data.downsample_x = in_data.downsample_y = {num, den};
    }
    void set(ParamIndex i, A_long v) { defs[i].u.sd.value = defs[i].u.pd.value = v; }
    RenderSettings derive(A_long height = 1080) {
        return derive_RenderSettings(&in_data, params, height);
    }
};

TEST(RenderSettings, DefaultsAtFullResolution) {
    DefaultParams p;
    const RenderSettings s = p.derive(1080);
    EXPECT_EQ(s.viewMode, VIEW_SHOW_RESULT);
    EXPECT_EQ(s.stageLimit, Stage::Compose);
    EXPECT_EQ(s.gapDistance, 10);
    EXPECT_EQ(s.maxAcross, 200);
    EXPECT_EQ(s.alphaLevel, 32113);
    EXPECT_EQ(s.quarterLevel, 8028);
    EXPECT_EQ(s.featherRadius, 2.0f);
    EXPECT_EQ(s.growAmount, 0);
    EXPECT_EQ(s.fillChain, 3);
    EXPECT_EQ(s.blurSize, 53);  // (1079 / 20)
    EXPECT_EQ(s.limitsMargin, 4);
}

TEST(RenderSettings, AlphaLevelAtTheEndsOfItsRange) {
    DefaultParams p;
    p.set(PARAM_BELOW_ALPHA, 100);
    EXPECT_EQ(p.derive().alphaLevel, 32768);
    p.set(PARAM_BELOW_ALPHA, 0);
    EXPECT_EQ(p.derive().alphaLevel, 0);
}

TEST(RenderSettings, HalfDownsampleDividesDistancesButNotTheGap) {
    DefaultParams p;
    p.downsample(1, 2);
    p.set(PARAM_FEATHER_IN, 1);
    p.set(PARAM_SHRINK_GROW, -7);
    p.set(PARAM_HOLE_SIZE, 201);
    const RenderSettings s = p.derive(540);
    EXPECT_EQ(s.downsample, 2);
    EXPECT_EQ(s.gapDistance, 10);
    EXPECT_EQ(s.maxAcross, 100);
    EXPECT_EQ(s.featherRadius, 0.5f);
    EXPECT_EQ(s.growAmount, -3);  // truncated toward zero
    EXPECT_EQ(s.blurSize, 13);    // (539 / 20) / 2
}

TEST(RenderSettings, OtherDownsamplesDivideNothing) {
    DefaultParams p;
    p.downsample(1, 8);
    EXPECT_EQ(p.derive().downsample, 1);
    p.downsample(2, 4);
    EXPECT_EQ(p.derive().maxAcross, 200);
}

TEST(RenderSettings, InfoViewStopsAfterClassification) {
    DefaultParams p;
    p.set(PARAM_PROCESS, VIEW_SHOW_INFO);
    const RenderSettings s = p.derive();
    EXPECT_EQ(s.stageLimit, Stage::Classify);
    for (const StageEntry &e : STAGES) {
        const bool runs = e.stage <= Stage::Classify || e.stage == Stage::Compose;
        EXPECT_EQ(stageRuns(s, e.stage), runs) << e.name;
    }
}

TEST(RenderSettings, GapsAndFeatherRunOnlyWithADistance) {
    DefaultParams p;
    EXPECT_TRUE(stageRuns(p.derive(), Stage::EdgeGaps));
    EXPECT_TRUE(stageRuns(p.derive(), Stage::Feather));
    p.set(PARAM_CLOSE_EDGE_GAPS, 0);
    p.set(PARAM_FEATHER_IN, 0);
    const RenderSettings s = p.derive();
    EXPECT_FALSE(stageRuns(s, Stage::EdgeGaps));
    EXPECT_FALSE(stageRuns(s, Stage::EdgeMultiplier));
    EXPECT_FALSE(stageRuns(s, Stage::Feather));
    EXPECT_TRUE(stageRuns(s, Stage::GrowShrink));
}

TEST(RenderSettings, BlurChainsWidenTheLimitsMargin) {
    DefaultParams p;
    p.set(PARAM_SHRINK_GROW, 12);
    for (A_long chain = 1; chain <= 10; ++chain) {
        p.set(PARAM_FILL_WITH, chain);
        const bool blur = chain == 5 || chain == 6 || chain == 9 || chain == 10;
        EXPECT_EQ(p.derive(1080).limitsMargin, 12 + 4 + (blur ? 53 : 0)) << "chain " << chain;
    }
    p.set(PARAM_FILL_WITH, 42);
    EXPECT_EQ(p.derive().fillChain, 10);
}

TEST(RenderSettings, BlurSizeIsCappedAt100) {
    DefaultParams p;
    EXPECT_EQ(p.derive(4320).blurSize, 100);
}

}  // namespace
