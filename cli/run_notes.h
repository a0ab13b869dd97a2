// One line each for what a run will not do that its user may expect of it:
// frames the effect passes through unchanged, settings that change nothing.
#pragma once

#include <string>
#include <vector>

#include "cli/image_file.h"
#include "cli/options.h"
#include "cli/render_plan.h"

// "holvane: note: ..." lines for a run of frames with this header.
std::vector<std::string> describe_IneffectiveSettings(const RenderOptions &options,
                                                      const ImageHeader &header);

// Lines on the run's movies: an input's frames without alpha (nothing to
// repair), a variable frame rate, frames lost to damage at the end of the
// file; an output's lossy codec and audio its container cannot hold.
std::vector<std::string> describe_Movies(const RenderPlan &plan);
