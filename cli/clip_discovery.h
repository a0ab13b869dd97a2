// Which frames make up the clip: the contiguous run of existing frame numbers
// that holds the requested frames.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "cli/sequence_pattern.h"

struct FrameRange {
    long first = 0;
    long last = 0;
    long count() const { return last - first + 1; }
    bool contains(long frame) const { return frame >= first && frame <= last; }
};

// "A-B" or "A"; throws a usage error naming --frames otherwise.
FrameRange parse_FrameRange(const std::string &text);

struct Clip {
    SequencePattern pattern;
    FrameRange frames;    // every existing frame of the run
    FrameRange rendered;  // the frames asked for, inside `frames`
};

// The frame a single file stands for: a one-frame clip.
inline constexpr long SINGLE_FILE_FRAME = 1;

// Pure part: given the frame numbers that exist, the clip around the
// requested frames (all existing frames when none are requested). Throws
// CliError naming the first missing file of the requested run (saying so
// when a folder has its name).
Clip choose_Clip(const SequencePattern &pattern, const std::set<long> &existing,
                 const std::optional<FrameRange> &requested,
                 const std::set<long> &folders = std::set<long>());

// The frame numbers of the pattern present in its folder as files (for a
// single file, SINGLE_FILE_FRAME when the file exists); the numbers of
// folders that have a frame's name go to `folders` when given.
std::set<long> list_ExistingFrames(const SequencePattern &pattern,
                                   std::set<long> *folders = nullptr);

// list_ExistingFrames, then choose_Clip.
Clip discover_Clip(const SequencePattern &pattern, const std::optional<FrameRange> &requested);
