// Where rendered frames go. The pipeline hands every output through this
// alone, so an image sequence and a movie look the same to it.
#pragma once

#include <functional>
#include <string>

#include "cli/image_file.h"
#include "cli/movie_output.h"
#include "cli/output_format.h"
#include "cli/sequence_pattern.h"

struct FrameSink {
    // True when frames must arrive strictly in increasing order from one
    // thread (a movie); false when write may be called from several threads
    // at once, in any order (a sequence of files).
    bool needsOrder = false;
    // Stores one rendered frame; throws CliError naming what failed.
    std::function<void(long frame, const ImageFrame &output)> write;
    // After the last frame was written; throws CliError when the result
    // cannot be completed.
    std::function<void()> finish;
    // After a failure or an interruption: drops what cannot be completed.
    std::function<void()> abandon;
    // Where a frame went, for the progress report.
    std::function<std::string(long frame)> destination;
};

// One file per frame, each written atomically: a file either appears
// complete under its name or not at all, so abandoning needs nothing more.
FrameSink open_SequenceSink(const SequencePattern &pattern, const OutputFormat &format);

// Every frame, in order, into one movie. The encoder and the temporary file
// are opened here, so a codec that refuses the frames stops the run before
// the first render; abandoning removes the temporary file.
FrameSink open_MovieSink(const std::string &path, const MovieOutputSettings &settings);
