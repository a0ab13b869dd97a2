#include "cli/sequence_pattern.h"

#include <cstdio>

#include "cli/cli_error.h"

namespace {

constexpr int MAX_FRAME_DIGITS = 12;

std::string::size_type fileNameStart(const std::string &path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// A printf field at text[at] ('%'): "%d" or "%0Nd"; sets its length and
// width, or returns false.
bool readPrintfField(const std::string &text, std::string::size_type at,
                     std::string::size_type &length, int &digits) {
    std::string::size_type i = at + 1;
    int width = 0;
    if (i < text.size() && text[i] == '0') {
        ++i;
        const auto widthStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - widthStart < 3) {
            width = width * 10 + (text[i] - '0');
            ++i;
        }
        if (i == widthStart) return false;
    }
    if (i >= text.size() || text[i] != 'd' || width > MAX_FRAME_DIGITS) return false;
    length = i + 1 - at;
    digits = width;
    return true;
}

void setField(SequencePattern &p, std::string::size_type at, std::string::size_type length,
              int digits) {
    if (p.isSequence) {
        throw usageError(p.text + ": more than one frame-number field in the file name");
    }
    p.isSequence = true;
    p.prefix = p.text.substr(0, at);
    p.suffix = p.text.substr(at + length);
    p.digits = digits;
}

}  // namespace

SequencePattern parse_SequencePattern(const std::string &text) {
    SequencePattern p;
    p.text = text;
    std::string::size_type i = fileNameStart(text);
    while (i < text.size()) {
        if (text[i] == '%') {
            std::string::size_type length = 0;
            int digits = 0;
            if (!readPrintfField(text, i, length, digits)) {
                throw usageError(text +
                                 ": a '%' in a file name must be a frame number "
                                 "such as %04d");
            }
            setField(p, i, length, digits);
            i += length;
        } else if (text[i] == '#') {
            const auto runStart = i;
            while (i < text.size() && text[i] == '#') ++i;
            if (i - runStart > MAX_FRAME_DIGITS) {
                throw usageError(text + ": more than 12 '#' in the frame number");
            }
            setField(p, runStart, i - runStart, static_cast<int>(i - runStart));
        } else {
            ++i;
        }
    }
    if (!p.isSequence) p.prefix = text;
    return p;
}

std::string format_FramePath(const SequencePattern &pattern, long frame) {
    if (!pattern.isSequence) return pattern.text;
    char number[32];
    std::snprintf(number, sizeof number, "%0*ld", pattern.digits, frame);
    return pattern.prefix + number + pattern.suffix;
}

bool match_FrameFileName(const SequencePattern &pattern, const std::string &fileName, long &frame) {
    if (!pattern.isSequence) return false;
    const std::string namePrefix = pattern_FileNamePrefix(pattern);
    const std::string &suffix = pattern.suffix;
    if (fileName.size() <= namePrefix.size() + suffix.size()) return false;
    if (fileName.compare(0, namePrefix.size(), namePrefix) != 0) return false;
    if (fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string digits =
        fileName.substr(namePrefix.size(), fileName.size() - namePrefix.size() - suffix.size());
    if (digits.size() > MAX_FRAME_DIGITS) return false;
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    // Only the spelling the pattern itself gives the number counts.
    char spelled[32];
    std::snprintf(spelled, sizeof spelled, "%0*ld", pattern.digits, value);
    if (digits != spelled) return false;
    frame = value;
    return true;
}

std::string pattern_Folder(const SequencePattern &pattern) {
    const auto start = fileNameStart(pattern.text);
    if (start == 0) return ".";
    if (start == 1) return "/";
    return pattern.text.substr(0, start - 1);
}

std::string pattern_FileNamePrefix(const SequencePattern &pattern) {
    return pattern.prefix.substr(fileNameStart(pattern.text));
}
