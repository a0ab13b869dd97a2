// Image sequence names: "frame.%04d.png" or "frame.####.png" stand for
// frame.0001.png, frame.0002.png, ...; any other name is a single file.
#pragma once

#include <string>

struct SequencePattern {
    std::string text;  // as the user gave it
    bool isSequence = false;
    std::string prefix;  // everything before the frame number, folder included
    std::string suffix;  // everything after it
    int digits = 0;      // minimum width, zero-padded; 0 means no padding
};

// Recognises one "%d" / "%0Nd" or one run of "#" in the file name (not in the
// folder part). Throws CliError naming the pattern when it holds more than
// one frame-number field or a "%" that is not a frame number.
SequencePattern parse_SequencePattern(const std::string &text);

// The file name of one frame; for a single file, the file itself.
std::string format_FramePath(const SequencePattern &pattern, long frame);

// When fileName (no folder) is a frame of the pattern, stores its number and
// returns true. Only names the pattern would produce count: with "%04d",
// "f.0012.png" is frame 12 but "f.12.png" and "f.00012.png" are not.
bool match_FrameFileName(const SequencePattern &pattern, const std::string &fileName, long &frame);

// The folder part of the pattern ("." when it has none) and the file name
// part of its prefix.
std::string pattern_Folder(const SequencePattern &pattern);
std::string pattern_FileNamePrefix(const SequencePattern &pattern);
