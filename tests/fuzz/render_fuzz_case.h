// One fuzz case: a host (application, times, downsampling, row padding,
// refused calls), a command, and for a render its layers and control values,
// all decoded from a fuzzer's bytes. Running it drives the effect's entry
// point through our own host and checks what a host relies on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "api/effect_api.h"
#include "host/effect_host.h"
#include "host/owned_world.h"
#include "support/effect_params.h"

// Which command the case sends.
enum class FuzzCommand { Render, About, GlobalSetup, ParamsSetup, Dependencies, Other };

// How a layer is painted: a background, a rectangular subject with a
// half-transparent band round it, holes punched into it and noise on top.
struct PictureRecipe {
    std::uint32_t seed = 0;
    A_u_short backgroundAlpha = 0;
    A_u_short subjectAlpha = 32768;
    A_u_short bandAlpha = 16384;
    A_long subjectLeft = 0, subjectTop = 0, subjectRight = 0, subjectBottom = 0;
    A_long bandWidth = 0;
    int holeCount = 0;
    A_long holeSize = 0;
    A_u_short holeAlpha = 0;
    int noisePerMille = 0;      // pixels whose alpha is replaced by a random one
    bool wildChannels = false;  // 16-bit channels anywhere in 0..65535
};

// Neighbouring frames as the host delivers them.
enum class NeighbourFrames { SameAsInput, SomeWithoutPixels, OtherSize, OtherDepth };

struct LayerShape {
    A_long width = 0, height = 0;
    PixelDepth depth = PixelDepth::Eight;
    A_long paddingPixels = 0;
    bool withoutPixels = false;  // data null, as a host gives an empty layer
};

struct FuzzCase {
    FuzzCommand command = FuzzCommand::Render;
    PF_Cmd otherCommand = 0;
    PF_DepCheckType dependencyCheck = 0;
    HostSettings settings;
    FaultPlan faults;
    ParamValues values;
    LayerShape input, output, neighbour;
    NeighbourFrames neighbours = NeighbourFrames::SameAsInput;
    std::uint8_t framesWithoutPixels = 0;  // bit k: the frame at offset k - 3
    PictureRecipe picture;
    // Raw bytes painted over the start of the input's pixels.
    const std::uint8_t *rawPixels = nullptr;
    std::size_t rawPixelCount = 0;
};

FuzzCase decodeFuzzCase(const std::uint8_t *data, std::size_t size);

// A layer record of the shape's size and depth whose data is null, as a
// host describes a layer it has no pixels for.
OwnedWorld layerWithoutPixels(const LayerShape &shape);

// Paints a layer of the given shape from the recipe, then the raw bytes.
OwnedWorld paintLayer(const LayerShape &shape, const PictureRecipe &recipe, const std::uint8_t *raw,
                      std::size_t rawCount);

// One line per choice, for reports of a failing case.
std::string describeFuzzCase(const FuzzCase &fuzzCase);

// Runs the case against the entry point; returns a description of every
// broken promise, empty when there is none.
std::string runFuzzCase(PF_FilterProc entry, const FuzzCase &fuzzCase);

// Decodes and runs in one step: what the fuzzer and the corpus replay call.
std::string runFuzzInput(PF_FilterProc entry, const std::uint8_t *data, std::size_t size);
