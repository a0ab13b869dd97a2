// Every host call a render makes, refused one at a time through the loaded
// module: each world creation, each frame checkout and each suite. The render
// must return the host's error, give back everything it took, and leave the
// output either as the host handed it over or complete.
#include <string>
#include <vector>

#include "frame/params/params.h"
#include "loaded_module.h"

namespace {

struct SweepCase {
    HostApp app;
    PixelDepth depth;
    const char *label;
};

const SweepCase kSweepCases[] = {
    {HostApp::AfterEffects, PixelDepth::Eight, "After Effects 8-bit"},
    {HostApp::AfterEffects, PixelDepth::Sixteen, "After Effects 16-bit"},
    {HostApp::Premiere, PixelDepth::Eight, "Premiere 8-bit"},
    {HostApp::Premiere, PixelDepth::Sixteen, "Premiere 16-bit"},
};

constexpr A_long kWidth = 40;
constexpr A_long kHeight = 200;
constexpr std::uint8_t kOutputFill = 0x6B;

// A subject with a clear hole and a half-transparent band on a clear
// background, so every stage has work.
OwnedWorld sweepLayer(PixelDepth depth) {
    OwnedWorld layer(kWidth, kHeight, depth, 2 * bytesPerPixel(depth));
    for (A_long y = 0; y < kHeight; ++y) {
        for (A_long x = 0; x < kWidth; ++x) {
            const bool subject = x >= 6 && x < 34 && y >= 20 && y < 180;
            const bool band = subject && (x < 9 || x >= 31);
            const bool hole = x >= 15 && x < 22 && y >= 80 && y < 90;
            const A_u_char alpha = !subject || hole ? 0 : band ? 100 : 255;
            const PF_Pixel p{alpha, A_u_char(50 + x), A_u_char(y), 90};
            if (depth == PixelDepth::Eight)
                *layer.pixel8(x, y) = p;
            else
                *layer.pixel16(x, y) =
                    PF_Pixel16{A_u_short(p.alpha * 128), A_u_short(p.red * 128),
                               A_u_short(p.green * 128), A_u_short(p.blue * 128)};
        }
    }
    return layer;
}

struct SweepRun {
    CommandReport report;
    std::vector<std::uint8_t> output;
    PF_OutData outData;
};

class FaultSweepTest : public ModuleTest {
  protected:
    SweepRun render(const SweepCase &c, const FaultPlan &plan) {
        EffectHost host(entry(), settingsFor(c.app));
        host.paramsSetup();
        host.settings().currentTime = 5;
        host.setFaults(plan);
        const OwnedWorld input = sweepLayer(c.depth);
        const std::vector<std::uint8_t> inputBefore = worldBytes(input);
        OwnedWorld output(kWidth, kHeight, c.depth, bytesPerPixel(c.depth), kOutputFill);
        SweepRun run;
        run.report = host.render(defaultParamValues(), input.layer(), output.layer());
        run.output = worldBytes(output);
        run.outData = host.outData();
        EXPECT_EQ(worldBytes(input), inputBefore) << "the render wrote into its input";
        return run;
    }

