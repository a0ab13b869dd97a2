// Renders through the loaded module, as far as the host sees them: every
// world, checkout and suite a render takes is given back, on success and on
// every error path the host can provoke.
#include <string>

#include "frame/params/params.h"
#include "loaded_module.h"

namespace {

struct RenderCase {
    HostApp app;
    PixelDepth depth;
    const char *label;
};

const RenderCase kCases[] = {
    {HostApp::AfterEffects, PixelDepth::Eight, "After Effects 8-bit"},
    {HostApp::AfterEffects, PixelDepth::Sixteen, "After Effects 16-bit"},
    {HostApp::Premiere, PixelDepth::Sixteen, "Premiere"},
};

constexpr A_long kWidth = 48;
constexpr A_long kHeight = 200;  // the fewest rows the render analyses

// An opaque layer with a clear square hole and a half-transparent band, so
// the render has a matte to work on.
OwnedWorld matteLayer(PixelDepth depth, A_long height) {
    OwnedWorld layer(kWidth, height, depth, 16);
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < kWidth; ++x) {
            const bool hole = x >= 20 && x < 26 && y >= 90 && y < 96;
            const bool band = x >= 10 && x < 14;
            const A_u_char alpha = hole ? 0 : band ? 120 : 255;
            if (depth == PixelDepth::Eight)
                *layer.pixel8(x, y) = PF_Pixel{alpha, 200, 100, 50};
            else
                *layer.pixel16(x, y) = PF_Pixel16{A_u_short(alpha * 128), 25600, 12800, 6400};
        }
    }
    return layer;
}

class RenderReleaseTest : public ModuleTest {
  protected:
    CommandReport renderOnce(EffectHost &host, const RenderCase &c, A_long height = kHeight) {
        OwnedWorld input = matteLayer(c.depth, height);
        OwnedWorld output(kWidth, height, c.depth, 8);
        return host.render(defaultParamValues(), input.layer(), output.layer());
    }
};

TEST_F(RenderReleaseTest, SuccessfulRendersGiveEverythingBack) {
    for (const RenderCase &c : kCases) {
        SCOPED_TRACE(c.label);
        EffectHost host(entry(), settingsFor(c.app));
        host.settings().currentTime = 10;
        host.settings().timeStep = 2;
        CommandReport report = renderOnce(host, c);
        EXPECT_EQ(report.err, PF_Err_NONE);
        EXPECT_TRUE(report.clean()) << report.describe();
        EXPECT_FALSE(report.newWorldFlags.empty());
        for (PF_NewWorldFlags flags : report.newWorldFlags)
            EXPECT_NE(flags & PF_NewWorldFlag_DEEP_PIXELS, 0);
        // The frames three before to three after, a time step apart.
        std::vector<A_long> times;
        for (const CheckoutRecord &checkout : report.checkouts) times.push_back(checkout.time);
        EXPECT_EQ(times, (std::vector<A_long>{4, 6, 8, 10, 12, 14, 16}));
    }
}

TEST_F(RenderReleaseTest, FramesBeforeTimeZeroAreFetchedAtZero) {
    EffectHost host(entry());
    CommandReport report = renderOnce(host, kCases[0]);
    std::vector<A_long> times;
    for (const CheckoutRecord &checkout : report.checkouts) times.push_back(checkout.time);
    EXPECT_EQ(times, (std::vector<A_long>{0, 0, 0, 0, 1, 2, 3}));
}

TEST_F(RenderReleaseTest, ShortOutputsSucceedWithoutWorlds) {
    for (const RenderCase &c : kCases) {
        SCOPED_TRACE(c.label);
        EffectHost host(entry(), settingsFor(c.app));
        CommandReport report = renderOnce(host, c, kHeight - 1);
        EXPECT_EQ(report.err, PF_Err_NONE);
        EXPECT_TRUE(report.clean()) << report.describe();
        EXPECT_TRUE(report.newWorldFlags.empty());
    }
}

// Refusing each world creation in turn: the render stops with the host's
// error and disposes of every world it had made.
TEST_F(RenderReleaseTest, EachRefusedWorldEndsTheRenderCleanly) {
    for (const RenderCase &c : kCases) {
        EffectHost host(entry(), settingsFor(c.app));
        const std::size_t worlds = renderOnce(host, c).newWorldFlags.size();
        for (std::size_t nth = 1; nth <= worlds; ++nth) {
            SCOPED_TRACE(std::string(c.label) + ", world " + std::to_string(nth));
            FaultPlan plan;
            plan.newWorld = FaultAt{int(nth), PF_Err_OUT_OF_MEMORY};
            host.setFaults(plan);
            CommandReport report = renderOnce(host, c);
            EXPECT_EQ(report.err, PF_Err_OUT_OF_MEMORY);
            EXPECT_TRUE(report.clean()) << report.describe();
        }
    }
}

TEST_F(RenderReleaseTest, EachRefusedCheckoutEndsTheRenderCleanly) {
    for (const RenderCase &c : kCases) {
        EffectHost host(entry(), settingsFor(c.app));
        const std::size_t checkouts = renderOnce(host, c).checkouts.size();
        ASSERT_GT(checkouts, 0u);
        for (std::size_t nth = 1; nth <= checkouts; ++nth) {
            SCOPED_TRACE(std::string(c.label) + ", checkout " + std::to_string(nth));
            FaultPlan plan;
            plan.checkout = FaultAt{int(nth), PF_Err_INTERNAL_STRUCT_DAMAGED};
            host.setFaults(plan);
            CommandReport report = renderOnce(host, c);
            EXPECT_EQ(report.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
            EXPECT_TRUE(report.clean()) << report.describe();
            // Nothing is fetched after the refused frame.
            EXPECT_EQ(report.checkouts.size(), nth);
        }
    }
}

TEST_F(RenderReleaseTest, AnyMissingSuiteLeavesNothingBehind) {
    const char *suites[] = {kPFANSISuite, kPFHandleSuite, kPFColorParamSuite, kPFUtilitySuite,
                            kPFPixelFormatSuite};
    for (const RenderCase &c : kCases) {
        for (const char *missing : suites) {
            SCOPED_TRACE(std::string(c.label) + " without " + missing);
            EffectHost host(entry(), settingsFor(c.app));
            FaultPlan plan;
            plan.refusedSuites = {missing};
            host.setFaults(plan);
            CommandReport report = renderOnce(host, c);
            EXPECT_TRUE(report.clean()) << report.describe();
        }
    }
}

}  // namespace
