// The whole render: the built module against the straightforward driver
// (reference/render/render.cpp, run in this process through the same entry), each
// under its own host. Worlds come out of the hosts painted with their test
// pattern, so a fast path that reads a pixel it never wrote shows. The two
// must make the same host calls in the same order, fail at the same call
// when the host refuses one, and write the same output bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "frame/entry_point.h"
#include "host/effect_host.h"
#include "host/effect_module.h"
#include "module/loaded_module.h"
#include "reference/render/render.h"
#include "support/keyed_frames.h"

namespace {

// The plug-in's entry with the straightforward render in place of Render.
PF_Err referenceEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                      PF_LayerDef *output, void *extra) {
    if (cmd != PF_Cmd_RENDER) return EntryPointFunc(cmd, in_data, out_data, params, output, extra);
    try {
        return reference::Render(in_data, out_data, params, output);
    } catch (PF_Err err) {
        return err;
    }
}

struct RenderCase {
    std::string name;
    A_long width = 320, height = 240;
    PixelDepth depth = PixelDepth::Eight;
    std::uint32_t seed = 1;
    HostApp app = HostApp::AfterEffects;
    std::function<void(ParamValues &)> params = [](ParamValues &) {};
    A_long downsample = 1;
    // Output size relative to the input; 0 keeps it.
    A_long outputWidth = 0, outputHeight = 0;
    // Times at which the host delivers a frame without pixels.
    std::set<A_long> missingTimes;
    // Every pixel of the input at this alpha (no matte), or -1.
    int uniformAlpha = -1;
    A_long holeCount = -1;
};

void PrintTo(const RenderCase &c, std::ostream *os) { *os << c.name; }

// A clip of seven frames (offsets -3..+3) and what the host needs to serve it.
struct Clip {
    std::vector<OwnedWorld> frames;
    explicit Clip(const RenderCase &c) {
        KeyedFrameOptions o;
        o.width = c.width;
        o.height = c.height;
        o.depth = c.depth;
        o.seed = c.seed;
        o.holeCount = c.holeCount;
        if (c.holeCount > 0) {
            o.smallestHoleRadius = 3;
            o.largestHoleRadius = 4;
        }
        for (A_long k = -3; k <= 3; ++k) {
            frames.push_back(makeKeyedFrame(neighbourFrame(o, k)));
            if (c.uniformAlpha < 0) continue;
            OwnedWorld &f = frames.back();
            for (A_long y = 0; y < f.height(); ++y)
                for (A_long x = 0; x < f.width(); ++x) {
                    if (f.deep())
                        f.pixel16(x, y)->alpha = static_cast<A_u_short>(c.uniformAlpha);
                    else
                        f.pixel8(x, y)->alpha = static_cast<A_u_char>(c.uniformAlpha);
                }
        }
    }
};

HostSettings settingsFor(const RenderCase &c, const Clip &clip) {
    HostSettings s;
    s.app = c.app;
    s.timeStep = 2;
    s.timeScale = 48;
    s.currentTime = 3 * s.timeStep;
    s.totalTime = 7 * s.timeStep;
    s.downsampleX = s.downsampleY = PF_RationalScale{1, static_cast<A_u_long>(c.downsample)};
    const std::set<A_long> missing = c.missingTimes;
    s.frameSource = [&clip, missing](A_long time) -> const PF_LayerDef * {
        if (missing.count(time)) return nullptr;
        const A_long index = std::clamp<A_long>(time / 2, 0, 6);
        return &clip.frames[static_cast<std::size_t>(index)].layer();
    };
    return s;
}

struct Rendered {
    CommandReport report;
    std::vector<std::uint8_t> output;
};

Rendered renderWith(PF_FilterProc entry, const RenderCase &c, const Clip &clip,
                    const ParamValues &values, const FaultPlan &faults) {
    EffectHost host(entry, settingsFor(c, clip));
    EXPECT_EQ(host.globalSetup().err, PF_Err_NONE);
    EXPECT_EQ(host.paramsSetup().report.err, PF_Err_NONE);
    host.setFaults(faults);
    const OwnedWorld &input = clip.frames[3];
    // The host's output, its bytes marked so that any the render leaves
    // unwritten show (and must be the same ones).
    OwnedWorld output(c.outputWidth ? c.outputWidth : input.width(),
                      c.outputHeight ? c.outputHeight : input.height(), c.depth, 16, 0x5A);
    Rendered r;
    r.report = host.render(values, input.layer(), output.layer());
    for (A_long y = 0; y < output.height(); ++y)
        r.output.insert(r.output.end(), output.row(y), output.row(y) + output.rowbytes());
    return r;
}