    static std::vector<std::uint8_t> untouchedOutput(const SweepCase &c) {
        return worldBytes(
            OwnedWorld(kWidth, kHeight, c.depth, bytesPerPixel(c.depth), kOutputFill));
    }
};

// The render takes a working copy, seven frames (offsets -3..+3) and two
// analysis worlds, plus a 16-bit temporary for an 8-bit output.
TEST_F(FaultSweepTest, AnUndisturbedRenderMakesTheExpectedCalls) {
    for (const SweepCase &c : kSweepCases) {
        SCOPED_TRACE(c.label);
        const SweepRun run = render(c, FaultPlan{});
        EXPECT_EQ(run.report.err, PF_Err_NONE);
        EXPECT_TRUE(run.report.clean()) << run.report.describe();
        EXPECT_EQ(run.report.newWorldFlags.size(), c.depth == PixelDepth::Eight ? 11u : 10u);
        EXPECT_EQ(run.report.checkouts.size(), 7u);
        EXPECT_NE(run.output, untouchedOutput(c));
    }
}

TEST_F(FaultSweepTest, EachRefusedWorldReturnsItsErrorAndLeavesTheOutput) {
    for (const SweepCase &c : kSweepCases) {
        const std::size_t worlds = render(c, FaultPlan{}).report.newWorldFlags.size();
        for (std::size_t nth = 1; nth <= worlds; ++nth) {
            SCOPED_TRACE(std::string(c.label) + ", world " + std::to_string(nth));
            FaultPlan plan;
            // A different code for every call shows the error is passed on
            // as the host gave it.
            plan.newWorld = FaultAt{int(nth), PF_Err(700 + nth)};
            const SweepRun run = render(c, plan);
            EXPECT_EQ(run.report.err, PF_Err(700 + nth));
            EXPECT_TRUE(run.report.clean()) << run.report.describe();
            EXPECT_EQ(run.report.newWorldFlags.size(), nth) << "worlds asked for after the refusal";
            EXPECT_EQ(run.output, untouchedOutput(c));
        }
    }
}

TEST_F(FaultSweepTest, EachRefusedCheckoutReturnsItsErrorAndLeavesTheOutput) {
    for (const SweepCase &c : kSweepCases) {
        const std::size_t checkouts = render(c, FaultPlan{}).report.checkouts.size();
        for (std::size_t nth = 1; nth <= checkouts; ++nth) {
            SCOPED_TRACE(std::string(c.label) + ", checkout " + std::to_string(nth));
            FaultPlan plan;
            plan.checkout = FaultAt{int(nth), PF_Err(800 + nth)};
            const SweepRun run = render(c, plan);
            EXPECT_EQ(run.report.err, PF_Err(800 + nth));
            EXPECT_TRUE(run.report.clean()) << run.report.describe();
            EXPECT_EQ(run.report.checkouts.size(), nth) << "frames fetched after the refusal";
            EXPECT_EQ(run.output, untouchedOutput(c));
        }
    }
}

// After Effects reads the colour controls through the colour parameter suite
// (the suite handler throws 516 without it); Premiere Pro asks the pixel
// format suite for the output's depth (the scoped suite throws 13 and shows
// its message). A suite the render does not use changes nothing.
TEST_F(FaultSweepTest, EachRefusedSuiteEndsTheRenderOrChangesNothing) {
    const char *suites[] = {kPFANSISuite, kPFHandleSuite, kPFColorParamSuite, kPFUtilitySuite,
                            kPFPixelFormatSuite};
    for (const SweepCase &c : kSweepCases) {
        const std::vector<std::uint8_t> complete = render(c, FaultPlan{}).output;
        for (const char *suite : suites) {
            SCOPED_TRACE(std::string(c.label) + " without " + suite);
            FaultPlan plan;
            plan.refusedSuites = {suite};
            const SweepRun run = render(c, plan);
            EXPECT_TRUE(run.report.clean()) << run.report.describe();
            const std::string name = suite;
            PF_Err expected = PF_Err_NONE;
            if (c.app == HostApp::AfterEffects && name == kPFColorParamSuite)
                expected = PF_Err_BAD_CALLBACK_PARAM;
            if (c.app == HostApp::Premiere && name == kPFPixelFormatSuite)
                expected = A_Err_MISSING_SUITE;
            EXPECT_EQ(run.report.err, expected);
            EXPECT_EQ(run.output, expected == PF_Err_NONE ? complete : untouchedOutput(c));
            if (expected == A_Err_MISSING_SUITE) {
                EXPECT_STREQ(run.outData.return_msg, "Not able to acquire AEFX Suite.");
                EXPECT_NE(run.outData.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
            }
        }
    }
}

}  // namespace
