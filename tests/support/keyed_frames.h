// Deterministic keyed frames for the benchmarks and the equivalence tests: a
// subject covering about half the frame with a soft, semi-transparent edge,
// holes of many sizes inside it (some leaking out through narrow channels),
// semi-transparent patches sprinkled with specks, and dust in the background.
// Everything follows from the options, so a frame can be made again at any
// size, depth and displacement.
#pragma once

#include <cstdint>

#include "host/owned_world.h"

struct KeyedFrameOptions {
    A_long width = 640;
    A_long height = 360;
    PixelDepth depth = PixelDepth::Eight;
    // Where the subject sits relative to the centre: neighbouring frames of a
    // clip shift it by a few pixels.
    A_long shiftX = 0;
    A_long shiftY = 0;
    // Picks the layout of holes, patches and specks.
    std::uint32_t seed = 1;
    // How many holes to cut; negative: one per 8000 pixels of frame area.
    A_long holeCount = -1;
    // Largest hole radius in pixels; 0: a twentieth of the height.
    A_long largestHoleRadius = 0;
    // Smallest hole radius in pixels (at least 1).
    A_long smallestHoleRadius = 1;
    // Width of the soft band at the subject's outline; 0: a sixtieth of the
    // height, at least 2.
    A_long edgeSoftness = 0;
};

// Full opacity is 255 in 8-bit frames and 32768 (the host's scale) in 16-bit.
OwnedWorld makeKeyedFrame(const KeyedFrameOptions &options);

// The frame of a clip at offset k from the current one: the same layout with
// the subject displaced by k steps.
KeyedFrameOptions neighbourFrame(const KeyedFrameOptions &current, A_long offset);