void expectSameCallsAndOutput(const Rendered &plain, const Rendered &fast) {
    EXPECT_EQ(plain.report.err, fast.report.err);
    EXPECT_TRUE(fast.report.clean()) << fast.report.describe();
    EXPECT_EQ(plain.report.newWorldFlags, fast.report.newWorldFlags) << "world creations";
    ASSERT_EQ(plain.report.checkouts.size(), fast.report.checkouts.size()) << "check-outs";
    for (std::size_t i = 0; i < plain.report.checkouts.size(); ++i) {
        const CheckoutRecord &p = plain.report.checkouts[i], &f = fast.report.checkouts[i];
        EXPECT_TRUE(p.index == f.index && p.time == f.time && p.timeStep == f.timeStep &&
                    p.timeScale == f.timeScale)
            << "check-out " << i;
    }
    ASSERT_EQ(plain.output.size(), fast.output.size());
    std::size_t first = 0;
    while (first < plain.output.size() && plain.output[first] == fast.output[first]) ++first;
    EXPECT_EQ(first, plain.output.size()) << "outputs differ from byte " << first;
}

// The module renders with one worker thread, two, and more than the frame
// has bands for its radii; each must match the plain driver byte for byte.
void expectSameRender(const RenderCase &c, const FaultPlan &faults = FaultPlan()) {
    ASSERT_TRUE(loadedModule().isOpen()) << "set HOLVANE_MODULE to the built module";
    const Clip clip(c);
    ParamValues values = defaultParamValues();
    // Set colours other than white: a patch read where nothing was copied
    // holds the host's mark, which reads as white once clamped.
    if (c.name.rfind("Default", 0) != 0)
        values.colour[PARAM_SET_COLOR] = PF_Pixel{255, 30, 140, 90};
    c.params(values);
    const Rendered plain = renderWith(referenceEntry, c, clip, values, faults);
    for (const char *threads : {"1", "2", "7"}) {
        SCOPED_TRACE(std::string(threads) + " render threads");
        setenv("HOLVANE_RENDER_THREADS", threads, 1);
        const Rendered fast = renderWith(loadedModule().entry(), c, clip, values, faults);
        unsetenv("HOLVANE_RENDER_THREADS");
        expectSameCallsAndOutput(plain, fast);
    }
}

class RenderEquivalence : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderEquivalence, SameCallsAndSameOutput) { expectSameRender(GetParam()); }

RenderCase named(std::string name, std::uint32_t seed, PixelDepth depth = PixelDepth::Eight) {
    RenderCase c;
    c.name = std::move(name);
    c.seed = seed;
    c.depth = depth;
    return c;
}

RenderCase withParams(RenderCase c, std::function<void(ParamValues &)> params) {
    c.params = std::move(params);
    return c;
}

RenderCase inPremiere(RenderCase c) {
    c.app = HostApp::Premiere;
    return c;
}

void heavy(ParamValues &v, A_long grow, A_long chain) {
    v.number[PARAM_CLOSE_EDGE_GAPS] = 30;
    v.number[PARAM_HOLE_SIZE] = 4000;
    v.number[PARAM_FEATHER_IN] = 100;
    v.number[PARAM_SHRINK_GROW] = grow;
    v.number[PARAM_FILL_WITH] = chain;
}

std::function<void(ParamValues &)> chainOnly(A_long chain) {
    return [chain](ParamValues &v) { v.number[PARAM_FILL_WITH] = chain; };
}

