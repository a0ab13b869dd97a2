// One host instance rendering frames of a clip through the effect: the
// renderer runs one per render thread (hosts are not shared between
// threads), so frames render independently and in any order with the same
// result.
#pragma once

#include <string>

#include "cli/input_frames.h"
#include "host/effect_host.h"
#include "host/owned_world.h"

struct HostRequest {
    HostApp app = HostApp::AfterEffects;
    A_long downsample = 1;  // the host renders at 1/downsample both ways
    A_u_long fps = 24;      // the time scale; one time step per frame
};

struct FrameResult {
    OwnedWorld output;
    double renderMilliseconds = 0.0;  // inside the render command only
    std::string hostWarning;          // what the effect left unreleased, if anything
};

class FrameRenderer {
  public:
    // Runs global setup and parameter setup, as a host does when it applies
    // the effect. Throws CliError when either fails.
    FrameRenderer(PF_FilterProc entry, const Clip &clip, const HostRequest &request);

    // Renders one frame from `inputs`, which hold it and its neighbours
    // (neighboursOf). Throws CliError naming the frame and the effect's
    // error code when the effect fails.
    FrameResult render(long frame, const RenderInputs &inputs, const ParamValues &values);
    // Hands back an output world the caller is done with: the next render of
    // the same size writes into it, cleared, instead of into fresh memory
    // whose pages it would fault in while the effect runs.
    void recycle(OwnedWorld output);

  private:
    const Clip &clip_;
    HostRequest request_;
    const RenderInputs *inputs_ = nullptr;  // during a render
    EffectHost host_;
    OwnedWorld spareOutput_;
};
