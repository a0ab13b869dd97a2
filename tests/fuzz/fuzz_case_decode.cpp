// Turns a fuzzer's bytes into a case. The choices favour what a host really
// sends (sizes near the effect's limits, values in a control's range) but
// every value a field can hold stays reachable.
#include <algorithm>
#include <climits>
#include <sstream>

#include "frame/params/params.h"
#include "fuzz_bytes.h"
#include "render_fuzz_case.h"

namespace {

// Keeps one case fast: the render's cost grows with the pixel count.
LayerShape decodeInputShape(FuzzBytes &in) {
    LayerShape shape;
    switch (in.byte() % 6) {
        case 0:  // anything small, the analysed minimum of 200 rows included
            shape.width = A_long(in.pick(1, 64));
            shape.height = A_long(in.pick(1, 240));
            break;
        case 1: {  // around the fewest rows that are analysed
            const A_long heights[] = {199, 200, 201};
            shape.width = A_long(in.pick(1, 64));
            shape.height = in.choose(heights);
            break;
        }
        case 2: {  // around the most rows the fill limits hold
            const A_long heights[] = {4319, 4320, 4321};
            shape.width = A_long(in.pick(1, 3));
            shape.height = in.choose(heights);
            break;
        }
        case 3:  // one or two columns
            shape.width = A_long(in.pick(1, 2));
            shape.height = A_long(in.pick(190, 700));
            break;
        default:  // wider frames
            shape.width = A_long(in.pick(64, 128));
            shape.height = A_long(in.pick(200, 216));
            break;
    }
    shape.depth = in.flag() ? PixelDepth::Sixteen : PixelDepth::Eight;
    shape.paddingPixels = A_long(in.pick(0, 3));
    return shape;
}

// The output usually matches the input, as the effect asks of the host.
LayerShape decodeOutputShape(FuzzBytes &in, const LayerShape &input, HostApp app) {
    LayerShape shape = input;
    shape.paddingPixels = A_long(in.pick(0, 3));
    const std::uint8_t mode = in.byte() % 16;
    if (mode == 1) shape.width = std::max<A_long>(1, input.width + A_long(in.pick(-3, 3)));
    if (mode == 2) shape.height = std::max<A_long>(1, input.height + A_long(in.pick(-3, 3)));
    if (mode == 3) shape.withoutPixels = true;
    // After Effects may render a layer into an output of another depth;
    // Premiere Pro hands layers in the render's depth.
    if (app == HostApp::AfterEffects && in.byte() % 4 == 0)
        shape.depth = input.depth == PixelDepth::Eight ? PixelDepth::Sixteen : PixelDepth::Eight;
    return shape;
}

void decodeTimes(FuzzBytes &in, HostSettings &settings) {
    switch (in.byte() % 4) {
        case 0:
            settings.currentTime = 0;
            break;
        case 1:
            settings.currentTime = A_long(in.pick(0, 100));
            break;
        case 2:
            settings.currentTime = A_long(in.u32());
            break;
        default:
            settings.currentTime = INT_MAX - A_long(in.pick(0, 10));
            break;
    }
    switch (in.byte() % 3) {
        case 0:
            settings.timeStep = 1;
            break;
        case 1:
            settings.timeStep = A_long(in.pick(-5, 10));
            break;
        default:
            settings.timeStep = A_long(in.u32());
            break;
    }
    settings.timeScale = in.flag() ? 24 : in.u32();
}

PF_RationalScale decodeDownsample(FuzzBytes &in) {
    const PF_RationalScale table[] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 8},
                                      {2, 3}, {0, 0}, {1, 0}, {-1, 2}};
    if (in.byte() % 8 == 0) return PF_RationalScale{A_long(in.u32()), in.u32()};
    return in.choose(table);
}

