#include "cli/render_command.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

#include "cli/cli_error.h"
#include "cli/contact_sheet.h"
#include "cli/declared_controls.h"
#include "cli/frame_renderer.h"
#include "cli/module_path.h"
#include "cli/output_frame.h"
#include "cli/progress_report.h"
#include "cli/render_plan.h"
#include "cli/render_stats.h"
#include "cli/run_notes.h"
#include "host/effect_module.h"

namespace {

// What the render threads share. Every member is guarded by `mutex` or
// safe on its own.
struct SharedRun {
    SharedRun(const RenderPlan &plan, const RenderOptions &options, PF_FilterProc entry,
              const FrameSink &sink, ProgressReport &progress, ContactSheet *sheet)
        : plan(plan),
          options(options),
          entry(entry),
          sink(sink),
          progress(progress),
          sheet(sheet) {}

    const RenderPlan &plan;
    const RenderOptions &options;
    PF_FilterProc entry;
    const FrameSink &sink;  // unordered: written from every thread
    ProgressReport &progress;
    ContactSheet *sheet;  // null without --contact-sheet

    ParamValues effect;    // the controls as the options set them
    ParamValues infoView;  // the same in the Show info view, for the contact sheet

    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::optional<CliError> failure;
    std::vector<double> renderMilliseconds;
    bool warned = false;
};

void recordFailure(SharedRun &run, const CliError &error) {
    std::lock_guard<std::mutex> lock(run.mutex);
    if (!run.failure) run.failure = error;
    run.stopped = true;
}

void recordFrame(SharedRun &run, long frame, const FrameResult &result) {
    std::string warning;
    {
        std::lock_guard<std::mutex> lock(run.mutex);
        run.renderMilliseconds.push_back(result.renderMilliseconds);
        if (!result.hostWarning.empty() && !run.warned) {
            run.warned = true;
            warning = "holvane: warning: frame " + std::to_string(frame) + ": the host found " +
                      result.hostWarning;
        }
    }
    if (!warning.empty()) run.progress.note(warning);
}

void renderOneFrame(SharedRun &run, FrameRenderer &renderer, long frame) {
    renderer.prepare(frame);
    const FrameResult result = renderer.render(frame, run.effect);
    const ImageFrame output =
        compose_OutputFrame(*renderer.inputs().file(frame), *renderer.inputs().world(frame),
                            result.output.layer(), run.plan.outputFormat, run.plan.outputDepth);
    run.sink.write(frame, output);
    if (run.sheet != nullptr && run.sheet->wants(frame)) {
        // The info view is an extra render; it stays out of the statistics.
        const FrameResult info = renderer.render(frame, run.infoView);
        run.sheet->addRow(frame, *renderer.inputs().world(frame), result.output.layer(),
                          info.output.layer());
    }
    recordFrame(run, frame, result);
    run.progress.frameDone(frame, run.sink.destination(frame));
}

// One thread's share: a contiguous run of frames, so that neighbouring
// frames read for one render serve the next.
void renderShare(SharedRun &run, std::size_t begin, std::size_t end) {
    try {
        const HostRequest request{run.options.host, run.options.downsample, run.options.fps,
                                  run.options.alpha};
        FrameRenderer renderer(run.entry, run.plan.clip, request);
        for (std::size_t i = begin; i < end && !run.stopped; ++i) {
            renderOneFrame(run, renderer, run.plan.frames[i]);
        }
    } catch (const CliError &error) {
        recordFailure(run, error);
    } catch (const std::exception &error) {
        recordFailure(run, CliError(error.what()));
    }
}

// Figures that cannot be delivered are an error, not a silent success.
void writeStats(std::ostream &out, const SharedRun &run, const RenderPlan &plan) {
    out << format_RenderStats(run.renderMilliseconds, plan.header.display.width,
                              plan.header.display.height)
        << "\n"
        << std::flush;
    if (!out || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        out.clear();
        throw CliError("--stats: cannot write the figures to standard output");
    }
}

void renderAllFrames(SharedRun &run, int jobs) {
    const std::size_t count = run.plan.frames.size();
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1), count);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threads; ++t) {
        const std::size_t begin = count * t / threads;
        const std::size_t end = count * (t + 1) / threads;
        workers.emplace_back([&run, begin, end] { renderShare(run, begin, end); });
    }
    for (std::thread &worker : workers) worker.join();
}

}  // namespace

int run_RenderCommand(const RenderOptions &options, const std::string &modulePathOption,
                      std::ostream &out, const StandardStreams &streams) {
    if (options.stats && streams.outputWasClosed) {
        throw CliError("--stats: standard output is closed, so the figures could not be written");
    }
    // The module first: the control options are checked against the
    // controls it declares before any file is read.
    EffectModule module;
    open_EffectModule(resolve_ModulePath(modulePathOption), module);
    const std::vector<CollectedParam> declared = read_DeclaredControls(module.entry());
    const ParamValues effect = resolve_ControlValues(options.controls, declared);
    ParamValues infoView;
    if (!options.contactSheet.empty()) {
        std::vector<ControlSetting> showInfo = options.controls;
        showInfo.push_back(ControlSetting{"--process", "info"});
        infoView = resolve_ControlValues(showInfo, declared);
    }
    const RenderPlan plan = plan_Render(options);
    // Parallelism comes from --jobs; the file formats' own threads would
    // only compete with it.
    OIIO::attribute("threads", 1);
    OIIO::attribute("exr_threads", 1);

    std::unique_ptr<ContactSheet> sheet;
    if (!options.contactSheet.empty()) {
        sheet = std::make_unique<ContactSheet>(plan.frames, plan.header.display.width,
                                               plan.header.display.height);
    }
    ProgressReport progress(static_cast<int>(plan.frames.size()),
                            chooseProgressStyle(options.quiet, streams.diagnostics),
                            streams.diagnostics);
    if (options.skipExisting) {
        progress.note("holvane: skipped " + std::to_string(plan.skipped) +
                      (plan.skipped == 1 ? " frame" : " frames") + " whose output already exists");
    }
    for (const std::string &note : describe_IneffectiveSettings(options, plan.header)) {
        progress.note(note);
    }
    const FrameSink sink = open_FrameSink(plan);
    SharedRun run(plan, options, module.entry(), sink, progress, sheet.get());
    run.effect = effect;
    run.infoView = infoView;
    renderAllFrames(run, options.jobs);
    if (run.failure) {
        progress.abandon();
        sink.abandon();
        throw *run.failure;
    }
    try {
        sink.finish();
    } catch (const CliError &) {
        progress.abandon();
        throw;
    }
    progress.finish();

    if (sheet) write_ImageFileAtomically(options.contactSheet, sheet->assemble());
    if (options.stats) writeStats(out, run, plan);
    return 0;
}
