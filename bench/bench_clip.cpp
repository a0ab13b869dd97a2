#include "bench_clip.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>

namespace {

// Generating a 4K clip takes seconds (and minutes under valgrind); with
// HOLVANE_BENCH_CACHE set to a folder, frames are kept there between runs.
// Bump the version whenever the generator changes.
constexpr int FRAME_CACHE_VERSION = 2;

std::string cachePath(const KeyedFrameOptions &o) {
    const char *folder = std::getenv("HOLVANE_BENCH_CACHE");
    if (folder == nullptr || *folder == '\0') return std::string();
    char name[160];
    std::snprintf(name, sizeof name, "/keyed-v%d-%dx%d-%d-s%u-%d-%d.raw", FRAME_CACHE_VERSION,
                  int(o.width), int(o.height), o.depth == PixelDepth::Sixteen ? 16 : 8,
                  unsigned(o.seed), int(o.shiftX), int(o.shiftY));
    return std::string(folder) + name;
}

bool readCached(const std::string &path, OwnedWorld &world) {
    std::FILE *file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    const std::size_t bytes = world.byteCount();
    const bool complete = std::fread(world.row(0), 1, bytes, file) == bytes;
    std::fclose(file);
    return complete;
}

void writeCached(const std::string &path, const OwnedWorld &world) {
    std::FILE *file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(world.row(0), 1, world.byteCount(), file);
    std::fclose(file);
}

OwnedWorld keyedFrame(const KeyedFrameOptions &o) {
    const std::string path = cachePath(o);
    OwnedWorld cached(o.width, o.height, o.depth);
    if (readCached(path, cached)) return cached;
    OwnedWorld made = makeKeyedFrame(o);
    writeCached(path, made);
    return made;
}

}  // namespace

ParamValues defaultBenchParams() { return defaultParamValues(); }

ParamValues heavyBenchParams(A_long shrinkGrow, A_long fillChain) {
    ParamValues v = defaultParamValues();
    v.number[PARAM_CLOSE_EDGE_GAPS] = 30;
    v.number[PARAM_HOLE_SIZE] = 4000;
    v.number[PARAM_FEATHER_IN] = 100;
    v.number[PARAM_SHRINK_GROW] = shrinkGrow;
    v.number[PARAM_FILL_WITH] = fillChain;
    return v;
}

std::vector<BenchCase> benchRenderCases() {
    return {
        {"1_hd8_default", 1920, 1080, PixelDepth::Eight, defaultBenchParams()},
        {"2_uhd16_default", 3840, 2160, PixelDepth::Sixteen, defaultBenchParams()},
        {"3_hd8_heavy_grow", 1920, 1080, PixelDepth::Eight, heavyBenchParams(50, 5)},
        {"4_hd8_heavy_shrink", 1920, 1080, PixelDepth::Eight, heavyBenchParams(-50, 9)},
    };
}

const std::vector<OwnedWorld> &benchClip(A_long width, A_long height, PixelDepth depth) {
    static std::map<std::tuple<A_long, A_long, PixelDepth>, std::vector<OwnedWorld>> clips;
    std::vector<OwnedWorld> &clip = clips[std::make_tuple(width, height, depth)];
    if (clip.empty()) {
        KeyedFrameOptions current;
        current.width = width;
        current.height = height;
        current.depth = depth;
        current.seed = 7;
        for (A_long offset = -BENCH_FRAMES_AROUND; offset <= BENCH_FRAMES_AROUND; ++offset)
            clip.push_back(keyedFrame(neighbourFrame(current, offset)));
    }
    return clip;
}

std::string benchModulePath() {
    const char *fromEnvironment = std::getenv("HOLVANE_MODULE");
    return fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment
                                                                  : HOLVANE_BENCH_MODULE;
}
