#include "bench_clip.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "cli/cli_error.h"
#include "cli/image_file.h"
#include "cli/world_conversion.h"

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

// The real footage: the bundled keyed clip, or the folder HOLVANE_BENCH_FOOTAGE
// names, frames frame.0001.png on.
std::string footageFolder() {
    const char *folder = std::getenv("HOLVANE_BENCH_FOOTAGE");
    return folder != nullptr && *folder != '\0' ? folder : HOLVANE_BENCH_FOOTAGE;
}

std::string footageFrame(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame.%04d.png", number);
    return footageFolder() + name;
}

// One footage frame scaled to the case's size as the peer comparison scales
// it: bilinear to 8 bits, then 16-bit files as 8-bit values times 257.
OwnedWorld scaledFootageFrame(const std::string &path, A_long width, A_long height,
                              PixelDepth depth) {
    FileImage file = read_ImageFile(path);
    const OIIO::ImageBuf source(OIIO::ImageSpec(file.width, file.height, 4, OIIO::TypeDesc::UINT8),
                                file.u8.data());
    FileImage scaled = make_FileImage(width, height, SampleDepth::Eight);
    OIIO::ImageBuf target(OIIO::ImageSpec(width, height, 4, OIIO::TypeDesc::UINT8),
                          scaled.u8.data());
    OIIO::ImageBufAlgo::resample(target, source, true);
    if (depth == PixelDepth::Sixteen) {
        FileImage deep = make_FileImage(width, height, SampleDepth::Sixteen);
        std::transform(scaled.u8.begin(), scaled.u8.end(), deep.u16.begin(),
                       [](std::uint8_t v) { return static_cast<std::uint16_t>(v * 257); });
        scaled = std::move(deep);
    }
    return convert_FrameToWorld(make_ImageFrame(std::move(scaled)), HostApp::AfterEffects);
}

// The seven frames around the clip's middle (frame 5 of a long clip, as the
// peer comparison renders), clamped to the frames there are.
std::vector<OwnedWorld> footageClip(A_long width, A_long height, PixelDepth depth) {
    int last = 0;
    while (std::filesystem::exists(footageFrame(last + 1))) ++last;
    std::vector<OwnedWorld> clip;
    if (last == 0) return clip;
    const int current = last >= 8 ? 5 : (last + 1) / 2;
    for (int offset = -BENCH_FRAMES_AROUND; offset <= BENCH_FRAMES_AROUND; ++offset) {
        const std::string path = footageFrame(std::clamp(current + offset, 1, last));
        try {
            clip.push_back(scaledFootageFrame(path, width, height, depth));
        } catch (const CliError &) {
            return {};
        }
    }
    return clip;
}

std::vector<OwnedWorld> generatedClip(A_long width, A_long height, PixelDepth depth) {
    KeyedFrameOptions current;
    current.width = width;
    current.height = height;
    current.depth = depth;
    current.seed = 7;
    std::vector<OwnedWorld> clip;
    for (A_long offset = -BENCH_FRAMES_AROUND; offset <= BENCH_FRAMES_AROUND; ++offset)
        clip.push_back(keyedFrame(neighbourFrame(current, offset)));
    return clip;
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
        {"5_footage_hd8_default", 1920, 1080, PixelDepth::Eight, defaultBenchParams(),
         ClipSource::Footage},
        {"6_footage_uhd16_default", 3840, 2160, PixelDepth::Sixteen, defaultBenchParams(),
         ClipSource::Footage},
    };
}

const std::vector<OwnedWorld> &benchClip(const BenchCase &c) {
    using Key = std::tuple<A_long, A_long, PixelDepth, ClipSource>;
    static std::map<Key, std::vector<OwnedWorld>> clips;
    std::vector<OwnedWorld> &clip = clips[Key(c.width, c.height, c.depth, c.source)];
    if (clip.empty())
        clip = c.source == ClipSource::Footage ? footageClip(c.width, c.height, c.depth)
                                               : generatedClip(c.width, c.height, c.depth);
    return clip;
}

std::string footageMissing() {
    return "no keyed footage (frame.0001.png ...) readable in " + footageFolder() +
           "; set HOLVANE_BENCH_FOOTAGE to a folder that holds it";
}

std::string benchModulePath() {
    const char *fromEnvironment = std::getenv("HOLVANE_MODULE");
    return fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment
                                                                  : HOLVANE_BENCH_MODULE;
}
