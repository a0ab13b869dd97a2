// A short keyed clip made up for comparing renders: a soft-edged subject on
// clear background, moving one pixel per frame, with noise in every channel
// and the features every stage reacts to (small clear and partly clear
// holes, a pocket larger than a small hole-size limit, a thin slit, a notch
// that leaks to the background, specks outside).
#pragma once

#include <vector>

#include "tests/windows/driver/pam_image.h"

// Tall enough for the render to analyse the frame rather than pass it through.
inline constexpr int kClipWidth = 240;
inline constexpr int kClipHeight = 208;
inline constexpr int kClipFrames = 7;  // the current frame and three either side

// maxval 255 gives 8-bit frames; 32768 gives 16-bit frames whose low bits
// carry noise of their own, so they are not just 8-bit values times 128.
std::vector<PamImage> makeSyntheticClip(unsigned maxval);
