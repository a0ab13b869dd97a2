#include "cli/render_pipeline.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/cli_error.h"
#include "cli/frame_window.h"
#include "cli/ordered_handoff.h"
#include "cli/output_frame.h"

namespace {

// What the threads of a run share. Every member is guarded by `mutex` or
// safe on its own.
struct Pipeline {
    Pipeline(const RenderJob &job, int renders)
        : job(job),
          window(job.source, job.plan.clip.frames, job.plan.frames, job.request.app, renders),
          handoff(job.plan.frames.size(), std::size_t(renders)) {}

    const RenderJob &job;
    FrameWindow window;
    OrderedHandoff handoff;

    std::mutex mutex;
    std::optional<CliError> failure;
    std::vector<double> renderMilliseconds;
    bool warned = false;
};

void stopAll(Pipeline &pipeline) {
    pipeline.window.stop();
    pipeline.handoff.stop();
}

// Runs one thread's work; its failure, if the first, becomes the run's, and
// stops every other thread.
template <typename Work>
void runGuarded(Pipeline &pipeline, Work work) {
    std::optional<CliError> error;
    try {
        work();
        return;
    } catch (const CliError &thrown) {
        error = thrown;
    } catch (const std::exception &thrown) {
        error = CliError(thrown.what());
    }
    {
        std::lock_guard<std::mutex> lock(pipeline.mutex);
        if (!pipeline.failure) pipeline.failure = *error;
    }
    stopAll(pipeline);
}

void recordFrame(Pipeline &pipeline, long frame, const FrameResult &result) {
    std::string warning;
    {
        std::lock_guard<std::mutex> lock(pipeline.mutex);
        pipeline.renderMilliseconds.push_back(result.renderMilliseconds);
        if (!result.hostWarning.empty() && !pipeline.warned) {
            pipeline.warned = true;
            warning = "holvane: warning: frame " + std::to_string(frame) + ": the host found " +
                      result.hostWarning;
        }
    }
    if (!warning.empty()) pipeline.job.progress.note(warning);
}

ImageFrame renderOneFrame(Pipeline &pipeline, FrameRenderer &renderer, const RenderInputs &inputs,
                          long frame) {
    const RenderJob &job = pipeline.job;
    FrameResult result = renderer.render(frame, inputs, job.effect);
    ImageFrame output =
        compose_OutputFrame(*inputs.file(frame), *inputs.world(frame), result.output.layer(),
                            job.plan.outputFormat, job.plan.outputDepth);
    if (job.sheet != nullptr && job.sheet->wants(frame)) {
        // The info view is an extra render; it stays out of the statistics.
        const FrameResult info = renderer.render(frame, inputs, job.infoView);
        job.sheet->addRow(frame, *inputs.world(frame), result.output.layer(), info.output.layer());
    }
    recordFrame(pipeline, frame, result);
    renderer.recycle(std::move(result.output));
    return output;
}

void writeFrame(const RenderJob &job, long frame, const ImageFrame &output) {
    job.sink.write(frame, output);
    job.progress.frameDone(frame, job.sink.destination(frame));
}

void renderFrames(Pipeline &pipeline) {
    const RenderJob &job = pipeline.job;
    FrameRenderer renderer(job.entry, job.plan.clip, job.request);
    std::size_t index = 0;
    while (pipeline.window.claim(index)) {
        const long frame = job.plan.frames[index];
        RenderInputs inputs;
        if (!pipeline.window.gather(frame, inputs)) return;
        ImageFrame output = renderOneFrame(pipeline, renderer, inputs, frame);
        inputs = RenderInputs();
        pipeline.window.release(index);
        if (!job.sink.needsOrder) {
            writeFrame(job, frame, output);
        } else if (!pipeline.handoff.put(index, frame, std::move(output))) {
            return;
        }
    }
}

void writeInOrder(Pipeline &pipeline) {
    long frame = 0;
    ImageFrame output;
    while (pipeline.handoff.take(frame, output)) writeFrame(pipeline.job, frame, output);
}

}  // namespace

std::vector<double> run_RenderPipeline(const RenderJob &job) {
    const int renders =
        int(std::min<std::size_t>(std::size_t(std::max(job.jobs, 1)), job.plan.frames.size()));
    Pipeline pipeline(job, renders);
    std::vector<std::thread> threads;
    try {
        threads.emplace_back([&] { runGuarded(pipeline, [&] { pipeline.window.readAll(); }); });
        if (job.sink.needsOrder) {
            threads.emplace_back([&] { runGuarded(pipeline, [&] { writeInOrder(pipeline); }); });
        }
        for (int r = 0; r < renders; ++r) {
            threads.emplace_back([&] { runGuarded(pipeline, [&] { renderFrames(pipeline); }); });
        }
    } catch (const std::system_error &error) {
        stopAll(pipeline);
        for (std::thread &thread : threads) thread.join();
        throw CliError(std::string("cannot start the render threads (") + error.what() + ")");
    }
    for (std::thread &thread : threads) thread.join();
    if (pipeline.failure) throw *pipeline.failure;
    return pipeline.renderMilliseconds;
}
