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

FrameRange neighboursOf(const FrameRange &clip, long frame) {
    return FrameRange{std::max(clip.first, frame - NEIGHBOUR_REACH),
                      std::min(clip.last, frame + NEIGHBOUR_REACH)};
}

std::shared_ptr<const DecodedFrame> decode_InputFrame(ImageFrame file, HostApp app) {
    OwnedWorld world = convert_FrameToWorld(file, app, INPUT_ROW_PADDING_BYTES);
    return std::make_shared<const DecodedFrame>(DecodedFrame{std::move(file), std::move(world)});
}

const PF_LayerDef *RenderInputs::world(long frame) const {
    const auto found = frames.find(frame);
    return found == frames.end() ? nullptr : &found->second->world.layer();
}

const ImageFrame *RenderInputs::file(long frame) const {
    const auto found = frames.find(frame);
    return found == frames.end() ? nullptr : &found->second->file;
}
