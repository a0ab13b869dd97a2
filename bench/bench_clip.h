// The clips the benchmarks render: seven keyed frames (offsets -3 to +3
// around the current one) in memory, generated or scaled up from the bundled
// real footage, and the parameter sets of the benchmark cases.
#pragma once

#include <string>
#include <vector>

#include "host/owned_world.h"
#include "host/param_array.h"
#include "support/effect_params.h"
#include "support/keyed_frames.h"

constexpr A_long BENCH_FRAMES_AROUND = 3;  // the render fetches offsets -3..+3

enum class ClipSource { Generated, Footage };

struct BenchCase {
    std::string name;
    A_long width;
    A_long height;
    PixelDepth depth;
    ParamValues values;
    ClipSource source = ClipSource::Generated;
};

// The benchmark list: generated clips, then the real footage.
std::vector<BenchCase> benchRenderCases();

// The effect's defaults, and the heavy set: gaps 30, hole size 4000, feather
// 100, the given shrink/grow and fill chain.
ParamValues defaultBenchParams();
ParamValues heavyBenchParams(A_long shrinkGrow, A_long fillChain);

// Frames for offsets -3..+3 (index = offset + 3) of a case's size, depth and
// source, made once and kept for the whole run. Empty when the footage is
// missing (footageMissing says why).
const std::vector<OwnedWorld> &benchClip(const BenchCase &c);
std::string footageMissing();

// The module the render cases load: HOLVANE_MODULE when set, otherwise the
// one built beside the benchmarks.
std::string benchModulePath();
