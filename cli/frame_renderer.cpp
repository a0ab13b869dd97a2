#include "cli/frame_renderer.h"

#include <chrono>
#include <stdexcept>

#include "cli/cli_error.h"
#include "cli/effect_errors.h"
#include "cli/world_conversion.h"

namespace {

constexpr A_long TIME_STEP = 1;
constexpr A_long OUTPUT_ROW_PADDING_BYTES = 32;

HostSettings settingsFor(const Clip &clip, const HostRequest &request) {
    HostSettings settings;
    settings.app = request.app;
    settings.timeStep = TIME_STEP;
    settings.timeScale = request.fps;
    settings.totalTime = static_cast<A_long>(clip.frames.count()) * TIME_STEP;
    settings.downsampleX = PF_RationalScale{1, static_cast<A_u_long>(request.downsample)};
    settings.downsampleY = PF_RationalScale{1, static_cast<A_u_long>(request.downsample)};
    // A production host: worlds come from a pool and carry no test mark.
    settings.markUnclearedWorlds = false;
    settings.recycleWorlds = true;
    return settings;
}

std::string firstProblem(const CommandReport &report) {
    if (report.clean()) return std::string();
    std::string text = report.describe();
    // describe() starts with the command line; the first problem follows.
    const auto start = text.find('\n');
    text = start == std::string::npos ? text : text.substr(start + 1);
    while (!text.empty() && text[0] == ' ') text.erase(0, 1);
    const auto end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

FrameRenderer::FrameRenderer(PF_FilterProc entry, const Clip &clip, const HostRequest &request)
    : clip_(clip), request_(request), host_(entry, settingsFor(clip, request)) {
    requireEffectSuccess(host_.globalSetup(), "global setup");
    requireEffectSuccess(host_.paramsSetup().report, "parameter setup");
    // Check-outs at other times come from the clip; the render's own frame
    // is the one at its current time.
    host_.settings().frameSource = [this](A_long time) {
        return inputs_ == nullptr ? nullptr
                                  : inputs_->world(frameAtTime(clip_.frames, time, TIME_STEP));
    };
}

FrameResult FrameRenderer::render(long frame, const RenderInputs &inputs,
                                  const ParamValues &values) {
    const PF_LayerDef *input = inputs.world(frame);
    if (input == nullptr) throw std::logic_error("render of a frame not gathered");
    host_.settings().currentTime = static_cast<A_long>(frame - clip_.frames.first) * TIME_STEP;

    FrameResult result;
    const PixelDepth depth = worldDepthFor(inputs.file(frame)->pixels.depth, request_.app);
    OwnedWorld spare = std::move(spareOutput_);
    if (spare.width() == input->width && spare.height() == input->height &&
        spare.deep() == (depth == PixelDepth::Sixteen)) {
        spare.fillBytes(0);  // as a fresh world starts
        result.output = std::move(spare);
    } else {
        result.output = OwnedWorld(input->width, input->height, depth, OUTPUT_ROW_PADDING_BYTES);
    }
    inputs_ = &inputs;
    const auto start = std::chrono::steady_clock::now();
    const CommandReport report = host_.render(values, *input, result.output.layer());
    const auto stop = std::chrono::steady_clock::now();
    inputs_ = nullptr;
    result.renderMilliseconds = std::chrono::duration<double, std::milli>(stop - start).count();

    if (report.err != PF_Err_NONE) {
        throw CliError("frame " + std::to_string(frame) + ": the effect failed with " +
                       effectErrorName(report.err));
    }
    result.hostWarning = firstProblem(report);
    return result;
}

void FrameRenderer::recycle(OwnedWorld output) { spareOutput_ = std::move(output); }
