// Splitting a render over machines: --chunk K/N picks the K-th of N
// contiguous parts of the frames, and --skip-existing leaves out the frames a
// previous run already wrote, so a farm can re-submit a failed job as is.
#pragma once

#include <string>
#include <vector>

#include "cli/clip_discovery.h"

struct FrameChunk {
    long index = 1;  // 1-based
    long count = 1;
};

// "K/N" with 1 <= K <= N; throws a usage error naming --chunk otherwise.
FrameChunk parse_FrameChunk(const std::string &text);

// The chunk's part of the range. The parts differ in size by at most one
// frame, the larger ones first, and together cover the range exactly once.
// Throws a usage error when the chunk gets no frame (more parts than frames).
FrameRange chunk_FrameRange(const FrameRange &range, const FrameChunk &chunk);

// True when the file decodes completely to an image of the given size. Only
// the file itself counts: the temporary files a writer leaves behind after a
// crash carry other (hidden) names and are never looked at.
bool is_CompleteOutput(const std::string &path, int width, int height);
