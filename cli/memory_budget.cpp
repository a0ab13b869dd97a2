#include "cli/memory_budget.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/cli_error.h"
#include "cli/frame_window.h"

namespace {

constexpr std::uint64_t BYTES_PER_PIXEL16 = 8;
// A render's own worlds: the working copy, seven frames, the output
// temporary and the two analysis worlds.
constexpr std::uint64_t EFFECT_WORLDS = 11;
// The output world, and the output's samples while composed and written.
constexpr std::uint64_t RENDERER_WORLDS = 3;

std::uint64_t controlGroupLimit() {
    std::ifstream file("/sys/fs/cgroup/memory.max");
    std::uint64_t limit = 0;
    // "max" (no limit) does not parse as a number.
    return file >> limit ? limit : UINT64_MAX;
}

std::string gibibytes(std::uint64_t bytes) {
    std::ostringstream text;
    text.precision(bytes < (std::uint64_t(10) << 30) ? 2 : 0);
    text << std::fixed << double(bytes) / double(std::uint64_t(1) << 30) << " GiB";
    return text.str();
}

}  // namespace

std::uint64_t estimate_RenderBytes(int width, int height, std::uint64_t fileBytes, HostApp app,
                                   int jobs) {
    const std::uint64_t world = std::uint64_t(width) * std::uint64_t(height) * BYTES_PER_PIXEL16;
    const std::uint64_t sizeFactor = app == HostApp::Premiere ? 2 : 1;
    const std::uint64_t renders = std::uint64_t(std::max(jobs, 1));
    const std::uint64_t window = windowFramesFor(jobs);
    return (world + fileBytes) * window +
           world * (EFFECT_WORLDS * sizeFactor + RENDERER_WORLDS) * renders;
}

std::uint64_t available_MemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    const std::uint64_t physical =
        pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : UINT64_MAX;
    return std::min(physical, controlGroupLimit());
}

void check_RenderFitsInMemory(const std::string &path, int width, int height,
                              std::uint64_t fileBytes, HostApp app, int jobs,
                              std::uint64_t available) {
    const std::uint64_t needed = estimate_RenderBytes(width, height, fileBytes, app, jobs);
    if (needed <= available) return;
    throw CliError(path + ": " + std::to_string(width) + " x " + std::to_string(height) +
                   " needs about " + gibibytes(needed) + " of memory to render (" +
                   std::to_string(std::max(jobs, 1)) + " job(s)); " + gibibytes(available) +
                   " is available");
}
