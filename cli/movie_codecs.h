// The codecs the renderer writes movies in, what each keeps of a matte, and
// which container (by the output's extension) holds which codec.
#pragma once

#include <string>

#include "cli/libav_handles.h"
#include "cli/output_format.h"

struct MovieCodec {
    const char *option;        // the --codec value: "prores4444", "ffv1", ...
    const char *title;         // as users know it: "ProRes 4444", ...
    const char *encoder;       // FFmpeg's encoder
    AVPixelFormat eightBit;    // what 8-bit frames are encoded as
    AVPixelFormat sixteenBit;  // what 16-bit frames are encoded as; NONE: 8-bit only
    int profile;               // the encoder's profile; -1: its default
    bool lossless;             // R, G, B and alpha come back exactly
    bool yuv;                  // colour goes through a YUV matrix
    const char *keeps;         // what a user keeps, for --help and info
};

// The codec of a --codec value, or null.
const MovieCodec *find_MovieCodec(const std::string &option);

// Every codec, in the order --help lists them.
const MovieCodec *movieCodecsBegin();
const MovieCodec *movieCodecsEnd();

// The codec for an output movie: --codec (empty: the container's default:
// .mov ProRes 4444, .mkv FFV1, .webm VP9). Throws a usage CliError naming
// the file when the extension is no output container or does not hold the
// codec asked for.
const MovieCodec &choose_MovieCodec(const std::string &path, const std::string &codecOption);

// The output format compose_OutputFrame writes for the codec: straight RGBA
// at 8 or 16 bits. Throws CliError naming the file when the codec does not
// take frames of `depth`, saying which --depth to choose.
OutputFormat movieOutputFormat(const MovieCodec &codec, const std::string &path, SampleDepth depth);

// The extensions of the containers that hold the codec: ".mov .mkv".
std::string movieContainersOf(const MovieCodec &codec);

// The --codec values, "prores4444, prores4444xq, ... or vp9".
std::string movieCodecOptions();
