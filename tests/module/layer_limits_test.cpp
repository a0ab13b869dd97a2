// Layers at the edges of what the render handles, through the loaded module:
// the fewest rows it analyses (200) and the most its fill limits hold (4320),
// one row either side of each, one and two columns, and a 4K frame whose
// serpentine pocket needs a deeper flood than the seed stack's fixed table.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "frame/params/params.h"
#include "loaded_module.h"

namespace {

constexpr A_u_short kClear = 0, kBand = 16384, kSolid = 32768;

PF_Pixel16 px(A_u_short alpha, A_u_short red, A_u_short green, A_u_short blue) {
    return PF_Pixel16{alpha, red, green, blue};
}

A_u_char eightBit(A_u_short v) { return A_u_char(std::min(255, v >> 7)); }

// Stores a 16-bit pixel, or its 8-bit form.
void put(OwnedWorld &world, A_long x, A_long y, const PF_Pixel16 &p) {
    if (world.deep())
        *world.pixel16(x, y) = p;
    else
        *world.pixel8(x, y) =
            PF_Pixel{eightBit(p.alpha), eightBit(p.red), eightBit(p.green), eightBit(p.blue)};
}

// A pixel as a world of that depth holds it, on the 16-bit scale.
PF_Pixel16 stored(bool deep, const PF_Pixel16 &p) {
    if (deep) return p;
    return px(A_u_short(eightBit(p.alpha) << 7), A_u_short(eightBit(p.red) << 7),
              A_u_short(eightBit(p.green) << 7), A_u_short(eightBit(p.blue) << 7));
}

PF_Pixel16 get(const OwnedWorld &world, A_long x, A_long y) {
    if (world.deep()) return *world.pixel16(x, y);
    const PF_Pixel p = *world.pixel8(x, y);
    return px(A_u_short(p.alpha << 7), A_u_short(p.red << 7), A_u_short(p.green << 7),
              A_u_short(p.blue << 7));
}

bool samePixel(const PF_Pixel16 &a, const PF_Pixel16 &b) {
    return a.alpha == b.alpha && a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Clear columns at both sides of a solid subject crossed by two stripes of
// half-transparent band ten rows high: one in the middle, one ending ten rows
// above the last. Colours vary by row, so a misplaced row shows.
constexpr A_long kStripeRows = 10;

bool inStripe(A_long y, A_long height) {
    const A_long middle = height / 2, low = height - 20;
    return (y >= middle && y < middle + kStripeRows) || (y >= low && y < low + kStripeRows);
}

OwnedWorld stripedSubject(A_long width, A_long height, PixelDepth depth) {
    OwnedWorld layer(width, height, depth, bytesPerPixel(depth));
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < width; ++x) {
            const bool subject = x >= 4 && x < width - 4;
            const A_u_short alpha = !subject ? kClear : inStripe(y, height) ? kBand : kSolid;
            const A_u_short red = A_u_short((y % 200) * 128);
            put(layer, x, y, subject ? px(alpha, red, 6400, 12800) : px(kClear, 0, 0, 0));
        }
    }
    return layer;
}

struct LimitsRender {
    CommandReport report;
    OwnedWorld output;
};

LimitsRender renderLayer(PF_FilterProc entry, const OwnedWorld &input, const ParamValues &values,
                         HostApp app = HostApp::AfterEffects) {
    HostSettings settings;
    settings.app = app;
    EffectHost host(entry, settings);
    host.paramsSetup();
    LimitsRender r{CommandReport{},
                   OwnedWorld(input.width(), input.height(),
                              input.deep() ? PixelDepth::Sixteen : PixelDepth::Eight, 0, 0x3A)};
    r.report = host.render(values, input.layer(), r.output.layer());
    return r;
}

