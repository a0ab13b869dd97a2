// Pictures of a movie's codec to and from the renderer's straight RGBA
// frames, through libswscale with the colour matrix and range set.
#pragma once

#include "cli/image_file.h"
#include "cli/libav_handles.h"

// How a movie's YUV samples relate to RGB: a matrix (SWS_CS_ITU709, ...) and
// whether luma and chroma use the full range or the video range.
struct YuvEncoding {
    int matrix = SWS_CS_ITU709;
    bool fullRange = false;
};

// The matrix a stream is tagged with; untagged, what players assume: BT.709
// from 720 rows up, BT.601 below. Untagged range is the video range.
YuvEncoding yuvEncodingOf(AVColorSpace tagged, AVColorRange range, int height);

// The matrix tag of a YuvEncoding, for an output stream.
AVColorSpace colorSpaceOf(const YuvEncoding &encoding);

// A decoded picture as straight RGBA at `depth` (Eight or Sixteen): 8-bit
// pictures are copied, deeper ones widened to 16 bits, alpha at full range;
// a picture without alpha is opaque. The scaler is reused between calls.
ImageFrame convert_PictureToFrame(const AVFrame &picture, SampleDepth depth,
                                  const YuvEncoding &encoding, ScalerHandle &scaler);

// Fills `picture` (its format, width and height set, buffers allocated)
// from a straight 8 or 16-bit RGBA frame of the same size.
void convert_FrameToPicture(const ImageFrame &frame, AVFrame &picture, const YuvEncoding &encoding,
                            ScalerHandle &scaler);
