#include "cli/render_plan.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "cli/cli_error.h"
#include "cli/frame_chunks.h"
#include "cli/input_frames.h"
#include "cli/memory_budget.h"

namespace fs = std::filesystem;

namespace {

// The same file however it is spelled: the absolute path with "." and ".."
// and symbolic links resolved as far as they exist.
std::string canonicalSpelling(const std::string &path) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::absolute(path).lexically_normal().string() : resolved.string();
}

void refuseOverwritingInput(const RenderPlan &plan, const std::string &outputName) {
    std::set<std::string> inputs;
    for (long f = plan.clip.frames.first; f <= plan.clip.frames.last; ++f) {
        inputs.insert(canonicalSpelling(format_FramePath(plan.clip.pattern, f)));
    }
    for (long frame : plan.frames) {
        const std::string out = outputPathOf(plan, frame);
        if (inputs.count(canonicalSpelling(out)) != 0) {
            throw usageError(outputName + ": " + out +
                             " is an input frame; refusing to overwrite the source plate");
        }
    }
}

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

void checkOutputName(RenderPlan &plan, const RenderOptions &options) {
    if (!plan.output.isSequence && plan.frames.size() > 1) {
        throw usageError(options.output + ": " + std::to_string(plan.frames.size()) +
                         " frames need a frame-number pattern such as %04d or ####");
    }
    refuseOverwritingInput(plan, options.output);
    check_WritableImageFormat(outputPathOf(plan, plan.frames.front()));
    if (!options.contactSheet.empty()) {
        const std::string sheet = canonicalSpelling(options.contactSheet);
        for (long f = plan.clip.frames.first; f <= plan.clip.frames.last; ++f) {
            if (canonicalSpelling(format_FramePath(plan.clip.pattern, f)) == sheet) {
                throw usageError("--contact-sheet: " + options.contactSheet +
                                 " is an input frame; refusing to overwrite the source plate");
            }
        }
        check_WritableImageFormat(options.contactSheet);
    }
}

// Every frame the render reads: the rendered ones and their neighbours.
void checkInputFrames(RenderPlan &plan) {
    const FrameRange &clip = plan.clip.frames;
    const long first = std::max(clip.first, plan.clip.rendered.first - NEIGHBOUR_REACH);
    const long last = std::min(clip.last, plan.clip.rendered.last + NEIGHBOUR_REACH);
    const std::string firstPath = format_FramePath(plan.clip.pattern, first);
    plan.header = read_ImageHeader(firstPath);
    for (long f = first + 1; f <= last; ++f) {
        const std::string path = format_FramePath(plan.clip.pattern, f);
        const ImageHeader header = read_ImageHeader(path);
        if (header.width != plan.header.width || header.height != plan.header.height) {
            throw CliError(path + ": " + std::to_string(header.width) + " x " +
                           std::to_string(header.height) + ", but " + firstPath + " is " +
                           std::to_string(plan.header.width) + " x " +
                           std::to_string(plan.header.height) + "; frames must share one size");
        }
        if (header.depth != plan.header.depth) {
            throw CliError(path + ": " + sampleDepthName(header.depth) + ", but " + firstPath +
                           " is " + sampleDepthName(plan.header.depth) +
                           "; frames must share one depth");
        }
    }
    if (plan.header.width > PF_MAX_WORLD_WIDTH || plan.header.height > PF_MAX_WORLD_HEIGHT) {
        throw CliError(firstPath + ": larger than the host's 30000 x 30000 worlds");
    }
}

// What a previous run finished stays as it is.
void leaveOutCompleteOutputs(RenderPlan &plan) {
    std::vector<long> missing;
    for (long frame : plan.frames) {
        if (!is_CompleteOutput(outputPathOf(plan, frame), plan.header.width, plan.header.height)) {
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

RenderPlan plan_Render(const RenderOptions &options) {
    RenderPlan plan;
    const SequencePattern input = parse_SequencePattern(options.input);
    plan.output = parse_SequencePattern(options.output);
    plan.clip = discover_Clip(input, options.frames);
    if (options.chunk) plan.clip.rendered = chunk_FrameRange(plan.clip.rendered, *options.chunk);
    for (long f = plan.clip.rendered.first; f <= plan.clip.rendered.last; ++f) {
        plan.frames.push_back(f);
    }
    checkOutputName(plan, options);
    checkInputFrames(plan);
    const int jobs = int(std::min<std::size_t>(std::max(options.jobs, 1), plan.frames.size()));
    // Named after the file whose header gave the size.
    const long sized = std::max(plan.clip.frames.first, plan.clip.rendered.first - NEIGHBOUR_REACH);
    check_RenderFitsInMemory(format_FramePath(plan.clip.pattern, sized), plan.header.width,
                             plan.header.height, options.host, jobs, available_MemoryBytes());
    // Folders are made only once everything else is known to be sound.
    prepareOutputFolder(outputPathOf(plan, plan.frames.front()));
    if (!options.contactSheet.empty()) prepareOutputFolder(options.contactSheet);
    if (options.skipExisting) leaveOutCompleteOutputs(plan);
    return plan;
}
