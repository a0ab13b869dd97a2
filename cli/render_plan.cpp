#include "cli/render_plan.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "cli/cli_error.h"
#include "cli/frame_chunks.h"
#include "cli/input_frames.h"
#include "cli/memory_budget.h"
#include "cli/path_clashes.h"

namespace fs = std::filesystem;

namespace {

void prepareOutputFolder(const std::string &file) {
    fs::path folder = fs::path(file).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec)
            throw CliError(folder.string() + ": cannot create the output folder (" + ec.message() +
                           ")");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw CliError(folder.string() + ": the output folder is not writable");
    }
}

void checkOutputName(const RenderPlan &plan, const RenderOptions &options) {
    if (plan.outputCodec != nullptr) {
        if (options.skipExisting)
            throw usageError("--skip-existing: " + options.output +
                             " is a movie, written whole by every run");
        return;
    }
    if (!options.codec.empty())
        throw usageError("--codec: " + options.output + " is not a movie (.mov, .mkv or .webm)");
    if (!plan.output.isSequence && plan.frames.size() > 1) {
        throw usageError(options.output + ": " + std::to_string(plan.frames.size()) +
                         " frames need a frame-number pattern such as %04d or ####");
    }
}

// Every output of the run against every file of the input and each other.
void checkPathClashes(const RenderPlan &plan, const RenderOptions &options) {
    std::vector<PlannedOutput> outputs;
    if (plan.outputCodec != nullptr) outputs.push_back({options.output, "the output movie"});
    for (std::size_t i = 0; plan.outputCodec == nullptr && i < plan.frames.size(); ++i) {
        const long frame = plan.frames[i];
        outputs.push_back({outputPathOf(plan, frame), "frame " + std::to_string(frame)});
    }
    if (!options.contactSheet.empty()) outputs.push_back({options.contactSheet, "--contact-sheet"});
    refuse_PathClashes(list_ProtectedInputs(plan.clip.pattern), outputs);
}

std::string sizeText(const PixelWindow &window) {
    return std::to_string(window.width) + " x " + std::to_string(window.height);
}

void checkFrameSize(const std::string &path, const ImageHeader &header) {
    if (header.display.width > PF_MAX_WORLD_WIDTH || header.display.height > PF_MAX_WORLD_HEIGHT) {
        throw CliError(path + ": larger than the host's 30000 x 30000 worlds");
    }
}

// Every frame the render reads: the rendered ones and their neighbours.
// Frames share the size of their display windows; their data windows may
// differ. Returns the most bytes any frame's samples take.
std::uint64_t checkInputFrames(RenderPlan &plan, AlphaReading alpha) {
    const FrameRange &clip = plan.clip.frames;
    const long first = std::max(clip.first, plan.clip.rendered.first - NEIGHBOUR_REACH);
    const long last = std::min(clip.last, plan.clip.rendered.last + NEIGHBOUR_REACH);
    const std::string firstPath = format_FramePath(plan.clip.pattern, first);
    plan.header = read_ImageHeader(firstPath, alpha);
    std::uint64_t largest = plan.header.fileBytes();
    for (long f = first + 1; f <= last; ++f) {
        const std::string path = format_FramePath(plan.clip.pattern, f);
        const ImageHeader header = read_ImageHeader(path, alpha);
        largest = std::max(largest, header.fileBytes());
        if (header.display.width != plan.header.display.width ||
            header.display.height != plan.header.display.height) {
            throw CliError(path + ": " + sizeText(header.display) + ", but " + firstPath + " is " +
                           sizeText(plan.header.display) + "; frames must share one size");
        }
        if (header.depth != plan.header.depth) {
            throw CliError(path + ": " + sampleDepthName(header.depth) + ", but " + firstPath +
                           " is " + sampleDepthName(plan.header.depth) +
                           "; frames must share one depth");
        }
    }
    checkFrameSize(firstPath, plan.header);
    return largest;
}

// What a previous run finished stays as it is.
void leaveOutCompleteOutputs(RenderPlan &plan) {
    std::vector<long> missing;
    for (long frame : plan.frames) {
        if (!is_CompleteOutput(outputPathOf(plan, frame), plan.header.display.width,
                               plan.header.display.height)) {
            missing.push_back(frame);
        }
    }
    plan.skipped = static_cast<long>(plan.frames.size() - missing.size());
    plan.frames = std::move(missing);
}

// A movie's frames are all there is: the clip is 1..frameCount.
Clip movieClip(const std::string &path, long frameCount,
               const std::optional<FrameRange> &requested) {
    Clip clip;
    clip.pattern.text = path;
    clip.pattern.prefix = path;
    clip.frames = FrameRange{1, frameCount};
    clip.rendered = requested.value_or(clip.frames);
    if (!clip.frames.contains(clip.rendered.first) || !clip.frames.contains(clip.rendered.last)) {
        throw usageError("--frames: " + path + " holds frames 1-" + std::to_string(frameCount));
    }
    return clip;
}

