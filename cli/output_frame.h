// The file a render becomes. The effect works on 8 or 16-bit straight
// worlds; the output is written at the run's depth, in its format's alpha
// convention, with the input's windows, extra channels and metadata where
// the format holds them.
#pragma once

#include "cli/image_file.h"
#include "cli/output_format.h"
#include "host/host_types.h"

// The output of one frame: `input` as read, `inputWorld` as the effect was
// given it and `rendered` as it came back (same size, same depth).
//
// Rendered pixels are converted to `depth` and, for a premultiplied format,
// multiplied by their alpha. A float, half or premultiplied input keeps its
// original samples wherever the effect left the pixel as it was given: the
// worlds hold such input only approximately, and an untouched pixel must
// come back exactly (over-range, negative and NaN values included). Straight
// 8 and 16-bit input goes through the world conversions alone, as it always
// has. With a format that keeps windows, the data window covers the input's
// own and every pixel that is not transparent.
ImageFrame compose_OutputFrame(const ImageFrame &input, const PF_LayerDef &inputWorld,
                               const PF_LayerDef &rendered, const OutputFormat &format,
                               SampleDepth depth);

// Writes a straight RGBA image (a contact sheet, a test's frame) through
// the format its name gives, which must hold its depth; multiplied by its
// alpha first when the format is premultiplied.
void write_ImageFileAtomically(const std::string &path, const FileImage &image);
