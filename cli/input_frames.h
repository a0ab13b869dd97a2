// The input layer at the frames a render checks out: each frame both as its
// file holds it (for the output) and converted into the host world the
// effect sees.
#pragma once

#include <map>
#include <memory>

#include "cli/clip_discovery.h"
#include "cli/image_file.h"
#include "host/host_types.h"
#include "host/owned_world.h"

// How far the effect looks before and after the frame it renders.
inline constexpr long NEIGHBOUR_REACH = 3;

// The frame the host delivers for a check-out at `time` (time 0 is the
// clip's first frame, one time step per frame): never before the first
// frame, and past the end the last one.
long frameAtTime(const FrameRange &clip, A_long time, A_long timeStep);

// The frames a render of `frame` reads: NEIGHBOUR_REACH either side,
// clamped to the clip.
FrameRange neighboursOf(const FrameRange &clip, long frame);

struct DecodedFrame {
    ImageFrame file;
    OwnedWorld world;
};

// Converts a frame as read into the world the effect is given. Decoded
// frames are shared, read-only, by every render that needs them.
std::shared_ptr<const DecodedFrame> decode_InputFrame(ImageFrame file, HostApp app);

// The frames one render reads, held for as long as it runs.
struct RenderInputs {
    std::map<long, std::shared_ptr<const DecodedFrame>> frames;

    // Null for a frame not held.
    const PF_LayerDef *world(long frame) const;
    const ImageFrame *file(long frame) const;
};
