// A source movie's audio streams copied packet for packet (never re-encoded)
// into an output movie, over the time of the frames the output holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/clip_discovery.h"
#include "cli/libav_handles.h"

struct AudioCopy {
    InputContext source;
    std::vector<int> outputStream;  // per source stream: its output stream, or -1
    // The span copied, in microseconds from the source's first video frame;
    // the output's time 0 is `spanStart`. Open ends reach the file's ends.
    std::int64_t spanStart = INT64_MIN;
    std::int64_t spanEnd = INT64_MAX;
    std::int64_t videoStart = 0;  // the first frame's time in the source
    PacketHandle pending;         // read, not yet due
    bool exhausted = false;
};

// Adds an output stream for each audio stream of `source` the output's
// container holds; `frames` of the source's `frameCount` frames at
// `frameRate` are the ones written. Call before the output's header is
// written.
AudioCopy add_AudioStreams(AVFormatContext &output, const std::string &source,
                           const FrameRange &frames, long frameCount, AVRational frameRate);

// The audio streams of `source` an `output` movie's container cannot hold,
// each as "stream 1 (pcm_s16le)".
std::vector<std::string> list_UncopiedAudio(const std::string &source, const std::string &output);

// Writes the copied packets due before `until` (microseconds of output
// time); INT64_MAX: all that remain. Returns the muxer's error, or 0.
int copy_AudioUntil(AudioCopy &copy, AVFormatContext &output, std::int64_t until);
