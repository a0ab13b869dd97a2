#include "cli/run_notes.h"

#include "cli/movie_audio.h"

namespace {

// The rows the effect analyses; it copies shorter and taller frames
// through unchanged (its fill limits hold 4320 rows).
constexpr int FEWEST_REPAIRED_ROWS = 200;
constexpr int MOST_REPAIRED_ROWS = 4320;

// The effect divides its distances by the host's vertical downsample only
// at 1/2, 1/3 and 1/4; any other factor counts as 1.
bool effectScalesBy(long downsample) { return downsample >= 2 && downsample <= 4; }

void describeMovieInput(const MovieInfo &movie, std::vector<std::string> &notes) {
    const std::string name = "holvane: note: " + movie.path + ": ";
    if (!movie.hasAlpha) {
        notes.push_back(name + "the movie has no alpha, so its frames are opaque and " +
                        "nothing will be repaired");
    }
    if (movie.variableRate) {
        notes.push_back(name + "the frame rate varies; frames are taken in order, one step " +
                        "apart, and a movie output runs at the average rate");
    }
    if (!movie.damage.empty()) {
        notes.push_back(name + movie.damage + "; rendering the " +
                        std::to_string(movie.frameCount) + " before the damage");
    }
}

void describeMovieOutput(const RenderPlan &plan, std::vector<std::string> &notes) {
    const std::string name = "holvane: note: " + plan.output.text + ": ";
    if (std::string(plan.outputCodec->option) == "vp9") {
        notes.push_back(name + "VP9 is lossy in colour and alpha; only qtrle, png and ffv1 " +
                        "keep the repaired matte exactly");
    }
    if (!plan.inputMovie) return;
    for (const std::string &stream :
         list_UncopiedAudio(plan.inputMovie->info().path, plan.output.text)) {
        notes.push_back(name + "audio " + stream + " is left out; the container cannot hold it");
    }
}

}  // namespace

std::vector<std::string> describe_IneffectiveSettings(const RenderOptions &options,
                                                      const ImageHeader &header) {
    std::vector<std::string> notes;
    const int rows = header.display.height;
    if (rows < FEWEST_REPAIRED_ROWS || rows > MOST_REPAIRED_ROWS) {
        notes.push_back("holvane: note: frames of " + std::to_string(rows) +
                        " rows pass through unchanged; the effect repairs frames of " +
                        std::to_string(FEWEST_REPAIRED_ROWS) + " to " +
                        std::to_string(MOST_REPAIRED_ROWS) + " rows");
    }
    if (options.downsample != 1 && !effectScalesBy(options.downsample)) {
        notes.push_back("holvane: note: --downsample " + std::to_string(options.downsample) +
                        " has no effect; the effect scales its distances at 2, 3 and 4 only and "
                        "treats other factors as 1");
    }
    return notes;
}

std::vector<std::string> describe_Movies(const RenderPlan &plan) {
    std::vector<std::string> notes;
    if (plan.inputMovie) describeMovieInput(plan.inputMovie->info(), notes);
    if (plan.outputCodec != nullptr) describeMovieOutput(plan, notes);
    return notes;
}
