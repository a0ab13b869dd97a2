// Everything checked before the first frame is rendered, so that a bad
// command line or a bad clip stops the run with nothing written.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/clip_discovery.h"
#include "cli/clip_source.h"
#include "cli/frame_sink.h"
#include "cli/image_file.h"
#include "cli/movie_codecs.h"
#include "cli/movie_input.h"
#include "cli/options.h"
#include "cli/output_format.h"

struct RenderPlan {
    Clip clip;
    SequencePattern output;
    ImageHeader header;         // of the first frame read: display size and depth all share
    SampleDepth outputDepth;    // --depth, or the input's
    OutputFormat outputFormat;  // holds outputDepth
    std::vector<long> frames;   // to render, in order
    long skipped = 0;           // left out by --skip-existing
    AlphaReading alpha = AlphaReading::Auto;  // how the input's alpha is taken
    // The host's time scale and a movie output's rate from an image
    // sequence: --fps, or a movie input's own rate in whole frames.
    A_u_long fps = 24;
    // A movie input, opened and its frames counted: the clip is its frames
    // 1..frameCount. Null for images.
    std::shared_ptr<MovieInput> inputMovie;
    // A movie output's codec: every frame goes into the one file `output`
    // names. Null for images.
    const MovieCodec *outputCodec = nullptr;
};

// The output file of one rendered frame: its own frame number.
std::string outputPathOf(const RenderPlan &plan, long frame);

// Where the run's frames come from and where they go: the only places that
// know whether the input or the output is a sequence of files.
ClipSource open_ClipSource(const RenderPlan &plan);
FrameSink open_FrameSink(const RenderPlan &plan);

// Checks, in order: the patterns (a movie input is opened and its frames
// counted), the clip and its frames, the output name
// (a pattern for more than one frame), every frame the render will read
// (readable, one display size and depth), the output format (holds RGBA at
// the output depth; the contact sheet's at 8 bits), that no output lands
// on an input or on another output, the memory the render needs, and the
// output folders (created when missing, must be writable). A movie output
// takes every frame; its codec must fit its container and the output depth,
// and --skip-existing is refused for it. Throws CliError
// at the first problem. With --chunk only that part of the frames is
// rendered, its neighbours still read from the whole clip; with
// --skip-existing the frames whose output is already complete are left out
// last.
RenderPlan plan_Render(const RenderOptions &options);
