// One generated frame taken through the render's steps in their
// straightforward forms, so that a fast stage can be run on exactly the state
// the plain pipeline hands it and its result compared with the plain form's.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/owned_world.h"
#include "host/param_array.h"
#include "render/render_settings.h"
#include "render/stages.h"
#include "render/worlds/memory_container.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"
#include "support/effect_params.h"
#include "support/keyed_frames.h"
#include "support/standard_maths.h"

class AnalysisState {
  public:
    // Makes the working images (Stage::WorkingImages) as the plain driver does.
    AnalysisState(const KeyedFrameOptions &frame, const ParamValues &values);

    // Runs the straightforward form of every stage before `stage` that has
    // not run yet, as the settings gate them.
    void runReferenceUpTo(Stage stage);
    // Runs one stage in its straightforward form, as the settings gate it.
    void runReference(Stage stage);

    A_long width() const { return width_; }
    A_long height() const { return height_; }

    RenderSettings settings{};
    PF_UtilCallbacks utils{};
    PF_InData inData{};
    std::vector<OwnedWorld> clip;  // offsets -3..+3
    InputLayer16 input;            // clip[3]
    OwnedWorld workingInput;
    std::vector<OwnedWorld> frames;  // 16-bit copies of the clip
    PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS]{};
    const PF_LayerDef *currentFrame = nullptr;
    OwnedWorld redMask;
    OwnedWorld patch;
    OwnedWorld output;  // 16-bit
    HolvaneMemoryContainerPtr container;

  private:
    A_long width_;
    A_long height_;
    int next_ = 0;
};

// A copy of a world's pixels (row padding included) and its restoration.
std::vector<std::uint8_t> snapshot(const OwnedWorld &world);
void restore(OwnedWorld &world, const std::vector<std::uint8_t> &bytes);

// Every channel of every pixel of the frame's extent equal; names the first
// difference and counts them otherwise.
::testing::AssertionResult samePixels(const PF_LayerDef &expected, const PF_LayerDef &actual,
                                      A_long width, A_long height);

// Red, green and blue of every pixel of the frame's extent equal: the red
// mask's alpha is each stage's scratch mark plane, which no later step reads
// and which the fast stages do not reproduce.
::testing::AssertionResult sameMaskColours(const PF_LayerDef &expected, const PF_LayerDef &actual,
                                           A_long width, A_long height);

// The same, for the pixels where `where` says.
template <typename Where>
::testing::AssertionResult samePixelsWhere(const PF_LayerDef &expected, const PF_LayerDef &actual,
                                           A_long width, A_long height, Where where) {
    long differences = 0;
    A_long firstX = -1, firstY = -1;
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) {
            if (!where(x, y)) continue;
            const PF_Pixel16 &e = *getPixel16(expected, x, y);
            const PF_Pixel16 &a = *getPixel16(actual, x, y);
            if (e.alpha != a.alpha || e.red != a.red || e.green != a.green || e.blue != a.blue) {
                if (differences++ == 0) firstX = x, firstY = y;
            }
        }
    if (differences == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differences << " pixel(s) differ, the first at (" << firstX << ", " << firstY << ")";
}

// A keyed frame of the given size and depth.
KeyedFrameOptions frameOptions(A_long width, A_long height, PixelDepth depth, std::uint32_t seed);