// The host's time scale counts whole frames per second; a movie's rate
// (29.97) is rounded to the nearest (30). The effect goes from frame to
// frame by the time step, so the rounding changes no pixel.
A_u_long wholeFramesPerSecond(AVRational rate, A_u_long fallback) {
    if (rate.num <= 0 || rate.den <= 0) return fallback;
    return std::max<A_u_long>(1, A_u_long(std::lround(av_q2d(rate))));
}

// A movie output is one file, whatever its name holds.
SequencePattern outputPatternOf(const std::string &output) {
    if (!is_MovieName(output)) return parse_SequencePattern(output);
    SequencePattern pattern;
    pattern.text = output;
    pattern.prefix = output;
    return pattern;
}

void chooseOutputFormat(RenderPlan &plan, const RenderOptions &options) {
    plan.outputDepth = options.depth.value_or(plan.header.depth);
    if (plan.outputCodec != nullptr) {
        plan.outputFormat = movieOutputFormat(*plan.outputCodec, options.output, plan.outputDepth);
        return;
    }
    plan.outputFormat =
        choose_OutputFormat(outputPathOf(plan, plan.frames.front()), plan.outputDepth);
    plan.outputFormat.compressionLevel = options.pngCompression;
}

}  // namespace

std::string outputPathOf(const RenderPlan &plan, long frame) {
    return format_FramePath(plan.output, frame);
}

ClipSource open_ClipSource(const RenderPlan &plan) {
    if (plan.inputMovie) return open_MovieSource(plan.inputMovie);
    return open_SequenceSource(plan.clip.pattern, plan.alpha);
}

FrameSink open_FrameSink(const RenderPlan &plan) {
    if (plan.outputCodec == nullptr) return open_SequenceSink(plan.output, plan.outputFormat);
    const MovieInfo *input = plan.inputMovie ? &plan.inputMovie->info() : nullptr;
    return open_MovieSink(
        plan.output.text,
        movieSettingsFor(*plan.outputCodec, plan.outputDepth, input, plan.clip.rendered,
                         plan.header.display.width, plan.header.display.height, plan.fps));
}

RenderPlan plan_Render(const RenderOptions &options) {
    RenderPlan plan;
    plan.alpha = options.alpha;
    plan.fps = options.fps;
    plan.output = outputPatternOf(options.output);
    if (is_MovieName(options.output))
        plan.outputCodec = &choose_MovieCodec(options.output, options.codec);
    if (is_MovieName(options.input)) {
        plan.inputMovie = std::make_shared<MovieInput>(options.input);
        plan.clip = movieClip(options.input, plan.inputMovie->info().frameCount, options.frames);
        plan.fps = wholeFramesPerSecond(plan.inputMovie->info().frameRate, options.fps);
    } else {
        plan.clip = discover_Clip(parse_SequencePattern(options.input), options.frames);
    }
    if (options.chunk) plan.clip.rendered = chunk_FrameRange(plan.clip.rendered, *options.chunk);
    for (long f = plan.clip.rendered.first; f <= plan.clip.rendered.last; ++f) {
        plan.frames.push_back(f);
    }
    checkOutputName(plan, options);
    std::uint64_t fileBytes = 0;
    if (plan.inputMovie) {
        plan.header = plan.inputMovie->info().header();
        checkFrameSize(options.input, plan.header);
        fileBytes = plan.header.fileBytes();
    } else {
        fileBytes = checkInputFrames(plan, options.alpha);
    }
    chooseOutputFormat(plan, options);
    if (!options.contactSheet.empty())
        choose_OutputFormat(options.contactSheet, SampleDepth::Eight);
    checkPathClashes(plan, options);
    const int jobs = int(std::min<std::size_t>(std::max(options.jobs, 1), plan.frames.size()));
    // Named after the file whose header gave the size.
    const long sized = std::max(plan.clip.frames.first, plan.clip.rendered.first - NEIGHBOUR_REACH);
    check_RenderFitsInMemory(format_FramePath(plan.clip.pattern, sized), plan.header.display.width,
                             plan.header.display.height, fileBytes, options.host, jobs,
                             available_MemoryBytes());
    // Folders are made only once everything else is known to be sound.
    prepareOutputFolder(outputPathOf(plan, plan.frames.front()));
    if (!options.contactSheet.empty()) prepareOutputFolder(options.contactSheet);
    if (options.skipExisting) leaveOutCompleteOutputs(plan);
    return plan;
}
