// Runs a fuzz case and checks what a host relies on: everything taken is
// given back, no exception escapes, the input is never written, and a render
// either fails leaving the output as it was or writes every output pixel the
// same way whatever the memory the host hands out holds.
#include <cstring>
#include <sstream>
#include <vector>

#include "render_fuzz_case.h"

namespace {

// The two runs of a render differ in what the host's memory holds
// beforehand; the effect's output must not.
struct RunSetup {
    std::uint8_t outputFill;
    bool markUnclearedWorlds;
};
constexpr RunSetup kRuns[2] = {{0x5A, true}, {0xA5, false}};

struct RenderRun {
    CommandReport report;
    OwnedWorld output;
};

std::vector<std::uint8_t> allBytes(const OwnedWorld &world) {
    std::vector<std::uint8_t> bytes;
    if (world.layer().data == nullptr) return bytes;
    for (A_long y = 0; y < world.height(); ++y)
        bytes.insert(bytes.end(), world.row(y), world.row(y) + world.rowbytes());
    return bytes;
}

// The pixels alone, without row padding.
std::vector<std::uint8_t> pixelBytes(const OwnedWorld &world) {
    std::vector<std::uint8_t> bytes;
    if (world.layer().data == nullptr) return bytes;
    const std::size_t rowBytes =
        std::size_t(world.width()) *
        bytesPerPixel(world.deep() ? PixelDepth::Sixteen : PixelDepth::Eight);
    for (A_long y = 0; y < world.height(); ++y)
        bytes.insert(bytes.end(), world.row(y), world.row(y) + rowBytes);
    return bytes;
}

bool paddingKeeps(const OwnedWorld &world, std::uint8_t fill) {
    if (world.layer().data == nullptr) return true;
    const std::size_t rowBytes =
        std::size_t(world.width()) *
        bytesPerPixel(world.deep() ? PixelDepth::Sixteen : PixelDepth::Eight);
    for (A_long y = 0; y < world.height(); ++y)
        for (std::size_t i = rowBytes; i < std::size_t(world.rowbytes()); ++i)
            if (world.row(y)[i] != fill) return false;
    return true;
}

OwnedWorld blankOutput(const LayerShape &shape, std::uint8_t fill) {
    if (shape.withoutPixels) return layerWithoutPixels(shape);
    return OwnedWorld(shape.width, shape.height, shape.depth,
                      shape.paddingPixels * bytesPerPixel(shape.depth), fill);
}

// Which layer the host hands out at a time other than the current one.
FrameSource frameSourceFor(const FuzzCase &c, const OwnedWorld &input,
                           const OwnedWorld &neighbour) {
    if (c.neighbours == NeighbourFrames::SameAsInput) return FrameSource();
    const A_long now = c.settings.currentTime;
    const std::uint8_t missing = c.framesWithoutPixels;
    const bool other = c.neighbours != NeighbourFrames::SomeWithoutPixels;
    return [now, missing, other, &input, &neighbour](A_long time) -> const PF_LayerDef * {
        if (time == now) return &input.layer();
        if (missing & (1u << (std::uint32_t(time) % 8)))
            return other ? &neighbour.layer() : nullptr;
        return &input.layer();
    };
}

RenderRun renderOnce(PF_FilterProc entry, const FuzzCase &c, const OwnedWorld &input,
                     const OwnedWorld &neighbour, const RunSetup &setup) {
    HostSettings settings = c.settings;
    settings.markUnclearedWorlds = setup.markUnclearedWorlds;
    settings.frameSource = frameSourceFor(c, input, neighbour);
    EffectHost host(entry, settings);
    host.paramsSetup();
    host.setFaults(c.faults);
    RenderRun run{CommandReport{}, blankOutput(c.output, setup.outputFill)};
    run.report = host.render(c.values, input.layer(), run.output.layer());
    return run;
}

// The faults a render can meet; an expected error is checked only when
// exactly one of them is armed.
int armedRenderFaults(const FaultPlan &plan) {
    return int(plan.newWorld.nth > 0) + int(plan.checkout.nth > 0) +
           int(!plan.refusedSuites.empty());
}

// A refused world or checkout that the render reached must end it with the
// host's error.
void checkInjectedError(const FuzzCase &c, const CommandReport &report, std::ostream &problems) {
    const FaultPlan &plan = c.faults;
    if (armedRenderFaults(plan) != 1) return;
    if (plan.newWorld.nth > 0 && int(report.newWorldFlags.size()) >= plan.newWorld.nth &&
        report.err != plan.newWorld.error)
        problems << "refused world " << plan.newWorld.nth << " gave " << report.err << "\n";
    if (plan.checkout.nth > 0 && int(report.checkouts.size()) >= plan.checkout.nth &&
        report.err != plan.checkout.error)
        problems << "refused checkout " << plan.checkout.nth << " gave " << report.err << "\n";
}

void checkRenderRuns(const FuzzCase &c, const RenderRun (&runs)[2], std::ostream &problems) {
    for (int i = 0; i < 2; ++i) {
        if (!runs[i].report.clean()) problems << "run " << i << ": " << runs[i].report.describe();
        if (!paddingKeeps(runs[i].output, kRuns[i].outputFill))
            problems << "run " << i << ": the output's row padding was written\n";
        if (runs[i].report.err != PF_Err_NONE &&
            pixelBytes(runs[i].output) != pixelBytes(blankOutput(c.output, kRuns[i].outputFill)))
            problems << "run " << i << ": failed with " << runs[i].report.err
                     << " but wrote the output\n";
    }
    if (runs[0].report.err != runs[1].report.err)
        problems << "the two runs returned " << runs[0].report.err << " and " << runs[1].report.err
                 << "\n";
    else if (runs[0].report.err == PF_Err_NONE &&
             pixelBytes(runs[0].output) != pixelBytes(runs[1].output))
        problems << "the output depends on memory the effect did not write\n";
    checkInjectedError(c, runs[0].report, problems);
}

void checkRender(PF_FilterProc entry, const FuzzCase &c, std::ostream &problems) {
    const OwnedWorld input = paintLayer(c.input, c.picture, c.rawPixels, c.rawPixelCount);
    PictureRecipe otherRecipe = c.picture;
    otherRecipe.seed ^= 0x9E3779B9u;
    const OwnedWorld neighbour = paintLayer(c.neighbour, otherRecipe, nullptr, 0);
    const std::vector<std::uint8_t> inputBefore = allBytes(input);
    const std::vector<std::uint8_t> neighbourBefore = allBytes(neighbour);

    const RenderRun runs[2] = {renderOnce(entry, c, input, neighbour, kRuns[0]),
                               renderOnce(entry, c, input, neighbour, kRuns[1])};
    checkRenderRuns(c, runs, problems);
    if (allBytes(input) != inputBefore || allBytes(neighbour) != neighbourBefore)
        problems << "the render wrote into a layer the host lent it\n";
}

void checkOtherCommand(PF_FilterProc entry, const FuzzCase &c, std::ostream &problems) {
    EffectHost host(entry, c.settings);
    host.setFaults(c.faults);
    CommandReport report;
    switch (c.command) {
        case FuzzCommand::About:
            report = host.about();
            break;
        case FuzzCommand::GlobalSetup:
            report = host.globalSetup();
            break;
        case FuzzCommand::ParamsSetup: {
            const ParamsSetupReply reply = host.paramsSetup();
            report = reply.report;
            const int refused = c.faults.addParam.nth;
            if (refused >= 1 && refused < PARAM_COUNT &&
                (report.err != c.faults.addParam.error || int(reply.params.size()) != refused - 1))
                problems << "refused parameter " << refused << " gave " << report.err << " after "
                         << reply.params.size() << " parameters\n";
            break;
        }
        case FuzzCommand::Dependencies:
            report = host.dependencies(c.dependencyCheck).report;
            break;
        default:
            report = host.command(c.otherCommand);
            break;
    }
    if (!report.clean()) problems << report.describe();
    if (std::memchr(host.outData().return_msg, 0, sizeof host.outData().return_msg) == nullptr)
        problems << "return_msg is not terminated\n";
}

}  // namespace

std::string runFuzzCase(PF_FilterProc entry, const FuzzCase &fuzzCase) {
    std::ostringstream problems;
    if (fuzzCase.command == FuzzCommand::Render)
        checkRender(entry, fuzzCase, problems);
    else
        checkOtherCommand(entry, fuzzCase, problems);
    return problems.str();
}

std::string runFuzzInput(PF_FilterProc entry, const std::uint8_t *data, std::size_t size) {
    return runFuzzCase(entry, decodeFuzzCase(data, size));
}
