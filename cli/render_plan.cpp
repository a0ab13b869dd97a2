#include "cli/render_plan.h"

#include <unistd.h>

#include <algorithm>
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
    if (!plan.output.isSequence && plan.frames.size() > 1) {
        throw usageError(options.output + ": " + std::to_string(plan.frames.size()) +
                         " frames need a frame-number pattern such as %04d or ####");
    }
}

// Every output of the run against every file of the input and each other.
void checkPathClashes(const RenderPlan &plan, const RenderOptions &options) {
    std::vector<PlannedOutput> outputs;
    for (long frame : plan.frames) {
        outputs.push_back({outputPathOf(plan, frame), "frame " + std::to_string(frame)});
    }
    if (!options.contactSheet.empty()) outputs.push_back({options.contactSheet, "--contact-sheet"});
    refuse_PathClashes(list_ProtectedInputs(plan.clip.pattern), outputs);
}

std::string sizeText(const PixelWindow &window) {
    return std::to_string(window.width) + " x " + std::to_string(window.height);
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
    if (plan.header.display.width > PF_MAX_WORLD_WIDTH ||
        plan.header.display.height > PF_MAX_WORLD_HEIGHT) {
        throw CliError(firstPath + ": larger than the host's 30000 x 30000 worlds");
    }
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

}  // namespace

std::string outputPathOf(const RenderPlan &plan, long frame) {
    return format_FramePath(plan.output, frame);
}

ClipSource open_ClipSource(const RenderPlan &plan) {
    return open_SequenceSource(plan.clip.pattern, plan.alpha);
}

FrameSink open_FrameSink(const RenderPlan &plan) {
    return open_SequenceSink(plan.output, plan.outputFormat);
}

RenderPlan plan_Render(const RenderOptions &options) {
    RenderPlan plan;
    plan.alpha = options.alpha;
    const SequencePattern input = parse_SequencePattern(options.input);
    plan.output = parse_SequencePattern(options.output);
    plan.clip = discover_Clip(input, options.frames);
    if (options.chunk) plan.clip.rendered = chunk_FrameRange(plan.clip.rendered, *options.chunk);
    for (long f = plan.clip.rendered.first; f <= plan.clip.rendered.last; ++f) {
        plan.frames.push_back(f);
    }
    checkOutputName(plan, options);
    const std::uint64_t fileBytes = checkInputFrames(plan, options.alpha);
    plan.outputDepth = options.depth.value_or(plan.header.depth);
    plan.outputFormat =
        choose_OutputFormat(outputPathOf(plan, plan.frames.front()), plan.outputDepth);
    plan.outputFormat.compressionLevel = options.pngCompression;
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
