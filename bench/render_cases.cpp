// The render cases: the Render command alone, through the module's entry
// point, with our host serving the clip from memory and handing out worlds
// from its pool without painting its test pattern into them. Each case reports ms per
// frame, megapixels per second and its ratio to the memory floor: one memcpy
// of the input frame plus one of the output frame, measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>

#include "bench_clip.h"
#include "bench_registry.h"
#include "host/effect_host.h"
#include "host/effect_module.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::size_t frameBytes(A_long width, A_long height, PixelDepth depth) {
    return static_cast<std::size_t>(width) * height * bytesPerPixel(depth);
}

// The floor of one frame format, in ms per frame, kept for the ratios of the
// cases that follow; measured here (ten rounds) when its benchmark was
// filtered out.
std::map<std::pair<A_long, PixelDepth>, double> &floorTable() {
    static std::map<std::pair<A_long, PixelDepth>, double> table;
    return table;
}

struct FloorBuffers {
    std::vector<std::uint8_t> in, inCopy, out, outCopy;
    explicit FloorBuffers(std::size_t bytes)
        : in(bytes, 1), inCopy(bytes, 2), out(bytes, 3), outCopy(bytes, 4) {}
    void copyBoth() {
        std::memcpy(inCopy.data(), in.data(), in.size());
        std::memcpy(outCopy.data(), out.data(), out.size());
        benchmark::DoNotOptimize(inCopy.data());
        benchmark::DoNotOptimize(outCopy.data());
    }
};

double floorMilliseconds(A_long width, A_long height, PixelDepth depth) {
    auto key = std::make_pair(width * height, depth);
    auto found = floorTable().find(key);
    if (found != floorTable().end()) return found->second;
    FloorBuffers buffers(frameBytes(width, height, depth));
    buffers.copyBoth();
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < 10; ++round) buffers.copyBoth();
    return floorTable()[key] = millisecondsSince(start) / 10.0;
}

void floorCase(benchmark::State &state, A_long width, A_long height, PixelDepth depth) {
    FloorBuffers buffers(frameBytes(width, height, depth));
    double total = 0.0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        buffers.copyBoth();
        total += millisecondsSince(start);
    }
    const double perFrame = total / std::max<double>(1.0, static_cast<double>(state.iterations()));
    floorTable()[std::make_pair(width * height, depth)] = perFrame;
    state.counters["ms/frame"] = perFrame;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 *
                            static_cast<int64_t>(frameBytes(width, height, depth)));
}

HostSettings benchHostSettings(const std::vector<OwnedWorld> &clip) {
    HostSettings settings;
    settings.markUnclearedWorlds = false;
    settings.recycleWorlds = true;
    settings.currentTime = BENCH_FRAMES_AROUND;
    settings.timeStep = 1;
    settings.timeScale = 24;
    settings.totalTime = static_cast<A_long>(clip.size());
    settings.frameSource = [&clip](A_long time) {
        const A_long last = static_cast<A_long>(clip.size()) - 1;
        return &clip[static_cast<std::size_t>(std::clamp(time, A_long{0}, last))].layer();
    };
    return settings;
}

void renderCase(benchmark::State &state, const BenchCase &c) {
    const std::vector<OwnedWorld> &clip = benchClip(c);
    if (clip.empty()) {
        state.SkipWithError(footageMissing().c_str());
        return;
    }
    EffectModule module;
    if (!module.open(benchModulePath())) {
        state.SkipWithError(module.error().c_str());
        return;
    }
    EffectHost host(module.entry(), benchHostSettings(clip));
    if (host.globalSetup().err != PF_Err_NONE || host.paramsSetup().report.err != PF_Err_NONE) {
        state.SkipWithError("the effect's setup failed");
        return;
    }
    OwnedWorld output(c.width, c.height, c.depth);
    const PF_LayerDef &input = clip[BENCH_FRAMES_AROUND].layer();

    // The first render fills the host's pool; the timed ones reuse it.
    const CommandReport warmUp = host.render(c.values, input, output.layer());
    if (warmUp.err != PF_Err_NONE) {
        state.SkipWithError(warmUp.describe().c_str());
        return;
    }
    double total = 0.0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const CommandReport report = host.render(c.values, input, output.layer());
        total += millisecondsSince(start);
        if (report.err != PF_Err_NONE || !report.clean()) {
            state.SkipWithError(report.describe().c_str());
            break;
        }
    }
    const double perFrame = total / std::max<double>(1.0, static_cast<double>(state.iterations()));
    state.counters["ms/frame"] = perFrame;
    state.counters["MP/s"] = c.width * static_cast<double>(c.height) / 1000.0 / perFrame;
    state.counters["x_floor"] = perFrame / floorMilliseconds(c.width, c.height, c.depth);
}

}  // namespace

void registerRenderCases() {
    // The floors first, so the cases' ratios use the floor of this run.
    benchmark::RegisterBenchmark("floor/hd8_memcpy_in_out", floorCase, 1920, 1080,
                                 PixelDepth::Eight)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("floor/uhd16_memcpy_in_out", floorCase, 3840, 2160,
                                 PixelDepth::Sixteen)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const BenchCase &c : benchRenderCases()) {
        benchmark::RegisterBenchmark(("render/" + c.name).c_str(), renderCase, c)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    }
}