// Returns the first pixel of the output that differs from the input.
std::string firstDifference(const OwnedWorld &input, const OwnedWorld &output) {
    for (A_long y = 0; y < input.height(); ++y)
        for (A_long x = 0; x < input.width(); ++x)
            if (!samePixel(get(input, x, y), get(output, x, y)))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

using LayerLimitsTest = ModuleTest;

// Every pocket of these layers (the clear columns, the solid stretches
// between stripes) is at least 50 pixels across, so none is a hole to fill
// and only the band is.
ParamValues holesUnder50() {
    ParamValues values = defaultParamValues();
    values.number[PARAM_HOLE_SIZE] = 50;
    return values;
}

// 199 and 4321 rows lie outside what the render analyses: the layer is
// copied through, band and all, and no world is made. 200 and 4320 rows are
// analysed to the last stripe: away from the clear columns the band becomes
// opaque in its own colour; solid and clear pixels stay as they were.
// Premiere Pro plays the host: its colour controls arrive as 8-bit values,
// so the default decontamination colour is exactly neutral grey (16384) and
// the filled band keeps its colour to the bit.
TEST_F(LayerLimitsTest, RowsJustInsideAreAnalysedAndJustOutsideCopiedThrough) {
    const A_long width = 24;
    for (PixelDepth depth : {PixelDepth::Eight, PixelDepth::Sixteen}) {
        for (A_long height : {199, 200, 4320, 4321}) {
            SCOPED_TRACE(std::to_string(height) + " rows, " +
                         (depth == PixelDepth::Eight ? "8-bit" : "16-bit"));
            const OwnedWorld input = stripedSubject(width, height, depth);
            const LimitsRender r = renderLayer(entry(), input, holesUnder50(), HostApp::Premiere);
            EXPECT_EQ(r.report.err, PF_Err_NONE);
            EXPECT_TRUE(r.report.clean()) << r.report.describe();
            const bool analysed = height >= 200 && height <= 4320;
            EXPECT_EQ(r.report.newWorldFlags.empty(), !analysed);
            if (!analysed) {
                EXPECT_EQ(firstDifference(input, r.output), "");
                continue;
            }
            // Columns at least four from the clear ones: nearer, the edge
            // multiplier tapers the band, and the solid edge's band of marks
            // makes fill pixels of the clear column next to it.
            for (A_long y = 0; y < height; ++y) {
                for (A_long x = 8; x < width - 8; ++x) {
                    PF_Pixel16 expected = get(input, x, y);
                    if (expected.alpha == stored(input.deep(), px(kBand, 0, 0, 0)).alpha)
                        expected = stored(input.deep(),
                                          px(kSolid, expected.red, expected.green, expected.blue));
                    const PF_Pixel16 got = get(r.output, x, y);
                    ASSERT_TRUE(samePixel(got, expected))
                        << x << "," << y << ": alpha " << got.alpha << " red " << got.red;
                }
            }
        }
    }
}

// Fewer than 16 columns give the matte test no sample, so After Effects
// takes such a layer for one without a matte (its working alpha is 32760):
// nothing is filled and the output is the input. Premiere Pro detects from
// the frame it checks out, which keeps its alpha: there the band is filled,
// opaque in its own colour wherever it is at least two rows from a clear
// pixel (nearer, the edge multiplier tapers it). Blocks of ten rows: clear,
// band, solid; no gap bridging, which would join them.
TEST_F(LayerLimitsTest, OneAndTwoColumnLayersReachEveryRowAndColumnSafely) {
    ParamValues values = holesUnder50();
    values.number[PARAM_CLOSE_EDGE_GAPS] = 0;
    for (PixelDepth depth : {PixelDepth::Eight, PixelDepth::Sixteen}) {
        for (A_long width : {1, 2}) {
            for (A_long height : {199, 200, 4320, 4321}) {
                for (HostApp app : kBothHosts) {
                    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) +
                                 (app == HostApp::Premiere ? " Premiere" : " After Effects"));
                    OwnedWorld input(width, height, depth, bytesPerPixel(depth));
                    for (A_long y = 0; y < height; ++y) {
                        const A_long block = (y / 10) % 3;
                        const A_u_short alpha = block == 0 ? kClear : block == 1 ? kBand : kSolid;
                        // Clear pixels are transparent black, as they come out
                        // wherever the fill limits leave them out.
                        const A_u_short red = alpha == kClear ? 0 : A_u_short((y % 256) * 128);
                        for (A_long x = 0; x < width; ++x)
                            put(input, x, y,
                                px(alpha, red, alpha == kClear ? 0 : A_u_short(3200 + x), 0));
                    }
                    const LimitsRender r = renderLayer(entry(), input, values, app);
                    EXPECT_EQ(r.report.err, PF_Err_NONE);
                    EXPECT_TRUE(r.report.clean()) << r.report.describe();
                    const bool filled = app == HostApp::Premiere && height >= 200 && height <= 4320;
                    if (!filled) {
                        EXPECT_EQ(firstDifference(input, r.output), "");
                        continue;
                    }
                    for (A_long y = 0; y < height; ++y) {
                        const bool band = (y / 10) % 3 == 1;
                        if (band && y % 10 < 2) continue;  // two rows below a clear block
                        for (A_long x = 0; x < width; ++x) {
                            PF_Pixel16 expected = get(input, x, y);
                            if (band)
                                expected = stored(input.deep(), px(kSolid, expected.red,
                                                                   expected.green, expected.blue));
                            ASSERT_TRUE(samePixel(get(r.output, x, y), expected)) << x << "," << y;
                        }
                    }
                }
            }
        }
    }
}

