#include "cli/input_frames.h"

#include <algorithm>

#include "cli/world_conversion.h"

namespace {

// Rows of a host's worlds are often longer than the image; the effect must
// go by rowbytes, and the renderer gives it rows that prove it does.
constexpr A_long INPUT_ROW_PADDING_BYTES = 32;

}  // namespace

long frameAtTime(const FrameRange &clip, A_long time, A_long timeStep) {
    const long step = timeStep > 0 ? timeStep : 1;
    const long frame = clip.first + (time > 0 ? time / step : 0);
    return std::min(frame, clip.last);
}

InputFrames::InputFrames(const Clip &clip, HostApp app, AlphaReading alpha)
    : clip_(clip), app_(app), alpha_(alpha) {}

void InputFrames::prepareAround(long frame) {
    const long first = std::max(clip_.frames.first, frame - NEIGHBOUR_REACH);
    const long last = std::min(clip_.frames.last, frame + NEIGHBOUR_REACH);
    for (auto it = frames_.begin(); it != frames_.end();) {
        it = (it->first < first || it->first > last) ? frames_.erase(it) : std::next(it);
    }
    for (long f = first; f <= last; ++f) {
        if (frames_.count(f) != 0) continue;
        ImageFrame file = read_ImageFrame(format_FramePath(clip_.pattern, f), alpha_);
        depth_ = file.pixels.depth;
        OwnedWorld world = convert_FrameToWorld(file, app_, INPUT_ROW_PADDING_BYTES);
        frames_.emplace(f, Frame{std::move(file), std::move(world)});
    }
}

const PF_LayerDef *InputFrames::world(long frame) const {
    const auto found = frames_.find(frame);
    return found == frames_.end() ? nullptr : &found->second.world.layer();
}

const ImageFrame *InputFrames::file(long frame) const {
    const auto found = frames_.find(frame);
    return found == frames_.end() ? nullptr : &found->second.file;
}
