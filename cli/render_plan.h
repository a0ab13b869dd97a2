// Everything checked before the first frame is rendered, so that a bad
// command line or a bad clip stops the run with nothing written.
#pragma once

#include <string>
#include <vector>

#include "cli/clip_discovery.h"
#include "cli/image_file.h"
#include "cli/options.h"

struct RenderPlan {
    Clip clip;
    SequencePattern output;
    ImageHeader header;        // size and depth every frame shares
    std::vector<long> frames;  // to render, in order
    long skipped = 0;          // left out by --skip-existing
};

// The output file of one rendered frame: its own frame number.
std::string outputPathOf(const RenderPlan &plan, long frame);

// Checks, in order: the patterns, the clip and its frames, the output name
// (a pattern for more than one frame, never an input file, a format with
// alpha), the output folder (created when missing, must be writable), and
// every frame the render will read (readable, at most 4 channels, supported
// type, one size and depth). Throws CliError at the first problem. With
// --chunk only that part of the frames is rendered, its neighbours still read
// from the whole clip; with --skip-existing the frames whose output is
// already complete are left out last.
RenderPlan plan_Render(const RenderOptions &options);