void decodeFaults(FuzzBytes &in, FaultPlan &plan) {
    const PF_Err errors[] = {PF_Err_OUT_OF_MEMORY,
                             PF_Err_INTERNAL_STRUCT_DAMAGED,
                             PF_Err_BAD_CALLBACK_PARAM,
                             A_Err_MISSING_SUITE,
                             -1,
                             INT_MAX};
    const std::uint8_t armed = in.byte();
    if (armed & 1) plan.newWorld = FaultAt{int(in.pick(1, 12)), in.choose(errors)};
    if (armed & 2) plan.checkout = FaultAt{int(in.pick(1, 8)), in.choose(errors)};
    if (armed & 4) plan.addParam = FaultAt{int(in.pick(1, 10)), in.choose(errors)};
    if (armed & 8) plan.newHandleNth = int(in.pick(1, 2));
    if (armed & 16) {
        const char *suites[] = {kPFANSISuite, kPFHandleSuite, kPFColorParamSuite, kPFUtilitySuite,
                                kPFPixelFormatSuite};
        const std::uint8_t refused = in.byte();
        for (int i = 0; i < 5; ++i)
            if (refused & (1 << i)) plan.refusedSuites.insert(suites[i]);
    }
}

// A control's value: mostly within its range, sometimes at or past the
// edges of what its type can hold.
A_long decodeNumber(FuzzBytes &in, const ParamSpec &control) {
    const A_long extremes[] = {INT_MIN, INT_MAX, -1, 0, 32767, 32768, 65535, 65536, -65536};
    switch (in.byte() % 8) {
        case 0:
            return control.dephault;
        case 1:
        case 2:
        case 3:
            return A_long(in.pick(control.validMin, control.validMax));
        case 4:
            return A_long(
                in.pick(std::int64_t(control.validMin) - 3, std::int64_t(control.validMax) + 3));
        case 5:
            return in.choose(extremes);
        default:
            return A_long(in.u32());
    }
}

void decodeValues(FuzzBytes &in, ParamValues &values) {
    values = defaultParamValues();
    for (const ParamSpec &control : PARAM_SPECS) {
        if (control.type == PF_Param_COLOR) {
            if (in.flag())
                values.colour[control.index] = PF_Pixel{in.byte(), in.byte(), in.byte(), in.byte()};
        } else {
            values.number[control.index] = decodeNumber(in, control);
        }
    }
}

PictureRecipe decodePicture(FuzzBytes &in, const LayerShape &shape) {
    const A_u_short alphas[] = {0, 1, 659, 660, 16384, 32112, 32113, 32640, 32760, 32767, 32768};
    PictureRecipe p;
    p.seed = in.u32();
    p.backgroundAlpha = in.choose(alphas);
    p.subjectAlpha = in.choose(alphas);
    p.bandAlpha = in.flag() ? in.choose(alphas) : A_u_short(in.pick(0, 32768));
    p.subjectLeft = A_long(in.pick(0, shape.width));
    p.subjectRight = A_long(in.pick(p.subjectLeft, shape.width));
    p.subjectTop = A_long(in.pick(0, shape.height));
    p.subjectBottom = A_long(in.pick(p.subjectTop, shape.height));
    p.bandWidth = A_long(in.pick(0, 12));
    p.holeCount = int(in.pick(0, 40));
    p.holeSize = A_long(in.pick(1, 60));
    p.holeAlpha = in.choose(alphas);
    p.noisePerMille = in.byte() % 4 == 0 ? int(in.pick(0, 1000)) : 0;
    p.wildChannels = in.byte() % 8 == 0;
    return p;
}

void decodeNeighbours(FuzzBytes &in, FuzzCase &c) {
    c.neighbour = c.input;
    switch (in.byte() % 6) {
        case 0:
            c.neighbours = NeighbourFrames::SomeWithoutPixels;
            break;
        case 1:
            c.neighbours = NeighbourFrames::OtherSize;
            c.neighbour.width = std::max<A_long>(1, c.input.width + A_long(in.pick(-4, 4)));
            c.neighbour.height = std::max<A_long>(1, c.input.height + A_long(in.pick(-4, 4)));
            break;
        case 2:
            // Only After Effects hands frames in the layer's own depth.
            if (c.settings.app == HostApp::AfterEffects) {
                c.neighbours = NeighbourFrames::OtherDepth;
                c.neighbour.depth =
                    c.input.depth == PixelDepth::Eight ? PixelDepth::Sixteen : PixelDepth::Eight;
            }
            break;
        default:
            break;
    }
    c.framesWithoutPixels = in.byte();
}

