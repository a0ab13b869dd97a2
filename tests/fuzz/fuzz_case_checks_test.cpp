// The fuzz case's checks catch the faults they are there for: stand-in
// effects that each break one promise are run through a fixed case, and an
// honest stand-in passes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render_fuzz_case.h"

namespace {

FuzzCase fixedRenderCase() {
    FuzzCase c;
    c.input = LayerShape{24, 200, PixelDepth::Sixteen, 2, false};
    c.output = LayerShape{24, 200, PixelDepth::Sixteen, 1, false};
    c.neighbour = c.input;
    c.values = defaultParamValues();
    c.picture.seed = 7;
    c.picture.subjectRight = 24;
    c.picture.subjectBottom = 200;
    return c;
}

void copyInput(PF_ParamDef *params[], PF_LayerDef *output) {
    const PF_LayerDef &in = params[0]->u.ld;
    for (A_long y = 0; y < output->height; ++y)
        std::memcpy(reinterpret_cast<char *>(output->data) + y * output->rowbytes,
                    reinterpret_cast<const char *>(in.data) + y * in.rowbytes,
                    std::size_t(output->width) * sizeof(PF_Pixel16));
}

PF_Err honest(PF_Cmd cmd, PF_InData *, PF_OutData *, PF_ParamDef *params[], PF_LayerDef *output,
              void *) {
    if (cmd == PF_Cmd_RENDER) copyInput(params, output);
    return PF_Err_NONE;
}

PF_Err writesNothing(PF_Cmd, PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, void *) {
    return PF_Err_NONE;
}

PF_Err keepsAWorld(PF_Cmd cmd, PF_InData *in, PF_OutData *, PF_ParamDef *params[],
                   PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    PF_LayerDef world{};
    in->utils->new_world(in->effect_ref, 4, 4, PF_NewWorldFlag_DEEP_PIXELS, &world);
    copyInput(params, output);
    return PF_Err_NONE;
}

PF_Err writesPastTheRow(PF_Cmd cmd, PF_InData *, PF_OutData *, PF_ParamDef *params[],
                        PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    copyInput(params, output);
    reinterpret_cast<char *>(output->data)[output->width * sizeof(PF_Pixel16)] = 1;
    return PF_Err_NONE;
}

PF_Err failsAfterWriting(PF_Cmd cmd, PF_InData *, PF_OutData *, PF_ParamDef *params[],
                         PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    copyInput(params, output);
    return PF_Err_OUT_OF_MEMORY;
}

PF_Err writesItsInput(PF_Cmd cmd, PF_InData *, PF_OutData *, PF_ParamDef *params[],
                      PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    copyInput(params, output);
    ++reinterpret_cast<PF_Pixel16 *>(params[0]->u.ld.data)->red;
    return PF_Err_NONE;
}

// Goes on as if the refused world had been made.
PF_Err ignoresARefusal(PF_Cmd cmd, PF_InData *in, PF_OutData *, PF_ParamDef *params[],
                       PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    PF_LayerDef world{};
    if (in->utils->new_world(in->effect_ref, 4, 4, PF_NewWorldFlag_DEEP_PIXELS, &world) ==
        PF_Err_NONE)
        in->utils->dispose_world(in->effect_ref, &world);
    copyInput(params, output);
    return PF_Err_NONE;
}

// Shows a pixel of a world it never cleared.
PF_Err readsAnUnclearedWorld(PF_Cmd cmd, PF_InData *in, PF_OutData *, PF_ParamDef *params[],
                             PF_LayerDef *output, void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    PF_LayerDef world{};
    in->utils->new_world(in->effect_ref, 4, 4, PF_NewWorldFlag_DEEP_PIXELS, &world);
    copyInput(params, output);
    *reinterpret_cast<PF_Pixel16 *>(output->data) = *reinterpret_cast<PF_Pixel16 *>(world.data);
    in->utils->dispose_world(in->effect_ref, &world);
    return PF_Err_NONE;
}

bool mentions(const std::string &problems, const char *what) {
    return problems.find(what) != std::string::npos;
}

TEST(FuzzCaseChecks, AnHonestEffectPasses) {
    EXPECT_EQ(runFuzzCase(honest, fixedRenderCase()), "");
}

TEST(FuzzCaseChecks, EachBrokenPromiseIsReported) {
    const FuzzCase c = fixedRenderCase();
    EXPECT_TRUE(mentions(runFuzzCase(writesNothing, c), "did not write"));
    EXPECT_TRUE(mentions(runFuzzCase(keepsAWorld, c), "world(s) not disposed"));
    EXPECT_TRUE(mentions(runFuzzCase(writesPastTheRow, c), "row padding was written"));
    EXPECT_TRUE(mentions(runFuzzCase(failsAfterWriting, c), "failed with 4 but wrote"));
    EXPECT_TRUE(mentions(runFuzzCase(writesItsInput, c), "wrote into a layer"));
    EXPECT_TRUE(mentions(runFuzzCase(readsAnUnclearedWorld, c), "did not write"));
}

TEST(FuzzCaseChecks, AnIgnoredRefusalIsReported) {
    FuzzCase c = fixedRenderCase();
    EXPECT_EQ(runFuzzCase(ignoresARefusal, c), "");
    c.faults.newWorld = FaultAt{1, PF_Err_OUT_OF_MEMORY};
    EXPECT_TRUE(mentions(runFuzzCase(ignoresARefusal, c), "refused world 1 gave 0"));
}

TEST(FuzzCaseChecks, DecodingNeverLeavesTheSizesItPromises) {
    // Every byte pattern decodes; the layers stay within the caps that keep a
    // case fast, and 4320-row layers stay at most three columns wide.
    for (int seed = 0; seed < 400; ++seed) {
        std::uint8_t bytes[96];
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = std::uint8_t((seed * 131 + i * 17 + (i * i * seed) / 7) & 0xFF);
        const FuzzCase c = decodeFuzzCase(bytes, std::size_t(seed % 97));
        EXPECT_GE(c.input.width, 1);
        EXPECT_GE(c.input.height, 1);
        EXPECT_LE(std::int64_t(c.input.width) * c.input.height, 128 * 216);
        if (c.input.height > 700) {
            EXPECT_LE(c.input.width, 3);
        }
        EXPECT_EQ(c.settings.rowPaddingBytes % 8, 0);
        if (c.settings.app == HostApp::Premiere) {
            EXPECT_EQ(c.output.depth, c.input.depth);
            EXPECT_EQ(c.neighbour.depth, c.input.depth);
        }
    }
}

}  // namespace
