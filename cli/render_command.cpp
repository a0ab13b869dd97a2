#include "cli/render_command.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/cli_error.h"
#include "cli/contact_sheet.h"
#include "cli/declared_controls.h"
#include "cli/module_path.h"
#include "cli/output_frame.h"
#include "cli/progress_report.h"
#include "cli/render_pipeline.h"
#include "cli/render_plan.h"
#include "cli/render_stats.h"
#include "cli/run_notes.h"
#include "cli/usable_cores.h"
#include "host/effect_module.h"

namespace {

// Frames in flight times threads per frame stays at the core count, unless
// the user chose the threads per frame. Set before any thread starts: the
// effect reads it at every render.
void shareCoresBetweenFrames(int framesInFlight) {
    if (std::getenv("HOLVANE_RENDER_THREADS") != nullptr) return;
    const int perFrame = std::max(1, usable_Cores() / std::max(framesInFlight, 1));
    ::setenv("HOLVANE_RENDER_THREADS", std::to_string(perFrame).c_str(), 1);
}

// Figures that cannot be delivered are an error, not a silent success.
void writeStats(std::ostream &out, const std::vector<double> &renderMilliseconds,
                const RenderPlan &plan) {
    out << format_RenderStats(renderMilliseconds, plan.header.display.width,
                              plan.header.display.height)
        << "\n"
        << std::flush;
    if (!out || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        out.clear();
        throw CliError("--stats: cannot write the figures to standard output");
    }
}

// The render to the last frame and the sink completed, or on any failure
// the sink abandoned and the progress bar cleared before the error goes on.
std::vector<double> renderToSink(const RenderJob &job) {
    try {
        std::vector<double> renderMilliseconds = run_RenderPipeline(job);
        job.sink.finish();
        return renderMilliseconds;
    } catch (const CliError &) {
        job.progress.abandon();
        job.sink.abandon();
        throw;
    }
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
    const int framesInFlight =
        int(std::min<std::size_t>(std::size_t(std::max(options.jobs, 1)), plan.frames.size()));
    shareCoresBetweenFrames(framesInFlight);
    // Parallelism comes from the frames in flight and the effect's own
    // threads; the file formats' threads would only compete with them.
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
    for (const std::string &note : describe_Movies(plan)) progress.note(note);
    const FrameSink sink = open_FrameSink(plan);
    const RenderJob job{
        plan,          module.entry(), HostRequest{options.host, options.downsample, plan.fps},
        effect,        infoView,       open_ClipSource(plan),
        sink,          progress,       sheet.get(),
        framesInFlight};
    const std::vector<double> renderMilliseconds = renderToSink(job);
    progress.finish();

    if (sheet) write_ImageFileAtomically(options.contactSheet, sheet->assemble());
    if (options.stats) writeStats(out, renderMilliseconds, plan);
    return 0;
}
