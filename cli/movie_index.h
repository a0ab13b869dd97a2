// One pass over a movie's packets, without decoding: how many frames its
// video stream holds, when each is shown, where the keyframes are, and where
// the file is damaged. Containers' own frame counts are missing (Matroska,
// WebM) or can promise frames a cut-off file no longer holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/libav_handles.h"

struct MovieIndex {
    // Presentation times of the frames in the stream's time base, in order;
    // empty when the container gives none.
    std::vector<std::int64_t> framePts;
    std::vector<std::int64_t> keyframePts;  // in order
    long frameCount = 0;
    bool variableRate = false;  // frames not evenly spaced
    std::string damage;         // why the scan stopped early; empty for a sound file
};

// Reads every packet of the stream from the current position to the end.
// A packet the demuxer marks corrupt, or a read error, ends the frames
// counted; the stream's declared count, when larger, says the file was cut.
MovieIndex index_MoviePackets(AVFormatContext &container, int videoStream);

// The number (from 1) of the frame shown at `pts`, or 0 when none is.
long frameNumberAt(const MovieIndex &index, std::int64_t pts);
