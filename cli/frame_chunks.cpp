#include "cli/frame_chunks.h"

#include <algorithm>
#include <filesystem>

#include "cli/cli_error.h"
#include "cli/image_file.h"
#include "cli/options.h"

// Far beyond any farm.
constexpr long MAX_PARTS = 999999999;

FrameChunk parse_FrameChunk(const std::string &text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) {
        throw usageError("--chunk: '" + text + "' is not K/N (part K of N)");
    }
    FrameChunk chunk;
    chunk.index = long(parse_WholeNumberOption("--chunk", text.substr(0, slash), 0, MAX_PARTS));
    chunk.count = long(parse_WholeNumberOption("--chunk", text.substr(slash + 1), 0, MAX_PARTS));
    if (chunk.count < 1) throw usageError("--chunk: " + text + ": N must be at least 1");
    if (chunk.index < 1 || chunk.index > chunk.count) {
        throw usageError("--chunk: " + text + " is outside 1.." + std::to_string(chunk.count));
    }
    return chunk;
}

FrameRange chunk_FrameRange(const FrameRange &range, const FrameChunk &chunk) {
    // Written with the quotient and remainder so that no product can overflow.
    const long base = range.count() / chunk.count;
    const long larger = range.count() % chunk.count;
    const long before = chunk.index - 1;
    const long size = base + (before < larger ? 1 : 0);
    if (size == 0) {
        throw usageError("--chunk: part " + std::to_string(chunk.index) + " of " +
                         std::to_string(chunk.count) + " has no frames; the range has only " +
                         std::to_string(range.count()) + " frames");
    }
    const long first = range.first + before * base + std::min(before, larger);
    return FrameRange{first, first + size - 1};
}

bool is_CompleteOutput(const std::string &path, int width, int height) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    try {
        const FileImage image = read_ImageFile(path);
        return image.width == width && image.height == height;
    } catch (const CliError &) {
        return false;  // truncated or not an image: render it again
    }
}
