#include "cli/run_notes.h"

namespace {

// The rows the effect analyses; it copies shorter and taller frames
// through unchanged (its fill limits hold 4320 rows).
constexpr int FEWEST_REPAIRED_ROWS = 200;
constexpr int MOST_REPAIRED_ROWS = 4320;

// The effect divides its distances by the host's vertical downsample only
// at 1/2, 1/3 and 1/4; any other factor counts as 1.
bool effectScalesBy(long downsample) { return downsample >= 2 && downsample <= 4; }

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
