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

InputFrames::InputFrames(const Clip &clip, HostApp app) : clip_(clip), app_(app) {}

void InputFrames::prepareAround(long frame) {
    const long first = std::max(clip_.frames.first, frame - NEIGHBOUR_REACH);
    const long last = std::min(clip_.frames.last, frame + NEIGHBOUR_REACH);
    for (auto it = worlds_.begin(); it != worlds_.end();) {
        it = (it->first < first || it->first > last) ? worlds_.erase(it) : std::next(it);
    }
    for (long f = first; f <= last; ++f) {
        if (worlds_.count(f) != 0) continue;
        const FileImage image = read_ImageFile(format_FramePath(clip_.pattern, f));
        depth_ = image.depth;
        worlds_.emplace(f, convert_FileToWorld(image, app_, INPUT_ROW_PADDING_BYTES));
    }
}

const PF_LayerDef *InputFrames::world(long frame) const {
    const auto found = worlds_.find(frame);
    return found == worlds_.end() ? nullptr : &found->second.layer();
}
