// Where a run's input frames come from. The pipeline reads through this
// alone, so an image sequence and a movie look the same to it.
#pragma once

#include <functional>
#include <memory>

#include "cli/image_file.h"
#include "cli/movie_input.h"
#include "cli/sequence_pattern.h"

struct ClipSource {
    // The frame as its file (or stream) holds it; throws CliError naming
    // what could not be read. Called for each frame at most once per run;
    // unless anyOrder, from one thread in increasing frame order: a movie
    // decoder can only go forward cheaply. Frames may be skipped.
    std::function<ImageFrame(long frame)> read;
    // Frames of their own files may be read by several threads at once, in
    // any order (still each at most once).
    bool anyOrder = false;
};

// Each frame from its own file of the pattern.
ClipSource open_SequenceSource(const SequencePattern &pattern, AlphaReading alpha);

// Each frame decoded from the movie, which the plan has opened.
ClipSource open_MovieSource(std::shared_ptr<MovieInput> movie);
