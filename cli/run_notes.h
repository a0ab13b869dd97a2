// One line each for what a run will not do that its user may expect of it:
// frames the effect passes through unchanged, settings that change nothing.
#pragma once

#include <string>
#include <vector>

#include "cli/image_file.h"
#include "cli/options.h"

// "holvane: note: ..." lines for a run of frames with this header.
std::vector<std::string> describe_IneffectiveSettings(const RenderOptions &options,
                                                      const ImageHeader &header);
