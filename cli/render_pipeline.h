// The frames of a run on their way from the clip source to the sink: one
// reader thread decodes each input frame once into the shared window,
// --jobs render threads (one host each) render and compose frames in
// increasing order, and the outputs go to the sink from the render threads,
// or through one writer thread, in order, when the sink needs order.
#pragma once

#include <vector>

#include "cli/clip_source.h"
#include "cli/contact_sheet.h"
#include "cli/frame_renderer.h"
#include "cli/frame_sink.h"
#include "cli/progress_report.h"
#include "cli/render_plan.h"

struct RenderJob {
    const RenderPlan &plan;
    PF_FilterProc entry;
    HostRequest request;
    ParamValues effect;    // the controls as the options set them
    ParamValues infoView;  // the same in the Show info view, for the contact sheet
    ClipSource source;
    const FrameSink &sink;
    ProgressReport &progress;
    ContactSheet *sheet;  // null without --contact-sheet
    int jobs;             // renders in flight
};

// Renders every planned frame; returns each render's time in milliseconds.
// The first failure of any thread stops every thread, and is thrown once
// all of them have ended. The sink is neither finished nor abandoned here.
std::vector<double> run_RenderPipeline(const RenderJob &job);
