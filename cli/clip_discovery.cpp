#include "cli/clip_discovery.h"

#include <filesystem>
#include <system_error>

#include "cli/cli_error.h"

namespace fs = std::filesystem;

namespace {

bool parseFrameNumber(const std::string &text, long &value) {
    if (text.empty() || text.size() > 12) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

FrameRange parse_FrameRange(const std::string &text) {
    const auto dash = text.find('-');
    FrameRange range;
    const bool ok = dash == std::string::npos
                        ? parseFrameNumber(text, range.first)
                        : parseFrameNumber(text.substr(0, dash), range.first) &&
                              parseFrameNumber(text.substr(dash + 1), range.last);
    if (!ok) throw usageError("--frames: '" + text + "' is not A-B or A (frame numbers)");
    if (dash == std::string::npos) range.last = range.first;
    if (range.last < range.first) {
        throw usageError("--frames: '" + text + "' ends before it starts");
    }
    return range;
}

Clip choose_Clip(const SequencePattern &pattern, const std::set<long> &existing,
                 const std::optional<FrameRange> &requested, const std::set<long> &folders) {
    if (existing.empty() && folders.count(SINGLE_FILE_FRAME) != 0 && !pattern.isSequence) {
        throw CliError(pattern.text + ": a folder, not an image file");
    }
    if (existing.empty()) {
        throw CliError(pattern.text +
                       (pattern.isSequence ? ": no frames found" : ": no such file"));
    }
    const FrameRange wanted =
        requested ? *requested : FrameRange{*existing.begin(), *existing.rbegin()};
    for (long frame = wanted.first; frame <= wanted.last; ++frame) {
        if (existing.count(frame) == 0) {
            const bool inside = frame > *existing.begin() && frame < *existing.rbegin();
            const std::string path = format_FramePath(pattern, frame);
            if (folders.count(frame) != 0) throw CliError(path + ": a folder, not an image file");
            if (!pattern.isSequence) {
                throw CliError(path + ": a single file is frame " +
                               std::to_string(SINGLE_FILE_FRAME) + "; --frames asked for " +
                               std::to_string(frame));
            }
            throw CliError(path +
                           (inside ? ": missing (a gap in the sequence)" : ": no such file"));
        }
    }
    Clip clip{pattern, wanted, wanted};
    while (existing.count(clip.frames.first - 1) != 0) --clip.frames.first;
    while (existing.count(clip.frames.last + 1) != 0) ++clip.frames.last;
    return clip;
}

std::set<long> list_ExistingFrames(const SequencePattern &pattern, std::set<long> *folders) {
    std::set<long> frames;
    std::error_code ec;
    if (!pattern.isSequence) {
        if (fs::is_regular_file(pattern.text, ec)) frames.insert(SINGLE_FILE_FRAME);
        if (folders != nullptr && fs::is_directory(pattern.text, ec))
            folders->insert(SINGLE_FILE_FRAME);
        return frames;
    }
    const std::string folder = pattern_Folder(pattern);
    if (!fs::is_directory(folder, ec)) throw CliError(folder + ": no such folder");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        long frame = 0;
        if (!match_FrameFileName(pattern, it->path().filename().string(), frame)) continue;
        if (it->is_regular_file(ec)) frames.insert(frame);
        if (folders != nullptr && it->is_directory(ec)) folders->insert(frame);
    }
    if (ec) throw CliError(folder + ": cannot list the folder (" + ec.message() + ")");
    return frames;
}

Clip discover_Clip(const SequencePattern &pattern, const std::optional<FrameRange> &requested) {
    std::set<long> folders;
    const std::set<long> existing = list_ExistingFrames(pattern, &folders);
    return choose_Clip(pattern, existing, requested, folders);
}
