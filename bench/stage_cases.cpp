// Where a render's time goes: each stage timed on its own on the state the
// earlier stages leave, for every case of the benchmark list.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "bench_registry.h"
#include "stage_pipeline.h"

namespace {

constexpr int STAGE_RUNS = 12;

// One pipeline per case, kept across its stage benchmarks, which run in stage
// order and so only ever move it forward.
StagePipeline &pipelineFor(const BenchCase &c) {
    static std::map<std::string, std::unique_ptr<StagePipeline>> pipelines;
    std::unique_ptr<StagePipeline> &p = pipelines[c.name];
    if (!p) p = std::make_unique<StagePipeline>(c);
    return *p;
}

void stageCase(benchmark::State &state, const BenchCase &c, Stage stage, bool reference) {
    if (benchClip(c).empty()) {
        state.SkipWithError(footageMissing().c_str());
        return;
    }
    StagePipeline &pipeline = pipelineFor(c);
    pipeline.advanceTo(stage);
    if (!pipeline.runs(stage, reference)) {
        state.SkipWithError(
            "the render skips this stage with these settings, or runs it with "
            "the one before");
        return;
    }
    pipeline.save();
    for (auto _ : state) {
        pipeline.restore();
        const auto start = std::chrono::steady_clock::now();
        pipeline.run(stage, reference);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    // Back to the state before the stage: the pipeline runs it once more,
    // in its fast form, when it moves on. The frames go back to the whole
    // copies both forms of the later stages read.
    pipeline.restore();
    if (stage == Stage::WorkingImages) pipeline.run(stage, true);
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(pipeline.width()) * pipeline.height() / 1e6 *
                               static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

}  // namespace

void registerStageCases(bool withReference) {
    for (const BenchCase &c : benchRenderCases()) {
        for (const StageEntry &entry : STAGES) {
            const Stage stage = entry.stage;
            const std::string name =
                c.name + "/" + std::to_string(stageNumber(stage)) + "_" + entry.name;
            // A fixed number of runs: each needs the stage's input put back
            // first, which costs more than the quickest stages themselves.
            benchmark::RegisterBenchmark(("stage/" + name).c_str(), stageCase, c, stage, false)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(STAGE_RUNS);
            // Right after the fast form, on the same state.
            if (withReference)
                benchmark::RegisterBenchmark(("stage_reference/" + name).c_str(), stageCase, c,
                                             stage, true)
                    ->Unit(benchmark::kMillisecond)
                    ->UseManualTime()
                    ->Iterations(
                        stage == Stage::EdgeGaps || stage == Stage::FillChain ? 1 : STAGE_RUNS);
        }
    }
}
