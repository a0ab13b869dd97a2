// The input layer at every frame a render may check out, read from the
// files and converted into host worlds. One per render thread: each keeps
// only the window of frames around the one it renders, each frame both as
// its file holds it (for the output) and as the effect sees it.
#pragma once

#include <map>

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

class InputFrames {
  public:
    InputFrames(const Clip &clip, HostApp app, AlphaReading alpha);

    // Reads the frames within NEIGHBOUR_REACH of `frame` (clamped to the
    // clip) and drops every other one, so the render itself never waits on
    // a file.
    void prepareAround(long frame);

    // The world of a frame prepared by prepareAround, or null.
    const PF_LayerDef *world(long frame) const;
    // The same frame as its file holds it, or null.
    const ImageFrame *file(long frame) const;

    // The file depth of the frames (all frames share it).
    SampleDepth fileDepth() const { return depth_; }

  private:
    struct Frame {
        ImageFrame file;
        OwnedWorld world;
    };

    const Clip &clip_;
    HostApp app_;
    AlphaReading alpha_;
    SampleDepth depth_ = SampleDepth::Eight;
    std::map<long, Frame> frames_;
};
