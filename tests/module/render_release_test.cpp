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
        host.paramsSetup();
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

// Each refused world, checkout and suite: fault_sweep_test.cpp.

}  // namespace
