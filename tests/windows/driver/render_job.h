// One frame rendered through our host from PAM files, the way the offline
// renderer does it (one time step per frame, check-outs clamped to the clip),
// so the same job gives the same output file on every platform.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"
#include "host/param_array.h"
#include "tests/support/effect_params.h"

struct RenderJob {
    std::string outputPath;
    std::vector<std::string> framePaths;  // the clip, first frame at time 0
    int currentFrame = 0;                 // index into framePaths
    HostApp app = HostApp::AfterEffects;
    A_u_long downsample = 1;  // the host renders at 1/downsample both ways
    ParamValues values = defaultParamValues();
};

// Arguments after "render MODULE":
//   --out PATH --current N [--host after-effects|premiere] [--downsample N]
//   [--set INDEX=VALUE]... [--colour INDEX=R,G,B]... FRAME.pam...
// Parameter indices and values are checked against the effect's control table.
bool parseRenderJob(const std::vector<std::string> &args, RenderJob &job, std::string &error);

// Sets the effect up, renders the current frame and writes the output file.
// Writes one line about the render to out. Returns false with error set when
// a file cannot be used or the effect fails.
bool runRenderJob(PF_FilterProc entry, const RenderJob &job, std::ostream &out, std::string &error);