std::vector<RenderCase> renderCases() {
    std::vector<RenderCase> cases;
    cases.push_back(named("Default8", 1));
    cases.push_back(named("Default16", 2, PixelDepth::Sixteen));
    cases.push_back(
        withParams(named("HeavyGrowChain5", 3), [](ParamValues &v) { heavy(v, 50, 5); }));
    cases.push_back(withParams(named("HeavyShrinkChain9", 4, PixelDepth::Sixteen),
                               [](ParamValues &v) { heavy(v, -50, 9); }));
    for (A_long chain = 1; chain <= 10; ++chain)
        cases.push_back(withParams(
            named("Chain" + std::to_string(chain), static_cast<std::uint32_t>(10 + chain),
                  chain % 2 ? PixelDepth::Eight : PixelDepth::Sixteen),
            [chain](ParamValues &v) {
                v.number[PARAM_FILL_WITH] = chain;
                v.number[PARAM_FEATHER_IN] = 4 * chain;
                v.number[PARAM_SHRINK_GROW] = chain - 5;
            }));
    for (A_long view = 2; view <= 4; ++view)
        cases.push_back(
            withParams(named("View" + std::to_string(view), static_cast<std::uint32_t>(20 + view)),
                       [view](ParamValues &v) { v.number[PARAM_PROCESS] = view; }));
    cases.push_back(inPremiere(withParams(named("Premiere8", 31), chainOnly(6))));
    cases.push_back(
        inPremiere(withParams(named("Premiere16", 32, PixelDepth::Sixteen), chainOnly(4))));
    cases.push_back(inPremiere(withParams(named("PremiereBelowAlpha0", 33), [](ParamValues &v) {
        v.number[PARAM_BELOW_ALPHA] = 0;
    })));
    RenderCase downsampled = withParams(named("Downsample2", 34), chainOnly(10));
    downsampled.width = 480;
    downsampled.height = 420;
    downsampled.downsample = 2;
    cases.push_back(downsampled);
    RenderCase opaque = named("NoMatteOpaque", 35);
    opaque.uniformAlpha = 255;
    cases.push_back(opaque);
    RenderCase full = withParams(named("NoMatteBelowAlpha100", 36, PixelDepth::Sixteen),
                                 [](ParamValues &v) { v.number[PARAM_BELOW_ALPHA] = 100; });
    full.uniformAlpha = 32768;
    cases.push_back(full);
    RenderCase neighbours = withParams(named("MissingNeighbours", 37), chainOnly(4));
    neighbours.missingTimes = {0, 2, 10, 12};
    cases.push_back(neighbours);
    RenderCase current =
        withParams(named("MissingCurrentFrame", 38, PixelDepth::Sixteen), chainOnly(5));
    current.missingTimes = {6};
    cases.push_back(current);
    RenderCase premiereCurrent =
        inPremiere(withParams(named("PremiereMissingCurrent", 39), chainOnly(3)));
    premiereCurrent.missingTimes = {6};
    cases.push_back(premiereCurrent);
    RenderCase wider = named("OutputWider", 40);
    wider.outputWidth = 350;
    wider.outputHeight = 260;
    cases.push_back(wider);
    RenderCase narrower = named("OutputNarrower", 41, PixelDepth::Sixteen);
    narrower.outputWidth = 300;
    narrower.outputHeight = 220;
    cases.push_back(narrower);
    RenderCase pockets = withParams(named("ManyPockets", 42),
                                    [](ParamValues &v) { v.number[PARAM_HOLE_SIZE] = 30; });
    pockets.width = 800;
    pockets.height = 450;
    pockets.holeCount = 1500;
    cases.push_back(pockets);
    // Accepted background pockets grown past the first widening of the limits:
    // the fill chain reads frames where only the second widening reaches.
    RenderCase grownPast = withParams(named("GrowPastTheFirstLimits", 44), [](ParamValues &v) {
        v.number[PARAM_HOLE_SIZE] = 4000;
        v.number[PARAM_SHRINK_GROW] = 20;
        v.number[PARAM_FILL_WITH] = 4;
        v.colour[PARAM_SET_COLOR] = PF_Pixel{255, 30, 140, 90};
    });
    grownPast.width = 640;
    grownPast.height = 360;
    cases.push_back(grownPast);
    // Masks too narrow to hold their analysis codes in the mask world's own
    // memory, and just wide enough.
    RenderCase narrowest = withParams(named("Narrow12", 45), chainOnly(4));
    narrowest.width = 12;
    cases.push_back(narrowest);
    RenderCase narrow = named("Narrow24", 46, PixelDepth::Sixteen);
    narrow.width = 24;
    cases.push_back(narrow);
    RenderCase tooShort = named("TooShort", 43);
    tooShort.height = 199;
    cases.push_back(tooShort);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderEquivalence, ::testing::ValuesIn(renderCases()),
                         [](const ::testing::TestParamInfo<RenderCase> &info) {
                             return info.param.name;
                         });

// The host refuses each world creation and each check-out in turn: both
// renders must stop at the same call with the same error, leave the output
// as it was and release everything.
TEST(RenderEquivalenceUnderFaults, StopsAtTheSameCall) {
    const RenderCase c = withParams(named("Faults", 50), chainOnly(4));
    for (int nth = 1; nth <= 11; ++nth) {
        FaultPlan faults;
        faults.newWorld.nth = nth;
        SCOPED_TRACE("world creation " + std::to_string(nth));
        expectSameRender(c, faults);
    }
    for (int nth = 1; nth <= 7; ++nth) {
        FaultPlan faults;
        faults.checkout.nth = nth;
        SCOPED_TRACE("check-out " + std::to_string(nth));
        expectSameRender(c, faults);
    }
}

}  // namespace
