// `holvane render`: plans the run, renders every frame through the effect on
// --jobs threads (one host each), writes each result atomically, then the
// contact sheet and the statistics.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/options.h"
#include "cli/standard_streams.h"

// Returns the exit code; throws CliError for every failure. Progress and
// notes go to the streams' diagnostics, --stats to `out`.
int run_RenderCommand(const RenderOptions &options, const std::string &modulePathOption,
                      std::ostream &out, const StandardStreams &streams);