// A 4K frame of noisy half-transparent band with a serpentine clear pocket
// two pixels wide: twenty vertical strips joined alternately at the bottom
// and the top, more than 40,000 spans on one path, so the depth-first flood
// outgrows the stack's 20,000 fixed entries (the detection tests show the
// same shape at a smaller size spilling into the overflow). The pocket is 2120
// rows tall: rejected at the default hole size, it stays clear; accepted at
// 4000, all of it takes the set colour.
TEST_F(LayerLimitsTest, A4KSerpentinePocketIsFloodedWholeBeyondTheStacksTable) {
    const A_long width = 3840, height = 2160, top = 20, bottom = height - 21, strips = 20;
    OwnedWorld input(width, height, PixelDepth::Eight);
    std::mt19937 noise(4096);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x)
            *input.pixel8(x, y) = PF_Pixel{A_u_char(8 + noise() % 240), 60, 90, 120};
    std::vector<bool> pocket(std::size_t(width) * height, false);
    auto clearRect = [&](A_long x0, A_long y0, A_long x1, A_long y1) {
        for (A_long y = y0; y <= y1; ++y)
            for (A_long x = x0; x <= x1; ++x) {
                *input.pixel8(x, y) = PF_Pixel{0, 0, 0, 0};
                pocket[std::size_t(y) * width + x] = true;
            }
    };
    for (A_long i = 0; i < strips; ++i) {
        const A_long x = 100 + 3 * i;
        clearRect(x, top, x + 1, bottom);
        const A_long joinRow = i % 2 == 0 ? bottom : top;
        if (i + 1 < strips) clearRect(x, joinRow, x + 4, joinRow);
    }

    ParamValues values = defaultParamValues();
    values.number[PARAM_CLOSE_EDGE_GAPS] = 0;  // keep the one-pixel walls from being bridged
    for (A_long holeSize : {200, 4000}) {
        SCOPED_TRACE("hole size " + std::to_string(holeSize));
        values.number[PARAM_HOLE_SIZE] = holeSize;
        const LimitsRender r = renderLayer(entry(), input, values);
        EXPECT_EQ(r.report.err, PF_Err_NONE);
        EXPECT_TRUE(r.report.clean()) << r.report.describe();
        const PF_Pixel expected =
            holeSize == 200 ? PF_Pixel{0, 0, 0, 0} : PF_Pixel{255, 255, 255, 255};
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) {
                if (!pocket[std::size_t(y) * width + x]) continue;
                const PF_Pixel got = *r.output.pixel8(x, y);
                ASSERT_TRUE(got.alpha == expected.alpha && got.red == expected.red &&
                            got.green == expected.green && got.blue == expected.blue)
                    << x << "," << y << ": alpha " << int(got.alpha) << " red " << int(got.red);
            }
    }
}

}  // namespace
