// Nothing a run writes may land on a file it reads, on a file that could be
// taken for its input, or on another of its outputs. Checked on the names
// and on the files themselves (links and other spellings of one file count
// as that file), before anything is written.
#pragma once

#include <string>
#include <vector>

#include "cli/sequence_pattern.h"

// The files a run must leave alone: every existing frame of the input
// pattern (not only the clip around the rendered frames); for a single
// file, also every frame of the sequence its name is one frame of
// ("plate.0003.png" of plate.####.png).
std::vector<std::string> list_ProtectedInputs(const SequencePattern &input);

struct PlannedOutput {
    std::string path;
    std::string what;  // "frame 12", "--contact-sheet"
};

// Throws a usage CliError naming both files at the first output that is an
// input, or that another output also writes.
void refuse_PathClashes(const std::vector<std::string> &inputs,
                        const std::vector<PlannedOutput> &outputs);