// Bridging edge gaps costs about (2g + 1)(g + 1) reads per pixel for a gap
// distance g; a wide layer at the largest gaps would take seconds under the
// sanitizers. Such layers are narrowed (never below one column) to keep every
// input quick, and keep their height, so the row limits are still met.
void narrowForGapCost(FuzzCase &c) {
    const ParamSpec &control = paramSpec(PARAM_CLOSE_EDGE_GAPS);
    const std::int64_t g =
        std::clamp(c.values.number[PARAM_CLOSE_EDGE_GAPS], control.validMin, control.validMax);
    if (g < 1) return;
    const std::int64_t pixelBudget = 4000000 / ((2 * g + 1) * (g + 1));
    const A_long widest = A_long(std::max<std::int64_t>(1, pixelBudget / c.input.height));
    c.input.width = std::min(c.input.width, widest);
}

void decodeCommand(FuzzBytes &in, FuzzCase &c) {
    const std::uint8_t pick = in.byte();
    if (pick < 200) return;  // a render
    const FuzzCommand others[] = {FuzzCommand::About, FuzzCommand::GlobalSetup,
                                  FuzzCommand::ParamsSetup, FuzzCommand::Dependencies,
                                  FuzzCommand::Other};
    c.command = others[pick % 5];
    c.dependencyCheck = in.byte() % 4 == 0 ? PF_DepCheckType(in.u32()) : in.byte() % 3;
    // Any command but the two that need arguments this case does not make.
    c.otherCommand = PF_Cmd(in.flag() ? in.pick(0, 40) : in.u32());
    if (c.otherCommand == PF_Cmd_RENDER || c.otherCommand == PF_Cmd_GET_EXTERNAL_DEPENDENCIES)
        c.otherCommand = PF_Cmd_FRAME_SETUP;
}

}  // namespace

FuzzCase decodeFuzzCase(const std::uint8_t *data, std::size_t size) {
    FuzzBytes in(data, size);
    FuzzCase c;
    decodeCommand(in, c);
    c.settings.app = in.flag() ? HostApp::Premiere : HostApp::AfterEffects;
    decodeTimes(in, c.settings);
    c.settings.downsampleX = decodeDownsample(in);
    c.settings.downsampleY = decodeDownsample(in);
    c.settings.rowPaddingBytes = A_long(in.pick(0, 4)) * 8;
    decodeFaults(in, c.faults);
    decodeValues(in, c.values);
    c.input = decodeInputShape(in);
    narrowForGapCost(c);
    c.input.withoutPixels = in.byte() % 32 == 0;
    c.output = decodeOutputShape(in, c.input, c.settings.app);
    decodeNeighbours(in, c);
    c.picture = decodePicture(in, c.input);
    c.rawPixels = in.rest(c.rawPixelCount);
    return c;
}

std::string describeFuzzCase(const FuzzCase &c) {
    std::ostringstream text;
    const auto layer = [&text](const char *name, const LayerShape &l) {
        text << name << ": " << l.width << " x " << l.height
             << (l.depth == PixelDepth::Sixteen ? " 16-bit" : " 8-bit") << ", padding "
             << l.paddingPixels << (l.withoutPixels ? ", no pixels" : "") << "\n";
    };
    text << "command " << int(c.command) << " (other " << c.otherCommand << ", check "
         << c.dependencyCheck << ")\n";
    text << (c.settings.app == HostApp::Premiere ? "Premiere Pro" : "After Effects") << ", time "
         << c.settings.currentTime << " step " << c.settings.timeStep << " scale "
         << c.settings.timeScale << ", downsample " << c.settings.downsampleX.num << "/"
         << c.settings.downsampleX.den << " " << c.settings.downsampleY.num << "/"
         << c.settings.downsampleY.den << ", host row padding " << c.settings.rowPaddingBytes
         << "\n";
    text << "refused: world " << c.faults.newWorld.nth << ", checkout " << c.faults.checkout.nth
         << ", param " << c.faults.addParam.nth << ", handle " << c.faults.newHandleNth
         << ", suites " << c.faults.refusedSuites.size() << "\n";
    text << "values:";
    for (int i = 1; i < PARAM_COUNT; ++i) {
        const auto value = c.values.number.find(i);
        text << " " << (value == c.values.number.end() ? 0 : value->second);
    }
    text << "\n";
    layer("input", c.input);
    layer("output", c.output);
    layer("neighbour", c.neighbour);
    text << "neighbours " << int(c.neighbours) << ", holes " << c.picture.holeCount << " of "
         << c.picture.holeSize << ", noise " << c.picture.noisePerMille << ", raw bytes "
         << c.rawPixelCount << "\n";
    return text.str();
}
