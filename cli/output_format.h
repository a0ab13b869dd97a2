// The formats the renderer writes, and what each holds. A format is accepted
// only when it stores R, G, B and alpha without loss at the run's depth;
// everything else is refused by name before the first frame is rendered.
// Writing goes through one path for every format: encode to a temporary
// file beside the output, check that it decodes as written, rename it into
// place (write_FrameAtomically).
#pragma once

#include <optional>
#include <string>

#include "cli/image_file.h"

struct OutputFormat {
    std::string name;   // OpenImageIO's name: "png", "tiff", "openexr", ...
    std::string title;  // as users know it: "PNG", "TIFF", "OpenEXR", ...
    // How each depth is stored (Eight, Sixteen, Half, Float); UNKNOWN where
    // the format cannot hold that depth without loss.
    OIIO::TypeDesc stored[4];
    // The format's own alpha convention; none: it holds either, and a frame
    // is written in the convention its input was read in.
    std::optional<AlphaConvention> alpha;
    bool keepsWindows = false;        // display and data windows
    bool keepsExtraChannels = false;  // channels besides R, G, B, A
    // The library's lossless compression for the format, chosen for write
    // speed; null: the format's only way.
    const char *compression = nullptr;
    int compressionLevel = -1;  // PNG's zlib level; -1: the library's default

    OIIO::TypeDesc storedType(SampleDepth depth) const { return stored[int(depth)]; }
    bool holds(SampleDepth depth) const {
        return storedType(depth).basetype != OIIO::TypeDesc::UNKNOWN;
    }
};

// The format of an output file name that holds RGBA at `depth` without loss.
// Throws CliError naming the file, the format and what it would lose.
OutputFormat choose_OutputFormat(const std::string &path, SampleDepth depth);

// The convention a frame read in `input` is written in.
AlphaConvention outputAlphaOf(const OutputFormat &format, AlphaConvention input);

// Encodes the frame into a temporary file beside `path`, checks that it
// decodes to the frame's size and channels, then renames it over `path`: a
// reader never sees a half-written file, and a failure (or an interrupted
// run) leaves nothing. The frame's depth must be one the format holds.
void write_FrameAtomically(const std::string &path, const ImageFrame &frame,
                           const OutputFormat &format);
